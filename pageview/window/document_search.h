// Searching the whole document for a text, a few pages at a time from the
// event loop: PDFium may be called from the GUI thread only, so the search
// cannot run on a thread of its own, and the window must stay responsive
// while a long document is searched.
#ifndef PAGEVIEW_WINDOW_DOCUMENT_SEARCH_H
#define PAGEVIEW_WINDOW_DOCUMENT_SEARCH_H

#include <QObject>
#include <QRectF>
#include <QString>
#include <QTimer>
#include <vector>

class Picture;

namespace pageview {

// One match: its page and its rectangles as fractions of the page's width
// and height (0..1), so that they scale with the page at any zoom.
struct FoundText {
  int page;
  std::vector<QRectF> rects;
};

class DocumentSearch : public QObject {
  Q_OBJECT

 public:
  // At most this many pages, and about 20 ms, per slice of the event loop.
  static constexpr int kPagesPerSlice = 8;

  explicit DocumentSearch(QObject *parent = nullptr);

  // Starts searching document's pages 0..pageCount-1 for text, from the
  // next turn of the event loop on; an earlier search is dropped. An empty
  // text finds nothing. document must outlive the search or stop() first.
  void start(Picture *document, int pageCount, const QString &text);
  void stop();

  const QString &text() const { return text_; }
  // Matches so far, in page order.
  const std::vector<FoundText> &found() const { return found_; }
  int pagesSearched() const { return next_page_; }
  bool finished() const { return next_page_ >= page_count_; }

 signals:
  // After every slice that searched pages (the last one included).
  void progressed();

 private:
  void searchSlice();

  Picture *document_ = nullptr;
  int page_count_ = 0;
  int next_page_ = 0;
  QString text_;
  std::vector<FoundText> found_;
  QTimer slices_;
};

}  // namespace pageview

#endif
