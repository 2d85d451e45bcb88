#include "pdfium_peer.h"

#include <QtGlobal>

namespace folio_bench {
namespace {

// The viewer's flags: R, G, B, A byte order, no platform text calls.
constexpr int kRenderFlags = FPDF_ANNOT | FPDF_REVERSE_BYTE_ORDER | FPDF_NO_NATIVETEXT;
constexpr FPDF_DWORD kOpaqueWhite = 0xFFFFFFFF;

// The page's size in points; empty when it cannot be loaded.
QSizeF points(FPDF_DOCUMENT document, int page) {
  PdfiumPage handle(FPDF_LoadPage(document, page));
  if (!handle) return {};
  return {FPDF_GetPageWidth(handle.get()), FPDF_GetPageHeight(handle.get())};
}

}  // namespace

PdfiumDocument peer_open(const std::string &clear_path) {
  return PdfiumDocument(FPDF_LoadDocument(clear_path.c_str(), nullptr));
}

PdfiumBitmap peer_render(FPDF_DOCUMENT document, int page, QSize size) {
  PdfiumPage handle(FPDF_LoadPage(document, page));
  if (!handle) return nullptr;
  PdfiumBitmap bitmap(FPDFBitmap_Create(size.width(), size.height(), 0));
  if (!bitmap) return nullptr;
  FPDFBitmap_FillRect(bitmap.get(), 0, 0, size.width(), size.height(), kOpaqueWhite);
  FPDF_RenderPageBitmap(bitmap.get(), handle.get(), 0, 0, size.width(), size.height(), 0,
                        kRenderFlags);
  return bitmap;
}

QSize peer_page_size(FPDF_DOCUMENT document, int page, double dpi) {
  const QSizeF size = points(document, page);
  return QSize(qRound(size.width() * dpi / 72), qRound(size.height() * dpi / 72));
}

QSize peer_fit_width(FPDF_DOCUMENT document, int page, int width) {
  const QSizeF size = points(document, page);
  if (size.isEmpty()) return {};
  return QSize(width, qRound(width * size.height() / size.width()));
}

}  // namespace folio_bench
