// Finding text on a page of the PDF document.
#include <memory>

#include "pdf_picture.h"
#include "pdfium_handles.h"

namespace {

// No more matches are collected on one page: a one-letter search of a
// dense page would otherwise hold tens of thousands of rectangles.
constexpr std::size_t kMostMatchesPerPage = 5000;

}  // namespace

std::vector<pageview::TextMatch> PdfPicture::findText(int page, const QString &text,
                                                      QSize scaledSize) {
  std::vector<pageview::TextMatch> matches;
  if (!hasPage(page) || text.isEmpty() || scaledSize.isEmpty()) return matches;
  PdfiumPage handle(FPDF_LoadPage(document_, page));
  PdfiumTextPage textPage(handle ? FPDFText_LoadPage(handle.get()) : nullptr);
  if (!textPage) return matches;
  // UTF-16, as PDFium takes it (QString's own, on little-endian machines).
  const std::u16string wanted = text.toStdU16String();
  PdfiumSearch search(FPDFText_FindStart(textPage.get(),
                                   reinterpret_cast<FPDF_WIDESTRING>(wanted.c_str()), 0, 0));
  if (!search) return matches;
  while (FPDFText_FindNext(search.get()) && matches.size() < kMostMatchesPerPage) {
    const int first = FPDFText_GetSchResultIndex(search.get());
    const int count = FPDFText_GetSchCount(search.get());
    const int rects = FPDFText_CountRects(textPage.get(), first, count);
    pageview::TextMatch match;
    for (int index = 0; index < rects; ++index) {
      double left = 0, top = 0, right = 0, bottom = 0;
      if (!FPDFText_GetRect(textPage.get(), index, &left, &top, &right, &bottom)) continue;
      // Both corners to the page as shown, which also turns a rotated page.
      int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
      FPDF_PageToDevice(handle.get(), 0, 0, scaledSize.width(), scaledSize.height(), 0, left, top,
                        &x1, &y1);
      FPDF_PageToDevice(handle.get(), 0, 0, scaledSize.width(), scaledSize.height(), 0, right,
                        bottom, &x2, &y2);
      match.push_back(QRect(QPoint(x1, y1), QPoint(x2, y2)).normalized());
    }
    if (!match.empty()) matches.push_back(std::move(match));
  }
  return matches;
}
