// The reference rendering for pages read through the encrypted source:
// PDFium loading the clear file from its path (FPDF_LoadDocument) and
// rendering with the viewer's bitmap set-up.
#ifndef PAGEVIEW_TESTS_DOCUMENT_CLEAR_RENDER_H
#define PAGEVIEW_TESTS_DOCUMENT_CLEAR_RENDER_H

#include <QImage>
#include <string>

namespace pageview_test {

// Page page of the clear PDF at path at width x height pixels, as an
// RGBA8888 image owning its pixels; a null image when PDFium fails.
QImage renderClearPage(const std::string &path, int page, int width, int height);

// Whether PDFium finds transparency on that page of the clear PDF.
bool clearPageHasTransparency(const std::string &path, int page);

}  // namespace pageview_test

#endif
