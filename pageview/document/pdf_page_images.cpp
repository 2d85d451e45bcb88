// Page images of the PDF document: the page's size at screen resolution and
// the page rasterised by PDFium.
#include <sys/mman.h>

#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QtGlobal>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "pdf_picture.h"
#include "pdfium_handles.h"

namespace {

// Annotations and form fields are drawn as their appearances say, read
// only: the form is never handed any input.
constexpr int kRenderFlags = FPDF_ANNOT | FPDF_REVERSE_BYTE_ORDER | FPDF_NO_NATIVETEXT;
constexpr FPDF_DWORD kTransparent = 0x00000000;
constexpr FPDF_DWORD kOpaqueWhite = 0xFFFFFFFF;
constexpr int kMaxSide = 2147483647;  // a row of width * 4 bytes must fit an int

// Points at dpi to whole pixels, half away from zero; 0 when the result is
// not a usable image side.
int pixelsFor(double points, float dpi) {
  const double pixels = points * static_cast<double>(dpi) / 72.0;
  if (!std::isfinite(pixels) || pixels < 0.5 || pixels >= 2147483647.0) return 0;
  return qRound(pixels);
}

// A transparent image whose pixels are never written: fresh anonymous
// memory reads as zeros and costs nothing until someone draws into it (the
// heap would hand back recycled memory and clear it page by page).
struct Mapping {
  void *address;
  std::size_t length;
};

void unmap(void *info) {
  auto *mapping = static_cast<Mapping *>(info);
  munmap(mapping->address, mapping->length);
  delete mapping;
}

std::unique_ptr<QImage> transparentImage(int width, int height) {
  if (width > kMaxSide / 4) return nullptr;
  const int stride = width * 4;
  const std::size_t length = static_cast<std::size_t>(stride) * static_cast<std::size_t>(height);
  void *pixels = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (pixels == MAP_FAILED) return nullptr;
  auto *mapping = new (std::nothrow) Mapping{pixels, length};
  if (!mapping) {
    munmap(pixels, length);
    return nullptr;
  }
  return std::make_unique<QImage>(static_cast<uchar *>(pixels), width, height, stride,
                                  QImage::Format_RGBA8888, &unmap, mapping);
}

// A loaded page known to the document's form for as long as it is drawn.
class PageInForm {
 public:
  PageInForm(FPDF_PAGE page, FPDF_FORMHANDLE form) : page_(page), form_(form) {
    if (form_) FORM_OnAfterLoadPage(page_, form_);
  }
  ~PageInForm() {
    if (form_) FORM_OnBeforeClosePage(page_, form_);
  }
  PageInForm(const PageInForm &) = delete;
  PageInForm &operator=(const PageInForm &) = delete;

 private:
  FPDF_PAGE page_;
  FPDF_FORMHANDLE form_;
};

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
  // Only the size of this image is ever used: pages of the same size share it.
  if (!pageSize_ || pageSize_->size() != QSize(width, height)) {
    pageSize_ = transparentImage(width, height);
    if (!pageSize_) return nullptr;
  }
  pageSizePage_ = page;
  return pageSize_.get();
}

QImage *PdfPicture::pageImage(int page, int width, int height) {
  return renderPage(page, width, height);
}

bool PdfPicture::drawPage(void *pixels, int stride, QSize scaledSize, QRect region, int page) {
  PdfiumPage handle(FPDF_LoadPage(document_, page));
  if (!handle) return false;
  const PageInForm inForm(handle.get(), form_);
  const bool alpha = FPDFPage_HasTransparency(handle.get()) != 0;
  PdfiumBitmap bitmap(FPDFBitmap_CreateEx(region.width(), region.height(),
                                          alpha ? FPDFBitmap_BGRA : FPDFBitmap_BGRx, pixels,
                                          stride));
  if (!bitmap) return false;
  FPDFBitmap_FillRect(bitmap.get(), 0, 0, region.width(), region.height(),
                      alpha ? kTransparent : kOpaqueWhite);
  // The whole scaled page placed so that the region falls on the bitmap:
  // PDFium clips everything to the bitmap, so its work and memory follow
  // the region, and the pixels are those of the whole page's render.
  FPDF_RenderPageBitmap(bitmap.get(), handle.get(), -region.x(), -region.y(),
                        scaledSize.width(), scaledSize.height(), 0, kRenderFlags);
  if (form_)
    FPDF_FFLDraw(form_, bitmap.get(), handle.get(), -region.x(), -region.y(), scaledSize.width(),
                 scaledSize.height(), 0, kRenderFlags);
  return true;
}

QImage PdfPicture::pageRegion(int page, QSize scaledSize, QRect region) {
  if (!hasPage(page) || scaledSize.isEmpty() || region.isEmpty() ||
      !QRect(QPoint(0, 0), scaledSize).contains(region) || region.width() > kMaxSide / 4)
    return QImage();
  QImage part(region.size(), QImage::Format_RGBA8888);
  if (part.isNull() || !drawPage(part.bits(), part.bytesPerLine(), scaledSize, region, page))
    return QImage();
  return part;
}

QImage *PdfPicture::renderPage(int page, int width, int height) {
  rendered_.reset();
  if (!hasPage(page) || width < 1 || height < 1 || width > kMaxSide / 4) return nullptr;

  const int stride = width * 4;
  const std::size_t bytes = static_cast<std::size_t>(stride) * static_cast<std::size_t>(height);
  if (renderedCapacity_ < bytes) {
    renderedPixels_.reset();
    renderedCapacity_ = 0;
    renderedPixels_.reset(new (std::nothrow) unsigned char[bytes]);
    if (!renderedPixels_) return nullptr;
    renderedCapacity_ = bytes;
  }
  const QRect whole(0, 0, width, height);
  if (!drawPage(renderedPixels_.get(), stride, whole.size(), whole, page)) return nullptr;
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
