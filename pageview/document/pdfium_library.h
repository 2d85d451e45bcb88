// PDFium's process-wide set-up, shared by everything in the process that
// uses PDFium. FPDF_InitLibrary and FPDF_DestroyLibrary are not counted by
// PDFium itself, so two users calling them directly would tear the library
// down under each other; holding a PdfiumLibrary instead keeps it set up
// from the first holder's creation to the last holder's destruction.
// GUI thread only, like every PDFium call.
#ifndef PAGEVIEW_DOCUMENT_PDFIUM_LIBRARY_H
#define PAGEVIEW_DOCUMENT_PDFIUM_LIBRARY_H

class PdfiumLibrary {
 public:
  PdfiumLibrary();
  ~PdfiumLibrary();
  PdfiumLibrary(const PdfiumLibrary &) = delete;
  PdfiumLibrary &operator=(const PdfiumLibrary &) = delete;
};

#endif
