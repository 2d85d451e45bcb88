// The content key out of a launch token. The token is the token text
// enciphered with AES-256 in counter mode (stream offset 0) under the
// built-in token key and the first 8 bytes of the built-in token nonce,
// written as hexadecimal digits. The 75-byte token text:
//   bytes  0..10  a leading field of the host's; not used here
//   bytes 11..74  the 32-byte content key as 64 hexadecimal digits
#ifndef PAGEVIEW_LAUNCH_TOKEN_UNWRAP_H
#define PAGEVIEW_LAUNCH_TOKEN_UNWRAP_H

#include <array>
#include <cstddef>

namespace pageview {

constexpr std::size_t kContentKeyBytes = 32;
constexpr std::size_t kTokenTextBytes = 75;
constexpr std::size_t kTokenDigits = 2 * kTokenTextBytes;
constexpr std::size_t kTokenLeadingFieldBytes = 11;

// Deciphers the kTokenDigits characters of token and writes the content
// key to contentKey (zero-filled first). The key digits end at
// the first NUL of the token text; a short or non-hexadecimal key text
// gives a wrong key, not an error. Returns false only when the token key
// schedule cannot be built (contentKey is then all zero).
bool unwrapLaunchToken(const char *token, std::array<unsigned char, kContentKeyBytes> &contentKey);
// The same, also copying the token text's leading field into leadingField.
bool unwrapLaunchToken(const char *token, std::array<unsigned char, kContentKeyBytes> &contentKey,
                       std::array<char, kTokenLeadingFieldBytes> &leadingField);

}  // namespace pageview

#endif
