#include "clear_render.h"

#include <cstring>

#include "document/pdfium_handles.h"
#include "document/pdfium_library.h"

namespace pageview_test {

QImage renderClearPage(const std::string &path, int page, int width, int height) {
  PdfiumLibrary library;
  PdfiumDocument document(FPDF_LoadDocument(path.c_str(), nullptr));
  if (!document) return {};
  PdfiumPage handle(FPDF_LoadPage(document.get(), page));
  if (!handle) return {};
  const bool alpha = FPDFPage_HasTransparency(handle.get()) != 0;
  PdfiumBitmap bitmap(FPDFBitmap_Create(width, height, alpha));
  if (!bitmap) return {};
  FPDFBitmap_FillRect(bitmap.get(), 0, 0, width, height, alpha ? 0x00000000u : 0xFFFFFFFFu);
  FPDF_RenderPageBitmap(bitmap.get(), handle.get(), 0, 0, width, height, 0,
                        FPDF_REVERSE_BYTE_ORDER | FPDF_NO_NATIVETEXT);
  QImage image(width, height, QImage::Format_RGBA8888);
  const auto *pixels = static_cast<const unsigned char *>(FPDFBitmap_GetBuffer(bitmap.get()));
  const int stride = FPDFBitmap_GetStride(bitmap.get());
  for (int y = 0; y < height; ++y)
    std::memcpy(image.scanLine(y), pixels + static_cast<std::ptrdiff_t>(y) * stride,
                static_cast<std::size_t>(width) * 4);
  return image;
}

bool clearPageHasTransparency(const std::string &path, int page) {
  PdfiumLibrary library;
  PdfiumDocument document(FPDF_LoadDocument(path.c_str(), nullptr));
  PdfiumPage handle(document ? FPDF_LoadPage(document.get(), page) : nullptr);
  return handle && FPDFPage_HasTransparency(handle.get()) != 0;
}

}  // namespace pageview_test
