// The PDF document: a protected PDF that PDFium reads through a block
// callback, deciphering only the ranges it asks for, in memory. No
// deciphered byte is written anywhere.
//
// Container variants (the launch's fourth argument):
//   "v1"        the 512-byte protected document header, then the
//               ciphertext: document byte p is file byte 512 + p;
//   other text  the ciphertext alone: document byte p is file byte p.
// Either way document byte p is deciphered with keystream offset p. The
// header is neither read nor checked: key and nonce come from the launch.
//
// One document per process: the block callback is a plain function and
// works from process-wide state (the open file, content key, key schedule,
// nonce and variant). Opening a second PdfPicture takes that state over;
// the earlier one then has no pages (its images stay valid as usual).
//
// Messages (Qt debug stream, category "default"), on top of Picture's:
//   "PDFForm::InitFile invoked"          opening starts
//   "file size = N"                      N: the document length in bytes
//   "FPDF_LoadCustomDocument before"     PDFium is about to load it
//   "FPDF_LoadCustomDocument failed"     not loadable: wrong key, nonce or
//                                        variant, damaged, shorter than
//                                        its header, or over 4 GiB - 1
//   "FPDF_LoadCustomDocument successed"
//   "FPDF_LoadPage invoked successed"    the page count is known
// Any failure leaves a document with no pages (pageCount 0, isEmpty).
//
// Page images follow Picture's ownership rule. A QGuiApplication must exist
// (page sizes use the primary screen's logical dpi).
#ifndef PAGEVIEW_DOCUMENT_PDF_PICTURE_H
#define PAGEVIEW_DOCUMENT_PDF_PICTURE_H

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>
#include <optional>

#include "pdfium_api.h"
#include "pdfium_library.h"
#include "picture.h"

class PdfPicture : public Picture {
 public:
  // key: 32 bytes, nonce: 8 bytes; either null writes "input key or iv is
  // nulll" and opens nothing. Otherwise opens path as variant describes.
  PdfPicture(const QString &path, const unsigned char *key, const unsigned char *nonce,
             const QString &variant);
  ~PdfPicture() override;

  // A blank image of the page's size at screen resolution: page points x
  // logical dpi / 72, rounded half away from zero. Kept while the same page
  // is asked for again.
  QImage *pageSizeImage(int page) override;
  // The page rendered by PDFium at exactly width x height pixels,
  // QImage::Format_RGBA8888 over a pixel buffer the document owns. Pages
  // with transparency start from a transparent background, others from
  // opaque white. Annotations and filled form fields are drawn as their
  // appearances say; nothing is editable.
  QImage *pageImage(int page, int width, int height) override;
  // Rendered by PDFium clipped to the region: only the region's pixels
  // are ever allocated and drawn, and they equal those of pageImage.
  QImage pageRegion(int page, QSize scaledSize, QRect region) override;
  // Through PDFium's text of the page: what a reader sees, in the order
  // PDFium reads it (CJK text too).
  std::vector<pageview::TextMatch> findText(int page, const QString &text,
                                            QSize scaledSize) override;
  // The outline through PDFium's bookmarks. A damaged outline that loops
  // or runs deeper than 64 levels or past 100000 entries is cut there.
  std::vector<pageview::OutlineEntry> outline() override;
  // The last page rendered by pageImage, scaled to width x height.
  QImage *scaledRender(int width, int height) override;
  // Pages PDFium reports; 0 when nothing is open.
  int pageCount() const override;
  bool isEmpty() const override;

  // PDFium's block callback (FPDF_FILEACCESS::m_GetBlock) over the
  // process-wide state: reads document bytes [position, position + size)
  // from the open file and deciphers them with keystream offset position
  // into buffer. param is not used. Returns 1 when all size bytes were
  // delivered; 0 when fewer could be read (a range past the end of the
  // file), nothing is open, or buffer is null or size 0.
  static int GetCipherBlock(void *param, unsigned long position, unsigned char *buffer,
                            unsigned long size);

 private:
  void InitFile(const QString &path);
  QImage *renderPage(int page, int width, int height);
  // Draws region of the page scaled to scaledSize into pixels (RGBA rows of
  // stride bytes, region's size), over white, or over transparency where
  // the page has transparency.
  bool drawPage(void *pixels, int stride, QSize scaledSize, QRect region, int page);
  void closeDocument();
  bool hasPage(int page) const;
  // Whether the first bytes of the document decipher to a PDF header.
  static bool deciphersToPdf(std::uint64_t length);

  std::unique_ptr<QImage> pageSize_;
  int pageSizePage_ = -1;  // the page pageSize_ was built for
  // What rendered_ shows. PDFium renders straight into it, and it is kept
  // from one page to the next: a fresh buffer for every page would meet
  // freshly mapped memory each time, and page faults would cost more than
  // the rendering.
  // Left uninitialised when allocated: PDFium fills every pixel before it
  // renders, and zeroing first would touch every page of it twice.
  std::unique_ptr<unsigned char[]> renderedPixels_;
  std::size_t renderedCapacity_ = 0;
  std::unique_ptr<QImage> rendered_;  // over renderedPixels_
  std::unique_ptr<QImage> scaled_;
  FPDF_FILEACCESS fileAccess_{};  // read by PDFium for the document's life
  FPDF_DOCUMENT document_ = nullptr;
  FPDF_FORMFILLINFO formInfo_{};  // read by PDFium while form_ exists
  FPDF_FORMHANDLE form_ = nullptr;  // draws the form fields
  int pageCount_ = 0;
  std::optional<PdfiumLibrary> library_;  // held from opening to destruction
};

#endif
