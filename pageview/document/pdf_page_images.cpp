// Page images of the PDF document: the page's size at screen resolution and
// the page rasterised by PDFium.
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QtGlobal>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>

#include "pdf_picture.h"
#include "pdfium_handles.h"

namespace {

constexpr int kRenderFlags = FPDF_REVERSE_BYTE_ORDER | FPDF_NO_NATIVETEXT;  // 0x14
constexpr FPDF_DWORD kTransparent = 0x00000000;
constexpr FPDF_DWORD kOpaqueWhite = 0xFFFFFFFF;

// Points at dpi to whole pixels, half away from zero; 0 when the result is
// not a usable image side.
int pixelsFor(double points, float dpi) {
  const double pixels = points * static_cast<double>(dpi) / 72.0;
  if (!std::isfinite(pixels) || pixels < 0.5 || pixels >= 2147483647.0) return 0;
  return qRound(pixels);
}

}  // namespace

QImage *PdfPicture::pageSizeImage(int page) {
  if (!hasPage(page)) return nullptr;
  if (page == pageSizePage_ && pageSize_) return pageSize_.get();
  const QScreen *screen = QGuiApplication::primaryScreen();
  if (!screen) return nullptr;
  PdfiumPage handle(FPDF_LoadPage(document_, page));
  if (!handle) return nullptr;

  const auto dpi = static_cast<float>(screen->logicalDotsPerInch());
  const int width = pixelsFor(FPDF_GetPageWidth(handle.get()), dpi);
  const int height = pixelsFor(FPDF_GetPageHeight(handle.get()), dpi);
  if (width == 0 || height == 0) return nullptr;
  auto image = std::make_unique<QImage>(width, height, QImage::Format_RGBA8888);
  if (image->isNull()) return nullptr;
  image->fill(Qt::transparent);
  pageSize_ = std::move(image);
  pageSizePage_ = page;
  return pageSize_.get();
}

QImage *PdfPicture::pageImage(int page, int width, int height) {
  return renderPage(page, width, height);
}

QImage *PdfPicture::renderPage(int page, int width, int height) {
  rendered_.reset();
  renderedPixels_.reset();
  if (!hasPage(page) || width < 1 || height < 1) return nullptr;
  PdfiumPage handle(FPDF_LoadPage(document_, page));
  if (!handle) return nullptr;

  const bool alpha = FPDFPage_HasTransparency(handle.get()) != 0;
  PdfiumBitmap bitmap(FPDFBitmap_Create(width, height, alpha ? 1 : 0));
  if (!bitmap) return nullptr;
  FPDFBitmap_FillRect(bitmap.get(), 0, 0, width, height, alpha ? kTransparent : kOpaqueWhite);
  FPDF_RenderPageBitmap(bitmap.get(), handle.get(), 0, 0, width, height, 0, kRenderFlags);

  const int stride = FPDFBitmap_GetStride(bitmap.get());
  const int rows = FPDFBitmap_GetHeight(bitmap.get());
  const void *pixels = FPDFBitmap_GetBuffer(bitmap.get());
  if (!pixels || rows != height || static_cast<std::int64_t>(stride) < std::int64_t{width} * 4)
    return nullptr;
  // Copied so that PDFium's bitmap and page can be released at once.
  const std::size_t bytes = static_cast<std::size_t>(stride) * static_cast<std::size_t>(rows);
  renderedPixels_.reset(new (std::nothrow) unsigned char[bytes]);
  if (!renderedPixels_) return nullptr;
  std::memcpy(renderedPixels_.get(), pixels, bytes);
  rendered_ = std::make_unique<QImage>(renderedPixels_.get(), width, height, stride,
                                       QImage::Format_RGBA8888);
  return rendered_.get();
}

QImage *PdfPicture::scaledRender(int width, int height) {
  scaled_.reset();
  if (!rendered_ || width < 1 || height < 1) return nullptr;
  auto scaled = std::make_unique<QImage>(
      rendered_->scaled(width, height, Qt::IgnoreAspectRatio, Qt::FastTransformation));
  if (scaled->isNull()) return nullptr;
  scaled_ = std::move(scaled);
  return scaled_.get();
}
