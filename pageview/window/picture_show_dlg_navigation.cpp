// Finding one's way through a long document: the search row, the outline
// panel, and the keys for pages and zoom.
#include <QDebug>
#include <QGraphicsView>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLineEdit>
#include <QScrollBar>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "document/picture.h"
#include "document_search.h"
#include "image_widget.h"
#include "picture_show_dlg.h"
#include "scale_menu.h"
#include "scale_model.h"
#include "search_bar.h"

namespace {

// Match rectangles (fractions of the page) in pixels of the page as shown.
std::vector<QRect> pixelsOf(const std::vector<QRectF> &rects, QSize page) {
  std::vector<QRect> pixels;
  for (const QRectF &rect : rects)
    pixels.push_back(QRectF(rect.x() * page.width(), rect.y() * page.height(),
                            rect.width() * page.width(), rect.height() * page.height())
                         .toAlignedRect());
  return pixels;
}

}  // namespace

void PictureShowDlg::setUpNavigation() {
  search_bar_ = new pageview::SearchBar(this);
  ui_.verticalLayout->insertWidget(1, search_bar_);
  search_ = new pageview::DocumentSearch(this);
  connect(search_bar_, &pageview::SearchBar::textChanged, this, &PictureShowDlg::searchFor);
  connect(search_bar_, &pageview::SearchBar::nextRequested, this, [this] { stepMatch(1); });
  connect(search_bar_, &pageview::SearchBar::previousRequested, this, [this] { stepMatch(-1); });
  connect(search_bar_, &pageview::SearchBar::closed, this, [this] {
    searchFor(QString());
    ui_.graphicsView->setFocus();
  });
  connect(search_, &pageview::DocumentSearch::progressed, this, &PictureShowDlg::searchProgressed);

  outline_ = new QTreeWidget(this);
  outline_->setObjectName(QStringLiteral("outlineTree"));
  outline_->setHeaderHidden(true);
  outline_->setMinimumWidth(180);
  outline_->setMaximumWidth(280);
  outline_->hide();
  ui_.horizontalLayout->insertWidget(0, outline_);
  connect(outline_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) {
    const int page = item->data(0, Qt::UserRole).toInt();
    if (page >= 0) goToPage(page);
  });

  const auto key = [this](const QKeySequence &sequence, auto action) {
    connect(new QShortcut(sequence, this), &QShortcut::activated, this, action);
  };
  key(QKeySequence::Find, [this] { openSearch(); });
  key(QKeySequence(Qt::Key_F3), [this] { stepMatch(1); });
  key(QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { stepMatch(-1); });
  key(QKeySequence(Qt::Key_Home), [this] { goToPage(0); });
  key(QKeySequence(Qt::Key_End), [this] { goToPage(page_count_ - 1); });
  key(QKeySequence(Qt::Key_Space), [this] {
    if (item_) item_->pageDown();
  });
  key(QKeySequence(Qt::SHIFT | Qt::Key_Space), [this] {
    if (item_) item_->pageUp();
  });
  for (const QKeySequence &in : {QKeySequence(Qt::CTRL | Qt::Key_Plus),
                                 QKeySequence(Qt::CTRL | Qt::Key_Equal)})
    key(in, [this] { on_Btn_ZoomIn_clicked(); });
  key(QKeySequence(Qt::CTRL | Qt::Key_Minus), [this] { on_Btn_ZoomOut_clicked(); });
  key(QKeySequence(Qt::CTRL | Qt::Key_0), [this] { showWholePage(); });
  key(QKeySequence(Qt::CTRL | Qt::Key_G), [this] {
    if (is_image_) return;
    ui_.lineEdit->setFocus(Qt::ShortcutFocusReason);
    ui_.lineEdit->selectAll();
  });
}

