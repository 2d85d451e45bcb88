#include "image_widget.h"

#include <QDebug>
#include <QGraphicsSceneMouseEvent>
#include <QGraphicsSceneWheelEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionGraphicsItem>
#include <algorithm>

#include "input_throttle.h"
#include "picture_show_dlg.h"
#include "watermark.h"

using pageview::PageMove;
using pageview::PageTurn;
using pageview::StepSource;

namespace {
constexpr int kStep = 30;
}

ImageWidget::ImageWidget(const QPixmap &pixmap, PictureShowDlg *window, bool ctrlHeld)
    : ImageWidget(pixmap.size(), nullptr, window, ctrlHeld) {
  pixmap_ = pixmap;
}

ImageWidget::ImageWidget(QSize pageSize, RegionSource source, PictureShowDlg *window,
                         bool ctrlHeld)
    : page_size_(pageSize),
      source_(std::move(source)),
      offsets_(pageSize, !window->isImageMode()),
      window_(window),
      ctrl_held_(ctrlHeld) {
  setFlag(QGraphicsItem::ItemIsFocusable);
  // Paint is told which part of the item is exposed.
  setFlag(QGraphicsItem::ItemUsesExtendedStyleOption);
  setAcceptedMouseButtons(Qt::LeftButton);
}

QRectF ImageWidget::boundingRect() const {
  return QRectF(-(page_size_.width() / 2), -(page_size_.height() / 2), page_size_.width(),
                page_size_.height());
}

const QImage &ImageWidget::regionCovering(QRect visible) {
  if (region_rect_.contains(visible) && !region_.isNull()) return region_;
  // A margin of half the view each way, so that scrolling by steps draws
  // the page again only now and then.
  const QSize view = offsets_.viewSize();
  const int marginX = std::max(view.width(), 64) / 2;
  const int marginY = std::max(view.height(), 64) / 2;
  region_ = QImage();  // let go of the old part before drawing the new one
  region_rect_ = visible.adjusted(-marginX, -marginY, marginX, marginY) &
                 QRect(QPoint(0, 0), page_size_);
  region_ = source_(region_rect_);
  if (region_.isNull()) region_rect_ = QRect();
  return region_;
}

bool ImageWidget::prepare(QRect visible) {
  if (!source_) return true;
  return !regionCovering(visible & QRect(QPoint(0, 0), page_size_)).isNull();
}

void ImageWidget::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *) {
  const QPoint corner(-(page_size_.width() / 2), -(page_size_.height() / 2));
  if (source_) {
    const QRect visible =
        option->exposedRect.toAlignedRect().translated(-corner) & QRect(QPoint(0, 0), page_size_);
    if (!visible.isEmpty()) {
      const QImage &part = regionCovering(visible);
      if (!part.isNull()) painter->drawImage(corner + region_rect_.topLeft(), part);
    }
  } else {
    painter->drawPixmap(corner, pixmap_);
  }
  for (const std::vector<QRect> *rects : {&highlights_, &current_}) {
    const QColor colour = rects == &current_ ? QColor(255, 120, 0, 110) : QColor(255, 215, 0, 90);
    for (const QRect &rect : *rects) painter->fillRect(rect.translated(corner), colour);
  }
  pageview::paintWatermark(*painter, page_size_, watermark_, option->exposedRect);
  syncHorizontalBar();
}

void ImageWidget::setHighlights(std::vector<QRect> matches, std::vector<QRect> current) {
  highlights_ = std::move(matches);
  current_ = std::move(current);
  update();
}

void ImageWidget::bringIntoView(QRect rect) {
  const QSize view = offsets_.viewSize();
  if (offsets_.verticalOverflow() > 0) {
    const int top = std::clamp(rect.center().y() - view.height() / 2, 0,
                               offsets_.verticalOverflow());
    const int by = top - offsets_.topOffset();
    if (by > 0) scrollDown(true, by);
    if (by < 0) scrollUp(true, -by);
  }
  if (offsets_.wider()) {
    const int left = std::clamp(rect.center().x() - view.width() / 2, 0,
                                offsets_.horizontalOverflow());
    const int by = left + offsets_.horizontalOffset();
    if (by > 0) scrollRightStep(by);
    if (by < 0) scrollLeftStep(-by);
  }
}

void ImageWidget::layoutItem(int viewWidth, int viewHeight, int horizontal, int top) {
  offsets_.layout(QSize(viewWidth, viewHeight), horizontal, top);
  setScale(1.0);
  // Applied at once rather than at the first paint, so that the item stands
  // where its offsets say from the moment it exists.
  moveBy(offsets_.horizontalOffset(), -offsets_.topOffset());
}

