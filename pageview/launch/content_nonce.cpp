#include "content_nonce.h"

#include <climits>
#include <cstring>

#include "crypto/base64.h"

namespace pageview {

bool decodeContentNonce(const char *text, std::array<unsigned char, kNonceBufferBytes> &nonce) {
  nonce.fill(0);
  const std::size_t length = std::strlen(text);
  // Far beyond any nonce; the decoder takes an int length.
  if (length > INT_MAX) return false;
  int decoded = 0;
  return base64_decode(text, static_cast<int>(length), nonce.data(),
                       static_cast<int>(nonce.size()), &decoded) == B64_OK;
}

}  // namespace pageview
