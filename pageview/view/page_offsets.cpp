#include "page_offsets.h"

#include <algorithm>

namespace pageview {

void PageOffsets::layout(QSize viewSize, int horizontal, int top) {
  view_ = viewSize;
  vertical_overflow_ = std::max(page_.height() - view_.height(), 0);
  top_ = page_.height() > view_.height() && top >= 0 ? std::min(vertical_overflow_, top) : 0;
  // Measured from the clamped top, so that top + bottom always spans the
  // overflow: a remainder below zero would make a page-down move backwards.
  bottom_ = vertical_overflow_ - top_;
  if (wider()) {
    horizontal_overflow_ = page_.width() - view_.width();
    if (horizontal < -horizontal_overflow_) {
      horizontal_offset_ = 0;
      right_ = horizontal_overflow_;
    } else {
      horizontal_offset_ = horizontal;
      right_ = horizontal_overflow_ + horizontal;
    }
  } else {
    horizontal_overflow_ = 0;
    horizontal_offset_ = 0;
    right_ = 0;
  }
}

PageMove PageOffsets::scrollDown(StepSource source, int step) {
  if (shorter())
    return {{}, source == StepSource::Wheel ? PageTurn::Next : turnIfPdf(PageTurn::Next)};
  if (top_ >= vertical_overflow_)
    return {{}, source == StepSource::Wheel ? PageTurn::Next : PageTurn::None};
  int moved = step;
  if (top_ + step <= vertical_overflow_) {
    bottom_ -= step;
    top_ += step;
  } else {
    moved = vertical_overflow_ - top_;
    bottom_ = 0;
    top_ = vertical_overflow_;
  }
  return {{0, -moved}, PageTurn::None};
}

PageMove PageOffsets::scrollUp(StepSource source, int step) {
  if (shorter())
    return {{}, source == StepSource::Wheel ? PageTurn::Previous : turnIfPdf(PageTurn::Previous)};
  if (bottom_ >= vertical_overflow_)
    return {{}, source == StepSource::Wheel ? PageTurn::Previous : PageTurn::None};
  int moved = step;
  if (top_ - step < 1) {
    moved = top_;
    top_ = 0;
    bottom_ = vertical_overflow_;
  } else {
    top_ -= step;
    bottom_ += step;
  }
  return {{0, moved}, PageTurn::None};
}

PageMove PageOffsets::scrollRightStep(int step) {
  if (!wider()) return {{}, turnIfPdf(PageTurn::Next)};
  if (right_ <= 0) return {};
  const int moved = std::min(step, right_);
  horizontal_offset_ -= moved;
  right_ -= moved;
  return {{-moved, 0}, PageTurn::None};
}

PageMove PageOffsets::scrollLeftStep(int step) {
  if (!wider()) return {{}, turnIfPdf(PageTurn::Previous)};
  if (right_ >= horizontal_overflow_) return {};
  const int distance = horizontal_overflow_ - right_;
  if (distance <= step) {
    horizontal_offset_ = 0;
    right_ = horizontal_overflow_;
    return {{distance, 0}, PageTurn::None};
  }
  horizontal_offset_ += step;
  right_ += step;
  return {{step, 0}, PageTurn::None};
}

PageMove PageOffsets::pageDown() {
  if (top_ >= vertical_overflow_) return {{}, turnIfPdf(PageTurn::Next)};
  const int moved = std::min(bottom_, view_.height());
  bottom_ -= moved;
  top_ += moved;
  return {{0, -moved}, PageTurn::None};
}

PageMove PageOffsets::pageUp() {
  if (bottom_ >= vertical_overflow_) return {{}, turnIfPdf(PageTurn::Previous)};
  const int moved = std::min(top_, view_.height());
  top_ -= moved;
  bottom_ += moved;
  return {{0, moved}, PageTurn::None};
}

PageMove PageOffsets::drag(int dx, int dy) {
  const int right = right_ + dx;
  if ((dx < 0 && right > 0) || (dx > 0 && right < horizontal_overflow_)) {
    right_ = right;
    horizontal_offset_ += dx;
  } else {
    dx = 0;
  }
  const int top = top_ - dy;
  if ((dy > 0 && top > 0) || (dy < 0 && top < vertical_overflow_)) {
    top_ = top;
    bottom_ += dy;
  } else {
    dy = 0;
  }
  return {{dx, dy}, PageTurn::None};
}

}  // namespace pageview
