#include "document_search.h"

#include <QElapsedTimer>

#include "document/picture.h"

namespace pageview {

namespace {

constexpr qint64 kSliceMs = 20;
// The resolution match rectangles are asked at before they become
// fractions of the page: fine enough for any zoom.
const QSize kReference(1 << 16, 1 << 16);

}  // namespace

DocumentSearch::DocumentSearch(QObject *parent) : QObject(parent) {
  slices_.setInterval(0);
  connect(&slices_, &QTimer::timeout, this, &DocumentSearch::searchSlice);
}

void DocumentSearch::start(Picture *document, int pageCount, const QString &text) {
  stop();
  document_ = document;
  text_ = text;
  page_count_ = document && !text.isEmpty() ? pageCount : 0;
  next_page_ = 0;
  if (page_count_ > 0) slices_.start();
}

void DocumentSearch::stop() {
  slices_.stop();
  found_.clear();
  page_count_ = 0;
  next_page_ = 0;
  document_ = nullptr;
}

void DocumentSearch::searchSlice() {
  QElapsedTimer clock;
  clock.start();
  for (int pages = 0; pages < kPagesPerSlice && next_page_ < page_count_; ++pages) {
    const int page = next_page_++;
    for (const TextMatch &match : document_->findText(page, text_, kReference)) {
      FoundText found{page, {}};
      for (const QRect &rect : match)
        found.rects.emplace_back(double(rect.x()) / kReference.width(),
                                 double(rect.y()) / kReference.height(),
                                 double(rect.width()) / kReference.width(),
                                 double(rect.height()) / kReference.height());
      found_.push_back(std::move(found));
    }
    if (clock.elapsed() >= kSliceMs) break;
  }
  if (finished()) slices_.stop();
  emit progressed();
}

}  // namespace pageview
