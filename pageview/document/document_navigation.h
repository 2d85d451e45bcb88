// What a reader finds a way through a document by: its outline and the
// places a text occurs on a page.
#ifndef PAGEVIEW_DOCUMENT_DOCUMENT_NAVIGATION_H
#define PAGEVIEW_DOCUMENT_DOCUMENT_NAVIGATION_H

#include <QRect>
#include <QString>
#include <vector>

namespace pageview {

// One bookmark of the outline, in reading order; children follow their
// parent with depth one greater (0 at the top level).
struct OutlineEntry {
  QString title;
  int page = -1;  // the page it leads to, from 0; -1 when it leads to none
  int depth = 0;
};

// One occurrence of a text on a page: the rectangles covering it (one per
// line it spans), in pixels of the page as shown at some scaled size.
using TextMatch = std::vector<QRect>;

}  // namespace pageview

#endif