void ImageWidget::apply(const PageMove &move) {
  if (move.turn == PageTurn::Next) {
    if (window_->currentPage() < window_->pageCount() - 1) window_->on_Btn_Next_clicked();
    return;
  }
  if (move.turn == PageTurn::Previous) {
    if (window_->currentPage() >= 1) window_->on_Btn_Last_clicked();
    return;
  }
  if (move.by.isNull()) return;
  moveBy(move.by.x(), move.by.y());
  // Not left to the next paint: the bar is to show where the page stands
  // as soon as it has moved.
  syncHorizontalBar();
}

void ImageWidget::scrollDown(bool fromKeyboard, int step) {
  apply(offsets_.scrollDown(fromKeyboard ? StepSource::Keyboard : StepSource::Wheel, step));
}

void ImageWidget::scrollUp(bool fromKeyboard, int step) {
  apply(offsets_.scrollUp(fromKeyboard ? StepSource::Keyboard : StepSource::Wheel, step));
}

void ImageWidget::scrollRightStep(int step) { apply(offsets_.scrollRightStep(step)); }
void ImageWidget::scrollLeftStep(int step) { apply(offsets_.scrollLeftStep(step)); }
void ImageWidget::pageDown() { apply(offsets_.pageDown()); }
void ImageWidget::pageUp() { apply(offsets_.pageUp()); }

void ImageWidget::panTo(int value) {
  const int distance = slider_position_ - value;
  if (distance < 1)
    scrollRightStep(-distance);
  else
    scrollLeftStep(distance);
  syncHorizontalBar();
}

void ImageWidget::syncHorizontalBar() {
  if (!offsets_.wider()) return;
  window_->setHorizontalBarHandlerOn(false);
  const int offset = offsets_.horizontalOffset();
  slider_position_ = offset < 0 ? -offset : 0;
  window_->horizontalBar()->setSliderPosition(slider_position_);
  window_->setHorizontalBarHandlerOn(true);
}

void ImageWidget::wheelAction(bool up, QPoint globalPosition) {
  if (!window_->ctrlHeld()) {
    if (up)
      scrollUp(false, kStep);
    else
      scrollDown(false, kStep);
    return;
  }
  if (!pageview::zoomThrottle().accept()) return;
  cursor_offset_ = globalPosition - window_->viewGlobalTopLeft();
  window_->anchoredZoom(up, cursor_offset_);
}

void ImageWidget::keyPressEvent(QKeyEvent *event) {
  switch (event->key()) {
    case Qt::Key_Down:
      scrollDown(true, kStep);
      break;
    case Qt::Key_Up:
      scrollUp(true, kStep);
      break;
    case Qt::Key_Left:
      scrollLeftStep(kStep);
      break;
    case Qt::Key_Right:
      scrollRightStep(kStep);
      break;
    case Qt::Key_PageDown:
      pageDown();
      break;
    case Qt::Key_PageUp:
      pageUp();
      break;
    case Qt::Key_Control:
      ctrl_held_ = true;
      window_->setCtrlHeld(true);
      break;
    default:
      event->ignore();
      break;
  }
}

void ImageWidget::keyReleaseEvent(QKeyEvent *event) {
  if (event->key() == Qt::Key_Control) {
    ctrl_held_ = false;
    window_->setCtrlHeld(false);
  } else {
    event->ignore();
  }
}

void ImageWidget::mousePressEvent(QGraphicsSceneMouseEvent *event) {
  if (event->button() != Qt::LeftButton) return event->ignore();
  pressed_ = true;
  press_position_ = event->pos();
}

void ImageWidget::mouseMoveEvent(QGraphicsSceneMouseEvent *event) {
  if (!pressed_) return;
  const QPointF delta = event->pos() - press_position_;
  const PageMove move = offsets_.drag(static_cast<int>(delta.x()), static_cast<int>(delta.y()));
  moveBy(move.by.x(), move.by.y());
  syncHorizontalBar();
}

void ImageWidget::mouseReleaseEvent(QGraphicsSceneMouseEvent *event) {
  if (event->button() == Qt::LeftButton) pressed_ = false;
}

void ImageWidget::wheelEvent(QGraphicsSceneWheelEvent *event) {
  const int delta = event->delta();
  qDebug() << "delta" << delta;
  if (!pageview::wheelThrottle().accept()) return;
  if (event->orientation() == Qt::Vertical) {
    if (delta != 0) wheelAction(delta > 0, event->screenPos());
  } else if (delta > 0) {
    scrollLeftStep(kStep);
  } else if (delta < 0) {
    scrollRightStep(kStep);
  }
}
