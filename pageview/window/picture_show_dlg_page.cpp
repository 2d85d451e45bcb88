// The page pipeline: the scale for a page, its image and the scene that
// shows it.
#include <QApplication>
#include <QDebug>
#include <QFont>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsView>
#include <QImage>
#include <QLayout>
#include <QLineEdit>
#include <QScrollBar>
#include <QTransform>
#include <algorithm>

#include "document/picture.h"
#include "document_search.h"
#include "image_widget.h"
#include "picture_show_dlg.h"
#include "scale_model.h"
#include "search_bar.h"

using pageview::ScaleRequest;

void PictureShowDlg::showPage(int page) {
  if (zoom_in_request_ && scale_ == pageview::kLargestScale) {
    zoom_in_request_ = false;
    return;
  }
  // What is shown now stays until the new view is built: with no memory
  // for a new scale of the same page, it is kept as it is.
  QGraphicsScene *const shownScene = scene_;
  ImageWidget *const shownItem = item_;
  const float shownScale = scale_;
  const float shownPreviousScale = previous_scale_;
  const QSize shownSize(scaled_width_, scaled_height_);
  const bool barHidden = ui_.horizontalScrollBar->isHidden();
  scene_ = nullptr;
  item_ = nullptr;
  const bool built = hasPages() && buildScene(computeScale(page), page);
  // A request that found no page must not linger until the next build.
  zoom_in_request_ = false;
  zoom_out_request_ = false;
  if (!built && shownItem && page == shown_page_ && scale_ != shownScale) {
    qDebug().noquote() << "zoom to" << pageview::percentageText(scale_)
                       << "failed: not enough memory; the view stays at"
                       << pageview::percentageText(shownScale);
    scene_ = shownScene;
    item_ = shownItem;
    scale_ = shownScale;
    previous_scale_ = shownPreviousScale;
    scaled_width_ = shownSize.width();
    scaled_height_ = shownSize.height();
    anchored_zoom_ = false;
    clearAnchors();
    ui_.horizontalScrollBar->setHidden(barHidden);
    ui_.verticalLayout->activate();
    ui_.lineEditScale->setText(pageview::percentageText(scale_));
    return;
  }
  releaseScene(shownScene);
  if (built) {
    showing_message_ = false;
    shown_page_ = page;
    ui_.lineEditScale->setText(pageview::percentageText(scale_));
    page_shown_ = true;
  } else {
    showNoPageMessage();
    noteOpenFailure(hasPages() ? pageview::DocumentFailure::pageNotDrawn
                               : pageview::DocumentFailure::none);
  }
  if (!is_image_) updatePageDisplay(hasPages() ? page : 0);
}

PictureShowDlg::PageToShow PictureShowDlg::computeScale(int page) {
  QImage *pageSize = document_->pageSizeImage(page);
  if (!pageSize || pageSize->isNull()) return {};
  ScaleRequest request = ScaleRequest::None;
  if (zoom_in_request_)
    request = ScaleRequest::ZoomIn;
  else if (zoom_out_request_)
    request = ScaleRequest::ZoomOut;
  else if (original_size_request_)
    request = ScaleRequest::OriginalSize;
  const QSizeF view = viewSizeForFit();
  const pageview::ScaleChoice choice =
      pageview::chooseScale(request, scale_, previous_scale_, ui_.lineEditScale->text(), view,
                            pageSize->size(), in_resize_);
  zoom_in_request_ = false;
  zoom_out_request_ = false;
  scale_ = choice.scale;
  previous_scale_ = choice.previousScale;
  if (choice.unscaled) {
    // An image's page-size image is the decoded image itself; a PDF's is
    // blank, so its page is drawn at the page size instead.
    if (is_image_) {
      if (!pageview::holdsWholePage(pageSize->size())) return {nullptr, pageSize->size(), true};
      return {document_->pageSizeImage(0), pageSize->size(), false};
    }
    scaled_width_ = pageSize->width();
    scaled_height_ = pageSize->height();
  } else {
    if (request == ScaleRequest::None)
      ui_.lineEditScale->setText(pageview::percentageText(scale_));
    scaled_width_ = choice.scaledSize.width();
    scaled_height_ = choice.scaledSize.height();
  }
  const QSize scaled(scaled_width_, scaled_height_);
  if (scaled.isEmpty()) return {};
  // A large page is drawn part by part as the view shows it, never whole.
  if (!pageview::holdsWholePage(scaled)) return {nullptr, scaled, true};
  QImage *whole = document_->pageImage(page, scaled_width_, scaled_height_);
  // Without memory to hold it whole, the page may still be drawn in parts.
  return {whole, scaled, whole == nullptr};
}

ImageWidget::RegionSource PictureShowDlg::regionSource(int page, QSize scaled) const {
  Picture *document = document_.get();
  const int rotation = rotation_;
  return [document, page, scaled, rotation](QRect shown) {
    if (rotation == 0) return document->pageRegion(page, scaled, shown);
    // The same part of the unturned page, turned.
    QTransform turn;
    turn.rotate(rotation);
    const QTransform placed = QImage::trueMatrix(turn, scaled.width(), scaled.height());
    const QRect unturned = placed.inverted().mapRect(QRectF(shown)).toAlignedRect() &
                           QRect(QPoint(0, 0), scaled);
    const QImage part = document->pageRegion(page, scaled, unturned);
    return part.isNull() ? part : part.transformed(turn, Qt::FastTransformation);
  };
}

