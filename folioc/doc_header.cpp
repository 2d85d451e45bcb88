#include "doc_header.h"

#include <cstddef>
#include <cstring>

#include "byte_order.h"
#include "crc32.h"

namespace folioc {

void build_fresh_header(unsigned char header[kHeaderBytes],
                        const unsigned char nonce[FOLIOC_NONCE_BYTES], std::uint64_t size) {
  std::memset(header, 0, kHeaderBytes);
  std::memcpy(header, FOLIOC_HEADER_MAGIC, sizeof FOLIOC_HEADER_MAGIC - 1);
  put_le32(header + FOLIOC_HEADER_VERSION_AT, FOLIOC_HEADER_VERSION);
  put_le64(header + FOLIOC_HEADER_PLAIN_SIZE_AT, size);
  put_le64(header + FOLIOC_HEADER_CIPHER_SIZE_AT, size);
  put_le32(header + FOLIOC_HEADER_MARKER_AT, FOLIOC_HEADER_MARKER);
  std::memcpy(header + FOLIOC_HEADER_NONCE_AT, nonce, FOLIOC_NONCE_BYTES);
  reseal(header);
}

bool crc_matches(const unsigned char header[kHeaderBytes]) {
  return crc32_compute(header, kCrcCoveredBytes) == get_le32(header + FOLIOC_HEADER_CRC_AT);
}

void reseal(unsigned char header[kHeaderBytes]) {
  put_le32(header + FOLIOC_HEADER_CRC_AT, crc32_compute(header, kCrcCoveredBytes));
}

bool passes_reader_check(const unsigned char header[kHeaderBytes]) {
  return get_le32(header + FOLIOC_HEADER_VERSION_AT) != FOLIOC_HEADER_VERSION ||
         crc_matches(header);
}

int store_key_cipher(const unsigned char *keyCipher, int length, unsigned char *header,
                     int *headerCapacity) {
  if (!header || !keyCipher || !headerCapacity || *headerCapacity < kHeaderBytes)
    return DOC_ERR_ARGUMENT;
  // Checked whatever the format version: a header is only ever resealed
  // when it was intact.
  if (!crc_matches(header)) return DOC_ERR_CRC;
  if (length < 0 || length > FOLIOC_KEY_CIPHER_MAX) return DOC_ERR_SIZE;

  put_le32(header + FOLIOC_HEADER_KEY_CIPHER_LEN_AT, static_cast<std::uint32_t>(length));
  std::memcpy(header + FOLIOC_HEADER_KEY_CIPHER_AT, keyCipher, static_cast<std::size_t>(length));
  reseal(header);
  *headerCapacity = kHeaderBytes;
  return DOC_OK;
}

}  // namespace folioc
