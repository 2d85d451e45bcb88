// The page item: the current page's pixmap in the scene, centred on its
// origin, with the watermark over it. It turns keys, wheel and drags into
// the page offsets' step operations, moves itself by their result and asks
// the window for a page turn or an anchored zoom where a step calls for one.
#ifndef PAGEVIEW_WINDOW_IMAGE_WIDGET_H
#define PAGEVIEW_WINDOW_IMAGE_WIDGET_H

#include <QGraphicsItem>
#include <QImage>
#include <QRect>
#include <functional>
#include <vector>
#include <QPixmap>
#include <QPoint>
#include <QPointF>
#include <QString>

#include "page_offsets.h"

class PictureShowDlg;

class ImageWidget : public QGraphicsItem {
 public:
  // Draws a part of the page as shown (page pixels at the current scale
  // and rotation); null when it cannot.
  using RegionSource = std::function<QImage(QRect region)>;

  // A page held whole, as one pixmap.
  ImageWidget(const QPixmap &pixmap, PictureShowDlg *window, bool ctrlHeld);
  // A page too large to hold whole: only the part around what the view
  // shows is drawn, and drawn again when the view moves past it, so memory
  // and time follow the view's size at any zoom.
  ImageWidget(QSize pageSize, RegionSource source, PictureShowDlg *window, bool ctrlHeld);

  // Draws the part of the page around visible (page pixels) ahead of the
  // first paint. False when it cannot be drawn (no memory for it).
  bool prepare(QRect visible);
  QSize pageSize() const { return page_size_; }

  // Search matches on this page (page pixels), drawn over it; the current
  // match stands out.
  void setHighlights(std::vector<QRect> matches, std::vector<QRect> current);
  const std::vector<QRect> &highlights() const { return highlights_; }
  const std::vector<QRect> &currentHighlight() const { return current_; }
  // Scrolls the page (never turning it) so that rect (page pixels) is in
  // view, as near the view's middle as the page's edges allow.
  void bringIntoView(QRect rect);

  QRectF boundingRect() const override;
  void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

  void setWatermarkText(const QString &text) { watermark_ = text; }
  void setCtrlHeld(bool held) { ctrl_held_ = held; }

  // Lays the page out in a view of viewWidth x viewHeight, scrolled
  // horizontally by horizontal and down by top; the item is then moved by
  // (horizontal offset, -top offset) from its resting position.
  void layoutItem(int viewWidth, int viewHeight, int horizontal, int top);

  void scrollDown(bool fromKeyboard, int step);
  void scrollUp(bool fromKeyboard, int step);
  void scrollRightStep(int step);
  void scrollLeftStep(int step);
  void pageDown();
  void pageUp();
  // The horizontal scroll bar was moved to value.
  void panTo(int value);
  // Shows the horizontal offset on the window's scroll bar (wide pages).
  void syncHorizontalBar();

  // A wheel step up or down at globalPosition: scrolls, or with Ctrl held
  // zooms about that point (at most once per 300 ms).
  void wheelAction(bool up, QPoint globalPosition);

  const pageview::PageOffsets &offsets() const { return offsets_; }
  const QPixmap &pixmap() const { return pixmap_; }
  // Where in the view the last anchored zoom was asked for.
  QPoint cursorOffset() const { return cursor_offset_; }
  void setCursorOffset(QPoint offset) { cursor_offset_ = offset; }

  // Public so that the window can hand a Ctrl press on to the item.
  void keyPressEvent(QKeyEvent *event) override;
  void keyReleaseEvent(QKeyEvent *event) override;

 protected:
  void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
  void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
  void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;
  void wheelEvent(QGraphicsSceneWheelEvent *event) override;

 private:
  // Moves the item, or hands a page turn to the window. A page turn
  // rebuilds the scene, so nothing may touch the item after it.
  void apply(const pageview::PageMove &move);
  // The page's part covering visible (page pixels), drawn when the part
  // held does not cover it; null when it cannot be drawn.
  const QImage &regionCovering(QRect visible);

  bool pressed_ = false;
  QPoint cursor_offset_;
  int slider_position_ = 0;
  QPixmap pixmap_;
  QSize page_size_;
  RegionSource source_;  // set for a page drawn part by part
  QImage region_;        // the part held, at region_rect_ of the page
  QRect region_rect_;
  std::vector<QRect> highlights_;
  std::vector<QRect> current_;
  QPointF press_position_;
  pageview::PageOffsets offsets_;
  PictureShowDlg *window_;
  bool ctrl_held_;
  QString watermark_;
};

#endif
