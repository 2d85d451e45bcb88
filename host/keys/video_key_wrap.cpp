#include "keys/video_key_wrap.h"

#include "keys/token_cipher.h"

namespace folio_host {

WrappedKey wrap_video_key(const std::array<unsigned char, kContentKeyBytes> &content_key) {
  WrappedKey wrapped{};
  token_cipher(content_key.data(), content_key.size(), wrapped.data(), "video key");
  return wrapped;
}

}  // namespace folio_host