void PictureShowDlg::fillOutline() {
  outline_->clear();
  const std::vector<pageview::OutlineEntry> entries =
      document_ ? document_->outline() : std::vector<pageview::OutlineEntry>();
  std::vector<QTreeWidgetItem *> parents;
  for (const pageview::OutlineEntry &entry : entries) {
    parents.resize(std::min<std::size_t>(parents.size(), entry.depth));
    auto *item = parents.empty() ? new QTreeWidgetItem(outline_)
                                 : new QTreeWidgetItem(parents.back());
    item->setText(0, entry.title);
    item->setToolTip(0, entry.title);
    item->setData(0, Qt::UserRole, entry.page);
    if (entry.page < 0) item->setDisabled(true);
    parents.push_back(item);
  }
  outline_->setVisible(!entries.empty());
  // The view's width is settled before the first page is fitted to it.
  ui_.verticalLayout->activate();
}

void PictureShowDlg::goToPage(int page) {
  if (page < 0 || page >= page_count_ || !document_) return;
  clearAnchors();
  current_page_ = page;
  showPage(page);
  ui_.verticalScrollBar->setValue(page);
}

void PictureShowDlg::showWholePage() {
  if (!document_) return;
  pageview::checkScaleEntry(scale_menu_, pageview::kWholePageEntry);
  ui_.lineEditScale->setText(pageview::wholePageText());
  clearAnchors();
  showPage(current_page_);
}

void PictureShowDlg::openSearch() {
  if (is_image_ || !document_) return;
  search_bar_->open();
}

void PictureShowDlg::searchFor(const QString &text) {
  current_match_ = -1;
  pending_step_ = 0;
  search_->start(hasPages() ? document_.get() : nullptr, page_count_, text);
  applyHighlights();
  search_bar_->showCount(-1, 0, !search_->finished());
}

void PictureShowDlg::searchProgressed() {
  const auto &found = search_->found();
  search_bar_->showCount(current_match_, static_cast<int>(found.size()), !search_->finished());
  if (pending_step_ != 0) {
    const int step = pending_step_;
    pending_step_ = 0;
    stepMatch(step);
  }
  applyHighlights();
  if (search_->finished())
    qDebug() << "search:" << found.size() << "matches in" << search_->pagesSearched() << "pages";
}

void PictureShowDlg::stepMatch(int direction) {
  const auto &found = search_->found();
  const int count = static_cast<int>(found.size());
  int next = -1;
  if (current_match_ >= 0 && current_match_ < count) {
    next = current_match_ + direction;
    if (next < 0 || next >= count) next = search_->finished() ? (next + count) % count : -1;
  } else if (direction > 0) {
    for (int i = 0; i < count && next < 0; ++i)
      if (found[i].page >= current_page_) next = i;
    if (next < 0 && search_->finished() && count > 0) next = 0;
  } else {
    for (int i = count - 1; i >= 0 && next < 0; --i)
      if (found[i].page <= current_page_) next = i;
    if (next < 0 && search_->finished() && count > 0) next = count - 1;
  }
  if (next < 0) {
    // The match wanted lies in pages not searched yet.
    if (!search_->finished() && !search_->text().isEmpty()) pending_step_ = direction;
    return;
  }
  current_match_ = next;
  const pageview::FoundText &match = found[next];
  if (match.page != current_page_) goToPage(match.page);
  applyHighlights();
  if (item_ && !match.rects.empty())
    item_->bringIntoView(pixelsOf(match.rects, item_->pageSize()).front());
  search_bar_->showCount(current_match_, count, !search_->finished());
}

void PictureShowDlg::applyHighlights() {
  if (!item_ || is_image_) return;
  std::vector<QRect> matches, current;
  const auto &found = search_->found();
  for (std::size_t i = 0; i < found.size(); ++i) {
    if (found[i].page != current_page_) continue;
    const std::vector<QRect> rects = pixelsOf(found[i].rects, item_->pageSize());
    auto &into = static_cast<int>(i) == current_match_ ? current : matches;
    into.insert(into.end(), rects.begin(), rects.end());
  }
  item_->setHighlights(std::move(matches), std::move(current));
}
