// The page pipeline: the scale for a page, its image and the scene that
// shows it.
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
#include "image_widget.h"
#include "picture_show_dlg.h"
#include "scale_model.h"

using pageview::ScaleRequest;

void PictureShowDlg::showPage(int page) {
  if (zoom_in_request_ && scale_ == pageview::kLargestScale) {
    zoom_in_request_ = false;
    return;
  }
  discardScene();
  QImage *image = hasPages() ? computeScale(page) : nullptr;
  // A request that found no page must not linger until the next build.
  zoom_in_request_ = false;
  zoom_out_request_ = false;
  if (image && !image->isNull()) {
    buildScene(*image);
    ui_.lineEditScale->setText(pageview::percentageText(scale_));
    page_shown_ = true;
  } else {
    showNoPageMessage();
    noteOpenFailure(hasPages() ? pageview::DocumentFailure::pageNotDrawn
                               : pageview::DocumentFailure::none);
  }
  if (!is_image_) updatePageDisplay(hasPages() ? page : 0);
}

QImage *PictureShowDlg::computeScale(int page) {
  QImage *pageSize = document_->pageSizeImage(page);
  if (!pageSize || pageSize->isNull()) return nullptr;
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
    // blank, so its page is rendered at the page size instead.
    if (is_image_) return document_->pageSizeImage(0);
    scaled_width_ = pageSize->width();
    scaled_height_ = pageSize->height();
    return document_->pageImage(page, scaled_width_, scaled_height_);
  }
  if (request == ScaleRequest::None) ui_.lineEditScale->setText(pageview::percentageText(scale_));
  scaled_width_ = choice.scaledSize.width();
  scaled_height_ = choice.scaledSize.height();
  return document_->pageImage(page, scaled_width_, scaled_height_);
}

void PictureShowDlg::buildScene(const QImage &source) {
  QImage image = source;
  if (rotation_ != 0) {
    QTransform matrix;
    matrix.rotate(rotation_);
    image = source.transformed(matrix, Qt::FastTransformation);
  }
  scene_ = new QGraphicsScene();
  item_ = new ImageWidget(QPixmap::fromImage(image), this, ctrl_held_);
  item_->setWatermarkText(watermark_);
  // The horizontal bar is shown or hidden first, and the layout settled, so
  // that the page is laid out in the view's final size.
  QScrollBar *bar = ui_.horizontalScrollBar;
  const bool wide = !is_image_ && image.width() > ui_.graphicsView->width();
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
  const int horizontalOverflow = std::max(image.width() - viewWidth, 0);
  h = std::clamp(h, -horizontalOverflow, 0);
  const int top = std::max(v, 0);

  item_->setPos(image.width() > viewWidth ? (image.width() - viewWidth) / 2 : 0,
                image.height() > viewHeight ? (image.height() - viewHeight) / 2 : 0);
  item_->layoutItem(viewWidth, viewHeight, h, top);

  scene_->addItem(item_);
  scene_->setSceneRect(-(viewWidth / 2), -(viewHeight / 2), viewWidth, viewHeight);
  ui_.graphicsView->setScene(scene_);
  ui_.graphicsView->setFocus();
  scene_->setFocusItem(item_, Qt::OtherFocusReason);
  ui_.graphicsView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  ui_.graphicsView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

  if (wide) {
    horizontal_bar_handler_on_ = false;
    bar->setRange(0, image.width() - viewWidth);
    bar->setPageStep(viewWidth);
    bar->setValue(-item_->offsets().horizontalOffset());
    horizontal_bar_handler_on_ = true;
    item_->syncHorizontalBar();
  }
  qDebug() << "Current Scale" << scale_;
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
  ui_.graphicsView->setScene(nullptr);
  if (scene_) scene_->deleteLater();  // deletes the page item with it
  scene_ = nullptr;
  item_ = nullptr;
  showing_message_ = false;
}

QSizeF PictureShowDlg::viewSizeForFit() const {
  const QScrollBar *bar = ui_.horizontalScrollBar;
  const int barHeight = bar->isHidden() ? 0 : bar->height();
  return QSizeF(ui_.graphicsView->width(), ui_.graphicsView->height() + barHeight);
}

QPoint PictureShowDlg::viewGlobalTopLeft() const {
  return ui_.graphicsView->mapToGlobal(QPoint(0, 0));
}
