// The document's nonce as the host passes it: Base64 text, decoded into a
// zero-filled buffer of which the document uses the first 8 bytes.
#ifndef PAGEVIEW_LAUNCH_CONTENT_NONCE_H
#define PAGEVIEW_LAUNCH_CONTENT_NONCE_H

#include <array>
#include <cstddef>

namespace pageview {

constexpr std::size_t kNonceBufferBytes = 64;

// Decodes text into nonce (zero-filled first; bytes past the decoded length
// stay zero, so an empty text gives an all-zero nonce). False when text is
// not Base64 of a length that is a multiple of 4 or decodes to more than
// kNonceBufferBytes.
bool decodeContentNonce(const char *text, std::array<unsigned char, kNonceBufferBytes> &nonce);

}  // namespace pageview

#endif
