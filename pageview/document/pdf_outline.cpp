// The PDF document's outline.
#include <set>

#include "pdf_picture.h"

namespace {

constexpr int kDeepestLevel = 64;
constexpr std::size_t kMostEntries = 100000;

QString titleOf(FPDF_BOOKMARK bookmark) {
  const unsigned long bytes = FPDFBookmark_GetTitle(bookmark, nullptr, 0);
  if (bytes < 2) return QString();
  std::u16string title(bytes / 2, u'\0');
  FPDFBookmark_GetTitle(bookmark, title.data(), static_cast<unsigned long>(title.size() * 2));
  while (!title.empty() && title.back() == u'\0') title.pop_back();
  return QString::fromStdU16String(title).simplified();
}

}  // namespace

std::vector<pageview::OutlineEntry> PdfPicture::outline() {
  std::vector<pageview::OutlineEntry> entries;
  if (!document_) return entries;
  std::set<FPDF_BOOKMARK> seen;  // a damaged outline may lead back to itself
  struct Level {
    FPDF_BOOKMARK next;
    int depth;
  };
  std::vector<Level> pending{{FPDFBookmark_GetFirstChild(document_, nullptr), 0}};
  while (!pending.empty() && entries.size() < kMostEntries) {
    Level &level = pending.back();
    FPDF_BOOKMARK bookmark = level.next;
    if (!bookmark || !seen.insert(bookmark).second) {
      pending.pop_back();
      continue;
    }
    const int depth = level.depth;
    level.next = FPDFBookmark_GetNextSibling(document_, bookmark);
    FPDF_DEST dest = FPDFBookmark_GetDest(document_, bookmark);
    if (!dest) {
      FPDF_ACTION action = FPDFBookmark_GetAction(bookmark);
      if (action) dest = FPDFAction_GetDest(document_, action);
    }
    const int page = dest ? FPDFDest_GetDestPageIndex(document_, dest) : -1;
    entries.push_back({titleOf(bookmark), page >= 0 && page < pageCount_ ? page : -1, depth});
    if (depth + 1 < kDeepestLevel)
      pending.push_back({FPDFBookmark_GetFirstChild(document_, bookmark), depth + 1});
  }
  return entries;
}
