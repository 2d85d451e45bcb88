// Owning wrappers for the PDFium handles a single call needs, so that every
// way out of a function closes what it opened.
#ifndef PAGEVIEW_DOCUMENT_PDFIUM_HANDLES_H
#define PAGEVIEW_DOCUMENT_PDFIUM_HANDLES_H

#include <memory>

#include "pdfium_api.h"

struct PdfiumPageCloser {
  void operator()(fpdf_page_t__ *page) const { FPDF_ClosePage(page); }
};
using PdfiumPage = std::unique_ptr<fpdf_page_t__, PdfiumPageCloser>;

struct PdfiumBitmapDestroyer {
  void operator()(fpdf_bitmap_t__ *bitmap) const { FPDFBitmap_Destroy(bitmap); }
};
using PdfiumBitmap = std::unique_ptr<fpdf_bitmap_t__, PdfiumBitmapDestroyer>;

struct PdfiumDocumentCloser {
  void operator()(fpdf_document_t__ *document) const { FPDF_CloseDocument(document); }
};
using PdfiumDocument = std::unique_ptr<fpdf_document_t__, PdfiumDocumentCloser>;

struct PdfiumTextPageCloser {
  void operator()(fpdf_textpage_t__ *text) const { FPDFText_ClosePage(text); }
};
using PdfiumTextPage = std::unique_ptr<fpdf_textpage_t__, PdfiumTextPageCloser>;

struct PdfiumSearchCloser {
  void operator()(fpdf_schhandle_t__ *search) const { FPDFText_FindClose(search); }
};
using PdfiumSearch = std::unique_ptr<fpdf_schhandle_t__, PdfiumSearchCloser>;

#endif
