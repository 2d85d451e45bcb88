// The header accessors on arbitrary 512-byte headers and capacities: no
// copy may leave the 48-byte key cipher area or the caller's buffers, and
// a header that was resealed must read back what was stored.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "folioc.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  if (size < FOLIOC_HEADER_BYTES + 2) return 0;
  unsigned char header[FOLIOC_HEADER_BYTES];
  std::memcpy(header, data, sizeof header);
  const unsigned capacity = data[FOLIOC_HEADER_BYTES] % 64;  // may be below the stored length
  const int new_length = static_cast<int>(data[FOLIOC_HEADER_BYTES + 1]) - 8;  // -8 .. 247
  const unsigned char *key_cipher = data + FOLIOC_HEADER_BYTES + 2;
  const std::size_t key_cipher_available = size - FOLIOC_HEADER_BYTES - 2;

  // Exactly `capacity` bytes, so any overrun is caught by the sanitizer.
  std::vector<unsigned char> out(capacity ? capacity : 1);
  unsigned int out_capacity = capacity;
  const int got = DocGetKeyCipher(header, FOLIOC_HEADER_BYTES, out.data(), &out_capacity);
  if (got == DOC_OK && out_capacity > FOLIOC_KEY_CIPHER_MAX) std::abort();

  unsigned char nonce[FOLIOC_NONCE_BYTES];
  const int nonce_result = DocGetNonce(header, FOLIOC_HEADER_BYTES, nonce);
  if (nonce_result == DOC_OK && std::memcmp(nonce, header + FOLIOC_HEADER_NONCE_AT, sizeof nonce) != 0)
    std::abort();

  if (new_length < 0 || static_cast<std::size_t>(new_length) > key_cipher_available) return 0;
  int header_capacity = FOLIOC_HEADER_BYTES;
  if (DocSetKeyCipher(key_cipher, new_length, header, &header_capacity) != DOC_OK) return 0;

  // A resealed header passes every reader and returns what was stored.
  unsigned char back[FOLIOC_KEY_CIPHER_MAX];
  unsigned int back_capacity = sizeof back;
  if (DocGetKeyCipher(header, FOLIOC_HEADER_BYTES, back, &back_capacity) != DOC_OK ||
      back_capacity != static_cast<unsigned>(new_length) ||
      std::memcmp(back, key_cipher, static_cast<std::size_t>(new_length)) != 0)
    std::abort();
  if (DocGetNonce(header, FOLIOC_HEADER_BYTES, nonce) != DOC_OK) std::abort();
  return 0;
}