bool PictureShowDlg::buildScene(const PageToShow &shown, int page) {
  QImage image;
  QSize size = shown.scaledSize;
  if (!shown.inParts) {
    if (!shown.whole || shown.whole->isNull()) return false;
    image = *shown.whole;
    if (rotation_ != 0) {
      QTransform matrix;
      matrix.rotate(rotation_);
      image = shown.whole->transformed(matrix, Qt::FastTransformation);
    }
    size = image.size();
  } else if (size.isEmpty()) {
    return false;
  } else if (rotation_ % 180 != 0) {
    size.transpose();
  }
  const QPixmap pixmap = shown.inParts ? QPixmap() : QPixmap::fromImage(image);
  if (!shown.inParts && pixmap.isNull()) return false;

  scene_ = new QGraphicsScene();
  item_ = shown.inParts ? new ImageWidget(size, regionSource(page, shown.scaledSize), this,
                                          ctrl_held_)
                        : new ImageWidget(pixmap, this, ctrl_held_);
  item_->setWatermarkText(watermark_);
  // The horizontal bar is shown or hidden first, and the layout settled, so
  // that the page is laid out in the view's final size.
  QScrollBar *bar = ui_.horizontalScrollBar;
  const bool wide = !is_image_ && size.width() > ui_.graphicsView->width();
  if (bar->isHidden() == wide) {
    bar->setVisible(wide);
    ui_.verticalLayout->activate();
  }
  const int viewWidth = ui_.graphicsView->width();
  const int viewHeight = ui_.graphicsView->height();

  int h = static_cast<int>(anchor_x_ * scale_ - static_cast<float>(anchor_offset_x_));
  const int v = static_cast<int>(scale_ * anchor_y_ - static_cast<float>(anchor_offset_y_));
  if (anchored_zoom_) {
    h = -h;
    anchored_zoom_ = false;
    updateScaleMenuChecks();
  }
  // The anchored point stays put only as far as the page's edges allow:
  // never a gap left of the page or past its right edge.
  const int horizontalOverflow = std::max(size.width() - viewWidth, 0);
  h = std::clamp(h, -horizontalOverflow, 0);
  const int top = std::max(v, 0);

  item_->setPos(size.width() > viewWidth ? (size.width() - viewWidth) / 2 : 0,
                size.height() > viewHeight ? (size.height() - viewHeight) / 2 : 0);
  item_->layoutItem(viewWidth, viewHeight, h, top);
  // The part in view is drawn now: no memory for it is found out here,
  // while the previous scale can still be had.
  const pageview::PageOffsets &at = item_->offsets();
  if (!item_->prepare(QRect(-at.horizontalOffset(), at.topOffset(), viewWidth, viewHeight))) {
    delete item_;
    delete scene_;
    item_ = nullptr;
    scene_ = nullptr;
    return false;
  }

  scene_->addItem(item_);
  scene_->setSceneRect(-(viewWidth / 2), -(viewHeight / 2), viewWidth, viewHeight);
  ui_.graphicsView->setScene(scene_);
  // Stepping through search matches keeps the cursor in the search text.
  if (!search_bar_->isAncestorOf(QApplication::focusWidget())) ui_.graphicsView->setFocus();
  scene_->setFocusItem(item_, Qt::OtherFocusReason);
  ui_.graphicsView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  ui_.graphicsView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

  if (wide) {
    horizontal_bar_handler_on_ = false;
    bar->setRange(0, size.width() - viewWidth);
    bar->setPageStep(viewWidth);
    bar->setValue(-item_->offsets().horizontalOffset());
    horizontal_bar_handler_on_ = true;
    item_->syncHorizontalBar();
  }
  applyHighlights();
  qDebug() << "Current Scale" << scale_;
  return true;
}

void PictureShowDlg::showNoPageMessage() {
  scene_ = new QGraphicsScene();
  auto *message =
      scene_->addSimpleText(QStringLiteral("无法打开文档\nThe document could not be opened."));
  QFont font = message->font();
  font.setPointSize(14);
  message->setFont(font);
  message->setBrush(Qt::white);
  const QRectF bounds = message->boundingRect();
  message->setPos(-bounds.width() / 2, -bounds.height() / 2);
  const int viewWidth = ui_.graphicsView->width();
  const int viewHeight = ui_.graphicsView->height();
  scene_->setSceneRect(-(viewWidth / 2), -(viewHeight / 2), viewWidth, viewHeight);
  ui_.graphicsView->setScene(scene_);
  ui_.horizontalScrollBar->hide();
  showing_message_ = true;
}

void PictureShowDlg::discardScene() {
  releaseScene(scene_);
  scene_ = nullptr;
  item_ = nullptr;
  showing_message_ = false;
}

void PictureShowDlg::releaseScene(QGraphicsScene *scene) {
  if (!scene) return;
  if (ui_.graphicsView->scene() == scene) ui_.graphicsView->setScene(nullptr);
  scene->deleteLater();  // deletes the page item with it
}

QSizeF PictureShowDlg::viewSizeForFit() const {
  const QScrollBar *bar = ui_.horizontalScrollBar;
  const int barHeight = bar->isHidden() ? 0 : bar->height();
  return QSizeF(ui_.graphicsView->width(), ui_.graphicsView->height() + barHeight);
}

QPoint PictureShowDlg::viewGlobalTopLeft() const {
  return ui_.graphicsView->mapToGlobal(QPoint(0, 0));
}
