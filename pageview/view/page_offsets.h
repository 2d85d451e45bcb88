// Where the page stands in the view, and the step operations that move it:
// key and wheel steps, page down and up, horizontal steps and dragging.
//
// Offsets are in page pixels. The top offset counts page rows scrolled off
// above the view and the bottom remainder the rows still below it; the
// horizontal offset is the page's displacement from its left-aligned
// position (0 at the left edge, -horizontalOverflow at the right edge) and
// the right remainder the columns still right of the view. After every
// operation:
//   rightRemainder == horizontalOverflow + horizontalOffset
// Each operation returns how far the page item moves and whether the view
// should turn to another page instead. A step that asks for a page turn
// leaves the offsets alone: the new page is laid out afresh, and when there
// is no page to turn to (image mode, the last page) the offsets still say
// where the item is.
#ifndef PAGEVIEW_VIEW_PAGE_OFFSETS_H
#define PAGEVIEW_VIEW_PAGE_OFFSETS_H

#include <QPoint>
#include <QSize>

namespace pageview {

enum class PageTurn { None, Next, Previous };

struct PageMove {
  QPoint by;  // movement of the page item, in view pixels
  PageTurn turn = PageTurn::None;
};

enum class StepSource { Keyboard, Wheel };

class PageOffsets {
 public:
  // pdfMode: steps past a page's edge turn pages (in image mode they do
  // nothing).
  PageOffsets(QSize pageSize, bool pdfMode) : page_(pageSize), pdf_mode_(pdfMode) {}

  // Places a freshly built page in a view of viewSize, scrolled
  // horizontally by horizontal (<= 0) and down by top rows.
  void layout(QSize viewSize, int horizontal, int top);

  PageMove scrollDown(StepSource source, int step);
  PageMove scrollUp(StepSource source, int step);
  PageMove scrollRightStep(int step);
  PageMove scrollLeftStep(int step);
  PageMove pageDown();
  PageMove pageUp();
  // A drag by (dx, dy) since the last mouse event; a movement that would
  // reach or pass an edge is refused for that event, not clamped.
  PageMove drag(int dx, int dy);

  int topOffset() const { return top_; }
  int bottomRemainder() const { return bottom_; }
  int verticalOverflow() const { return vertical_overflow_; }
  int horizontalOffset() const { return horizontal_offset_; }
  int horizontalOverflow() const { return horizontal_overflow_; }
  int rightRemainder() const { return right_; }
  QSize viewSize() const { return view_; }
  QSize pageSize() const { return page_; }
  bool wider() const { return page_.width() > view_.width(); }
  bool shorter() const { return page_.height() < view_.height(); }

 private:
  PageTurn turnIfPdf(PageTurn turn) const { return pdf_mode_ ? turn : PageTurn::None; }

  QSize page_;
  bool pdf_mode_;
  QSize view_;
  int top_ = 0;
  int bottom_ = 0;
  int vertical_overflow_ = 0;
  int horizontal_offset_ = 0;
  int horizontal_overflow_ = 0;
  int right_ = 0;
};

}  // namespace pageview

#endif
