// Hexadecimal and Base64 text for keys, nonces and digests. Decoding is
// strict: key files are checked, not guessed at.
#ifndef FOLIO_HOST_TEXT_CODEC_H
#define FOLIO_HOST_TEXT_CODEC_H

#include <cstddef>
#include <string>

namespace folio_host {

// Lowercase hexadecimal, two digits a byte.
std::string to_hex(const unsigned char *bytes, std::size_t size);
// True when text is exactly 2 * size hexadecimal digits (either case).
bool from_hex(const std::string &text, unsigned char *bytes, std::size_t size);

// Base64, standard alphabet, "=" padding.
std::string to_base64(const unsigned char *bytes, std::size_t size);
// True when text is the canonical Base64 of exactly size bytes.
bool from_base64(const std::string &text, unsigned char *bytes, std::size_t size);

}  // namespace folio_host

#endif
