// The peer of the viewer benchmarks: PDFium itself, called directly on the
// clear file, doing what the viewer's document does for a page (load it,
// fill a bitmap of the requested size with white, render into it with the
// viewer's flags) and nothing more: no block callback, no deciphering, no
// copy of the pixels.
#ifndef FOLIO_BENCH_PDFIUM_PEER_H
#define FOLIO_BENCH_PDFIUM_PEER_H

#include <QSize>
#include <string>

#include "document/pdfium_handles.h"

namespace folio_bench {

// FPDF_LoadDocument on the clear file; null when PDFium refuses it.
PdfiumDocument peer_open(const std::string &clear_path);

// Page page of document rendered at size; null when it could not be.
PdfiumBitmap peer_render(FPDF_DOCUMENT document, int page, QSize size);

// The page's size in pixels at dpi, rounded as the viewer rounds it;
// empty when the page cannot be loaded.
QSize peer_page_size(FPDF_DOCUMENT document, int page, double dpi);

// The page's height when its width is scaled to width; empty as above.
QSize peer_fit_width(FPDF_DOCUMENT document, int page, int width);

}  // namespace folio_bench

#endif
