#include "pdf_shared_source.h"

#include <openssl/crypto.h>

#include <algorithm>
#include <cstdint>
#include <limits>

#include "aes_ctr.h"
#include "pdf_picture.h"

PdfSharedSource &pdfSharedSource() {
  static PdfSharedSource source;
  return source;
}

void clearPdfSharedSource() {
  PdfSharedSource &source = pdfSharedSource();
  source.file.reset();
  aes_free(&source.keySchedule);
  OPENSSL_cleanse(source.contentKey, sizeof source.contentKey);
  OPENSSL_cleanse(source.contentNonce, sizeof source.contentNonce);
  source.variant.clear();
  source.headerBytes = 0;
  source.owner = nullptr;
}

int PdfPicture::GetCipherBlock(void * /*param*/, unsigned long position, unsigned char *buffer,
                               unsigned long size) {
  PdfSharedSource &source = pdfSharedSource();
  if (!source.file || source.keySchedule.rounds == 0 || !buffer || size == 0) return 0;
  const std::uint64_t limit = std::numeric_limits<std::int64_t>::max();
  if (position > limit - source.headerBytes || size > limit - source.headerBytes - position)
    return 0;

  // The ciphertext goes straight into PDFium's buffer and is deciphered in
  // place: no second copy of the block exists.
  if (!readExactlyAt(source.file.get(), source.headerBytes + position, buffer, size)) return 0;
  constexpr unsigned long kStep = 1ul << 30;  // aes_crypt_ctr takes int32 lengths
  for (unsigned long done = 0; done < size;) {
    const unsigned long step = std::min(size - done, kStep);
    aes_crypt_ctr(&source.keySchedule, AES_ENCRYPT, static_cast<std::int32_t>(step),
                  source.contentNonce, static_cast<std::int64_t>(position + done), buffer + done,
                  buffer + done);
    done += step;
  }
  return 1;
}
