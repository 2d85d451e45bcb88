// The wrapped content key a protected video's header block carries: the
// content key enciphered with the token cipher (token_cipher.h), as the
// video player wraps it when it protects a video itself. Counter mode is
// its own inverse, so the same call unwraps it.
#ifndef FOLIO_HOST_VIDEO_KEY_WRAP_H
#define FOLIO_HOST_VIDEO_KEY_WRAP_H

#include <array>

#include "keys/key_file.h"

namespace folio_host {

using WrappedKey = std::array<unsigned char, kContentKeyBytes>;

// Throws Failure when the token key schedule cannot be built.
WrappedKey wrap_video_key(const std::array<unsigned char, kContentKeyBytes> &content_key);

}  // namespace folio_host

#endif
