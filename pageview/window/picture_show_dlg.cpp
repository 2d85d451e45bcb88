// Construction, document opening, page turns and the toolbar's slots.
#include "picture_show_dlg.h"

#include <string.h>

#include <QAction>
#include <QApplication>
#include <QDebug>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMetaObject>
#include <QPushButton>
#include <QRegExpValidator>
#include <QScrollBar>
#include <algorithm>

#include "document/pdf_picture.h"
#include "document/picture.h"
#include "document_search.h"
#include "image_widget.h"
#include "scale_menu.h"
#include "scale_model.h"
#include "toolbar_layout.h"

static void initWindowIcons() { Q_INIT_RESOURCE(window_icons); }

PictureShowDlg::PictureShowDlg(const QByteArray &path, QWidget *parent, const unsigned char *key,
                               const unsigned char *nonceBuffer, bool isImage,
                               const QString &variant, const QString &watermark)
    : QWidget(parent), is_image_(isImage) {
  initWindowIcons();
  ui_.setupUi(this);
  path_ = QString::fromUtf8(path);
  ui_.widget->setStyleSheet(QStringLiteral(" color: black;background-color: rgb(248,248,248);"));
  ui_.graphicsView->setStyleSheet(
      QStringLiteral(" color: rgb(255,255,255); background-color: rgb(153,153,153)"));
  ui_.lineEdit->setValidator(new QRegExpValidator(
      QRegExp(QStringLiteral("[0-9]+$"), Qt::CaseSensitive, QRegExp::RegExp), ui_.lineEdit));
  qDebug() << "PictureShowDlg::PictureShowDlg invoked";
  if (key && nonceBuffer) {
    memcpy(nonce_.data(), nonceBuffer, nonce_.size());
    memcpy(key_.data(), key, key_.size());
    has_key_ = true;
    variant_ = variant;
    setAttribute(Qt::WA_AcceptTouchEvents);
    watermark_ = watermark;
    scale_menu_ = pageview::buildScaleMenu(this, this, SLOT(onTaskBoxContextMenuEvent()));
  }
  ui_.graphicsView->viewport()->installEventFilter(this);
  setUpNavigation();
  QMetaObject::connectSlotsByName(this);
}

PictureShowDlg::~PictureShowDlg() {
  delete scene_;  // and the page item with it; it has no parent
  explicit_bzero(key_.data(), key_.size());
  explicit_bzero(nonce_.data(), nonce_.size());
}

void PictureShowDlg::openDocument() {
  const unsigned char *key = has_key_ ? key_.data() : nullptr;
  const unsigned char *nonce = has_key_ ? nonce_.data() : nullptr;
  discardScene();
  // One PDF document per process: the old one lets go before the new one
  // opens.
  search_->stop();
  document_.reset();
  if (is_image_)
    document_ = std::make_unique<Picture>(path_, key, nonce, variant_);
  else
    document_ = std::make_unique<PdfPicture>(path_, key, nonce, variant_);
  page_count_ = document_->isEmpty() ? 0 : document_->pageCount();
  current_page_ = 0;
  page_shown_ = false;
  open_failure_ = pageview::DocumentFailure::none;
  if (page_count_ == 0) noteOpenFailure(document_->openFailure());
  fillOutline();
  showPage(0);
  if (page_count_ > 1) {
    ui_.verticalScrollBar->setRange(0, page_count_ - 1);
    ui_.verticalScrollBar->setPageStep(1);
    ui_.verticalScrollBar->show();
  } else {
    ui_.verticalScrollBar->hide();
  }
}

bool PictureShowDlg::hasPages() const { return document_ && page_count_ > 0; }

void PictureShowDlg::noteOpenFailure(pageview::DocumentFailure failure) {
  if (page_shown_ || open_failure_ != pageview::DocumentFailure::none) return;
  if (failure == pageview::DocumentFailure::none) failure = pageview::DocumentFailure::damaged;
  open_failure_ = failure;
  qDebug() << "document not opened:" << pageview::describeDocumentFailure(failure);
}

void PictureShowDlg::updatePageDisplay(int page) {
  current_page_ = page;
  const QString count = QStringLiteral("/%1页").arg(page_count_);
  if (ui_.linePageNum->text() != count) {
    ui_.linePageNum->setText(count);
    // The label grows with the count (the design width holds "/70页"), and
    // the toolbar is laid out again around its new width.
    const int needed = ui_.linePageNum->fontMetrics().horizontalAdvance(count) + 4;
    ui_.linePageNum->resize(std::max(needed, ui_.linePageNum->minimumWidth()),
                            ui_.linePageNum->height());
    pageview::layoutToolbar(ui_, width(), is_image_);
  }
  ui_.lineEdit->setText(page_count_ > 0 ? QStringLiteral("%1").arg(page + 1) : QString());
}

void PictureShowDlg::clearAnchors() {
  anchor_x_ = 0.0f;
  anchor_y_ = 0.0f;
  anchor_offset_x_ = 0;
  anchor_offset_y_ = 0;
}

void PictureShowDlg::on_Btn_Last_clicked() {
  qDebug() << "on_Btn_Last_clicked invoked";
  if (current_page_ > 0 && current_page_ < page_count_) {
    current_page_ -= 1;
    clearAnchors();
    showPage(current_page_);
    ui_.verticalScrollBar->setValue(current_page_);
  }
}

