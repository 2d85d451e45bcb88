// Header blocks for protected videos: the 512-byte protected document
// header, which carries the nonce and a wrapped content key, built, read
// and resealed by the same code as the document library's.
#include <cerrno>
#include <cstring>

#include "cinelock.h"
#include "doc_header.h"
#include "format/header_reader.h"
#include "folioc.h"
#include "platform/os_random.h"

namespace {

static_assert(CINELOCK_HEADER_BLOCK_BYTES == FOLIOC_HEADER_BYTES);
static_assert(CINELOCK_NONCE_BYTES == FOLIOC_NONCE_BYTES);
static_assert(CINELOCK_KEY_CIPHER_MAX == FOLIOC_KEY_CIPHER_MAX);
static_assert(CINELOCK_HEADER_ERR_ARGUMENT == DOC_ERR_ARGUMENT);
static_assert(CINELOCK_HEADER_ERR_SIZE == DOC_ERR_SIZE);
static_assert(CINELOCK_HEADER_ERR_CRC == DOC_ERR_CRC);

bool intact(const unsigned char *header) { return folioc::crc_matches(header); }

bool nonces_equal(const unsigned char *a, const unsigned char *b) {
  return std::memcmp(a + FOLIOC_HEADER_NONCE_AT, b + FOLIOC_HEADER_NONCE_AT, FOLIOC_NONCE_BYTES) == 0;
}

}  // namespace

extern "C" {

CINELOCK_API int video_header_block_create(unsigned char *header, int *header_len) {
  if (!header || !header_len || *header_len < CINELOCK_HEADER_BLOCK_BYTES)
    return CINELOCK_HEADER_ERR_ARGUMENT;
  unsigned char nonce[CINELOCK_NONCE_BYTES];
  if (!os_random(nonce, sizeof nonce)) return CINELOCK_HEADER_ERR_RANDOM;
  // A video has no single plaintext size: both size fields stay 0.
  folioc::build_fresh_header(header, nonce, 0);
  *header_len = CINELOCK_HEADER_BLOCK_BYTES;
  return CINELOCK_OK;
}

CINELOCK_API int video_header_block_nonce(const unsigned char *header, int header_len,
                                          unsigned char nonce[CINELOCK_NONCE_BYTES]) {
  if (!header || !nonce || header_len < CINELOCK_HEADER_BLOCK_BYTES)
    return CINELOCK_HEADER_ERR_ARGUMENT;
  if (!intact(header)) return CINELOCK_HEADER_ERR_CRC;
  std::memcpy(nonce, header + FOLIOC_HEADER_NONCE_AT, CINELOCK_NONCE_BYTES);
  return CINELOCK_OK;
}

CINELOCK_API int video_set_keycipher(const unsigned char *keycipher, int length,
                                     unsigned char *header, int *header_len) {
  return folioc::store_key_cipher(keycipher, length, header, header_len);
}

CINELOCK_API int video_get_timespan(const char *path, const unsigned char *header, int header_len,
                                    int *seconds) {
  if (!path || !header || !seconds || header_len < CINELOCK_HEADER_BLOCK_BYTES)
    return CINELOCK_HEADER_ERR_ARGUMENT;
  if (!intact(header)) return CINELOCK_HEADER_ERR_CRC;

  unsigned char stored[CINELOCK_HEADER_BLOCK_BYTES];
  const cinelock::HeaderRead read = cinelock::read_header_block(path, stored, sizeof stored);
  switch (read.lookup) {
    case cinelock::HeaderLookup::unreadable:
      return CINELOCK_HEADER_ERR_VIDEO;
    case cinelock::HeaderLookup::no_header_stream:
      break;  // a clear video: nothing to compare
    case cinelock::HeaderLookup::found:
      // The nonce deciphers the video only if it is the one it was made with.
      if (read.length < CINELOCK_HEADER_BLOCK_BYTES || !nonces_equal(stored, header))
        return CINELOCK_HEADER_ERR_MISMATCH;
      break;
    case cinelock::HeaderLookup::too_small:
    case cinelock::HeaderLookup::no_header_packet:
      return CINELOCK_HEADER_ERR_MISMATCH;
  }
  *seconds = read.duration_seconds;
  return CINELOCK_OK;
}

}  // extern "C"
