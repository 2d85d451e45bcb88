#include "pdfium_library.h"

#include "pdfium_api.h"

namespace {
int holders = 0;
}

PdfiumLibrary::PdfiumLibrary() {
  if (holders++ == 0) FPDF_InitLibrary();
}

PdfiumLibrary::~PdfiumLibrary() {
  if (--holders == 0) FPDF_DestroyLibrary();
}