void PictureShowDlg::on_Btn_Next_clicked() {
  qDebug() << "on_Btn_Next_clicked invoked";
  if (current_page_ >= 0 && current_page_ + 1 < page_count_) {
    current_page_ += 1;
    clearAnchors();
    showPage(current_page_);
    ui_.verticalScrollBar->setValue(current_page_);
  }
}

void PictureShowDlg::goToTypedPage() {
  qDebug() << "on_Btn_GoTo_clicked invoked";
  bool isNumber = false;
  int page = ui_.lineEdit->text().toInt(&isNumber, 10);
  if (!isNumber) page = 0;
  qDebug() << "on_Btn_GoTo_clicked invoked, page = " << page;
  if (page >= 1 && page <= page_count_) {
    clearAnchors();
    current_page_ = page - 1;
    showPage(current_page_);
    ui_.verticalScrollBar->setValue(current_page_);
  }
}

void PictureShowDlg::on_lineEdit_returnPressed() { goToTypedPage(); }
void PictureShowDlg::on_Btn_GoTo_clicked() { goToTypedPage(); }

void PictureShowDlg::updateScaleMenuChecks() {
  pageview::checkScaleEntry(scale_menu_, pageview::stepIndexOf(scale_));
}

void PictureShowDlg::buttonZoom(bool zoomIn) {
  if (!item_) return;
  anchor_x_ = static_cast<float>(item_->offsets().horizontalOffset()) / scale_;
  anchor_y_ = static_cast<float>(item_->offsets().topOffset()) / scale_;
  anchor_offset_x_ = item_->cursorOffset().x();
  anchor_offset_y_ = item_->cursorOffset().y();
  (zoomIn ? zoom_in_request_ : zoom_out_request_) = true;
  showPage(current_page_);
  updateScaleMenuChecks();
}

void PictureShowDlg::anchoredZoom(bool zoomIn, QPoint cursorOffset) {
  if (!item_) return;
  if (zoomIn && scale_ == pageview::kLargestScale) return;
  anchored_zoom_ = true;
  anchor_offset_x_ = cursorOffset.x();
  anchor_offset_y_ = cursorOffset.y();
  anchor_x_ = static_cast<float>(anchor_offset_x_ - item_->offsets().horizontalOffset()) / scale_;
  anchor_y_ = static_cast<float>(anchor_offset_y_ + item_->offsets().topOffset()) / scale_;
  (zoomIn ? zoom_in_request_ : zoom_out_request_) = true;
  showPage(current_page_);
  anchored_zoom_ = false;
}

void PictureShowDlg::on_Btn_ZoomIn_clicked() { buttonZoom(true); }
void PictureShowDlg::on_Btn_ZoomOut_clicked() { buttonZoom(false); }

void PictureShowDlg::on_Btn_ScaleList_clicked() {
  if (!scale_menu_)
    scale_menu_ = pageview::buildScaleMenu(this, this, SLOT(onTaskBoxContextMenuEvent()));
  scale_menu_->exec(ui_.lineEditScale->mapToGlobal(QPoint(0, ui_.lineEditScale->height())));
}

void PictureShowDlg::onTaskBoxContextMenuEvent() {
  auto *entry = qobject_cast<QAction *>(sender());
  if (!entry || !document_) return;
  const int data = entry->data().toInt();
  pageview::checkScaleEntry(scale_menu_, data);
  ui_.lineEditScale->setText(pageview::scaleTextForEntry(data));
  clearAnchors();
  showPage(current_page_);
}

void PictureShowDlg::on_lineEditScale_returnPressed() {
  if (ui_.lineEditScale->text().isEmpty()) return;
  clearAnchors();
  showPage(current_page_);
  updateScaleMenuChecks();
}

void PictureShowDlg::on_Btn_Rolate_clicked() {
  clearAnchors();
  rotation_ -= 90;
  if (rotation_ == -360) rotation_ = 0;
  showPage(current_page_);
}

void PictureShowDlg::on_Btn_OriginalPicture_clicked() {
  original_size_request_ = true;
  showPage(current_page_);
  original_size_request_ = false;
}

void PictureShowDlg::on_verticalScrollBar_sliderPressed() { page_slider_pressed_ = true; }
void PictureShowDlg::on_verticalScrollBar_sliderReleased() { page_slider_pressed_ = false; }

void PictureShowDlg::on_verticalScrollBar_sliderMoved(int position) {
  if (!document_ || !item_ || !page_slider_pressed_) return;
  if (position < 0 || position >= page_count_) return;
  current_page_ = position;
  clearAnchors();
  showPage(position);
}

void PictureShowDlg::on_verticalScrollBar_valueChanged(int value) {
  if (!document_ || !item_ || page_slider_pressed_) return;
  if (value < 0 || value >= page_count_) return;
  current_page_ = value;
  // Only a click on the bar rebuilds the view; the program's own value
  // changes (page turns) have already done so.
  if (QApplication::mouseButtons() == Qt::LeftButton) {
    clearAnchors();
    showPage(current_page_);
  }
}

void PictureShowDlg::on_horizontalScrollBar_valueChanged(int value) {
  if (!document_ || !item_ || !horizontal_bar_handler_on_) return;
  item_->panTo(value);
}

void PictureShowDlg::resizeEvent(QResizeEvent *event) {
  QWidget::resizeEvent(event);
  pageview::layoutToolbar(ui_, width(), is_image_);
  if (!document_) return;
  in_resize_ = true;
  showPage(current_page_);
  in_resize_ = false;
  pageview::checkScaleEntry(scale_menu_, pageview::kWholePageEntry);
}
