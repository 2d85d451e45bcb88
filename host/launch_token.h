// Launch tokens: how a host hands a document's content key to a viewer on
// its command line. The token text is 75 ASCII bytes:
//   bytes  0..10  leading field: "1" (this token layout) followed by the
//                 Unix time of issue in seconds as 10 decimal digits;
//                 viewers do not read it
//   bytes 11..74  the 32-byte content key as 64 lowercase hexadecimal digits
// It is enciphered with AES-256 in counter mode at stream offset 0 under
// the built-in token key and the first 8 bytes of the built-in token nonce
// (the values the viewers are built with), and written as 150 uppercase
// hexadecimal digits.
//
// Every token is enciphered with the same key and nonce, so tokens protect
// a key only as far as the viewer's built-in key stays unknown.
#ifndef FOLIO_HOST_LAUNCH_TOKEN_H
#define FOLIO_HOST_LAUNCH_TOKEN_H

#include <array>
#include <cstdint>
#include <string>

#include "key_file.h"

namespace folio_host {

constexpr std::size_t kLaunchTokenDigits = 150;

// The token for content_key, issued at unix_time (seconds; reduced to its
// last 10 decimal digits). Throws Failure when the token key schedule
// cannot be built.
std::string make_launch_token(const std::array<unsigned char, kContentKeyBytes> &content_key,
                              std::int64_t unix_time);

}  // namespace folio_host

#endif
