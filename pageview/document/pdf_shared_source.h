// The process-wide state behind PdfPicture::GetCipherBlock. PDFium calls the
// block callback as a plain function, so the open file and key material it
// needs live here, one set per process, owned by the PdfPicture that opened
// it last. Internal to the document objects.
#ifndef PAGEVIEW_DOCUMENT_PDF_SHARED_SOURCE_H
#define PAGEVIEW_DOCUMENT_PDF_SHARED_SOURCE_H

#include <QString>
#include <cstdint>

#include "aes.h"
#include "document_file.h"

class PdfPicture;

struct PdfSharedSource {
  QString variant;
  std::uint64_t headerBytes = 0;  // file bytes before document byte 0
  DocumentFile file;              // open while a document reads from it
  unsigned char contentKey[32] = {};
  aes_key_schedule keySchedule;   // of contentKey, 256 bits; built on opening
  unsigned char contentNonce[8] = {};
  PdfPicture *owner = nullptr;
};

PdfSharedSource &pdfSharedSource();

// Bytes of a "v1" container ahead of the ciphertext.
constexpr std::uint64_t kProtectedHeaderBytes = 512;

// Closes the file and wipes the key material; the owner is forgotten.
void clearPdfSharedSource();

#endif
