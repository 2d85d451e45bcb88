// Launch tokens: how a host hands a content key to a viewer or to the video
// player on its command line. Both begin with the same leading field, 11
// ASCII bytes: "1" (this token layout) followed by the Unix time of issue
// in seconds as 10 decimal digits; neither program reads it.
//
// A document viewer's token text is 75 bytes: the leading field, then the
// 32-byte content key as 64 lowercase hexadecimal digits.
// The video player's token text is 76 bytes: the leading field, one space,
// then the 64 key digits (the player takes the key from after the first
// space, and its token buffer of 128 zeroed bytes ends the text).
//
// Either text is enciphered with the token cipher (token_cipher.h) and
// written in uppercase hexadecimal, two digits a byte. Every token is
// enciphered with the same key and nonce, so tokens protect a key only as
// far as the built-in token key and the keystream stay unknown.
#ifndef FOLIO_HOST_LAUNCH_TOKEN_H
#define FOLIO_HOST_LAUNCH_TOKEN_H

#include <array>
#include <cstdint>
#include <string>

#include "keys/key_file.h"

namespace folio_host {

constexpr std::size_t kLaunchTokenDigits = 150;
constexpr std::size_t kPlayerLaunchTokenDigits = 152;

// The viewer's token for content_key, issued at unix_time (seconds;
// reduced to its last 10 decimal digits). Throws Failure when the token
// key schedule cannot be built.
std::string make_launch_token(const std::array<unsigned char, kContentKeyBytes> &content_key,
                              std::int64_t unix_time);

// The same for the video player.
std::string make_player_launch_token(
    const std::array<unsigned char, kContentKeyBytes> &content_key, std::int64_t unix_time);

}  // namespace folio_host

#endif
