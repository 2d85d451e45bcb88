#include "pdf_picture.h"

#include <QImage>
#include <QtGlobal>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

#include <openssl/crypto.h>

#include "aes.h"
#include "pdf_shared_source.h"

PdfPicture::PdfPicture(const QString &path, const unsigned char *key, const unsigned char *nonce,
                       const QString &variant) {
  if (!key || !nonce) {
    qDebug("input key or iv is nulll");
    setOpenFailure(pageview::DocumentFailure::missingKey);
    return;
  }
  PdfSharedSource &source = pdfSharedSource();
  if (source.owner) {
    // Another document still reads through the shared state: it is
    // closed rather than left reading this document's file with this key.
    source.owner->closeDocument();
  }
  clearPdfSharedSource();
  source.owner = this;
  std::memcpy(source.contentNonce, nonce, sizeof source.contentNonce);
  std::memcpy(source.contentKey, key, sizeof source.contentKey);
  source.variant = variant;
  source.headerBytes = variant == QLatin1String("v1") ? kProtectedHeaderBytes : 0;
  InitFile(path);
}

PdfPicture::~PdfPicture() {
  closeDocument();
  library_.reset();
}

void PdfPicture::InitFile(const QString &path) {
  qDebug("PDFForm::InitFile invoked");
  if (!library_) library_.emplace();
  PdfSharedSource &source = pdfSharedSource();

  source.file = openDocumentFile(path);
  const std::int64_t fileSize = documentFileSize(source.file.get());
  if (!source.file || fileSize < 0) {
    qDebug("open file Failed!");
    setOpenFailure(pageview::DocumentFailure::fileUnreadable);
    clearPdfSharedSource();
    return;
  }

  // A "v1" file shorter than its header holds no document at all.
  const auto unsignedSize = static_cast<std::uint64_t>(fileSize);
  const std::uint64_t length =
      unsignedSize > source.headerBytes ? unsignedSize - source.headerBytes : 0;
  qDebug("file size = %llu", static_cast<unsigned long long>(length));

  // The record's length is 32 bits where unsigned long is (Windows); the
  // same limit holds everywhere so that a file opens on both or neither.
  const bool loadable = length > 0 && length <= std::numeric_limits<std::uint32_t>::max() &&
                        aes_setkey_enc(&source.keySchedule, source.contentKey, 256) == 0;
  if (!loadable) {
    qDebug("FPDF_LoadCustomDocument failed");
    setOpenFailure(pageview::DocumentFailure::damaged);
    clearPdfSharedSource();
    return;
  }
  fileAccess_.m_FileLen = static_cast<unsigned long>(length);
  fileAccess_.m_GetBlock = &PdfPicture::GetCipherBlock;
  fileAccess_.m_Param = source.contentKey;

  qDebug("FPDF_LoadCustomDocument before");
  document_ = FPDF_LoadCustomDocument(&fileAccess_, nullptr);
  if (!document_) {
    qDebug("FPDF_LoadCustomDocument failed");
    setOpenFailure(deciphersToPdf(length) ? pageview::DocumentFailure::damaged
                                          : pageview::DocumentFailure::notDeciphered);
    clearPdfSharedSource();
    return;
  }
  qDebug("FPDF_LoadCustomDocument successed");
  formInfo_.version = 1;
  form_ = FPDFDOC_InitFormFillEnvironment(document_, &formInfo_);
  pageCount_ = std::max(FPDF_GetPageCount(document_), 0);
  if (pageCount_ == 0) setOpenFailure(pageview::DocumentFailure::damaged);
  qDebug("FPDF_LoadPage invoked successed");
  pageSizeImage(0);
}

bool PdfPicture::deciphersToPdf(std::uint64_t length) {
  // A PDF's header lies within its first 1024 bytes; with a wrong key,
  // nonce or variant these bytes are noise.
  static constexpr char kHeader[] = "%PDF-";
  unsigned char head[1024];
  const auto size = static_cast<unsigned long>(std::min<std::uint64_t>(length, sizeof head));
  if (GetCipherBlock(nullptr, 0, head, size) != 1) return false;
  const char *text = reinterpret_cast<const char *>(head);
  const bool found =
      std::search(text, text + size, kHeader, kHeader + sizeof kHeader - 1) != text + size;
  OPENSSL_cleanse(head, sizeof head);
  return found;
}

void PdfPicture::closeDocument() {
  if (form_) FPDFDOC_ExitFormFillEnvironment(form_);
  form_ = nullptr;
  if (document_) FPDF_CloseDocument(document_);
  document_ = nullptr;
  pageCount_ = 0;
  pageSizePage_ = -1;
  if (pdfSharedSource().owner == this) clearPdfSharedSource();
}

bool PdfPicture::hasPage(int page) const { return document_ && page >= 0 && page < pageCount_; }

int PdfPicture::pageCount() const { return pageCount_; }

bool PdfPicture::isEmpty() const { return pageCount_ == 0; }
