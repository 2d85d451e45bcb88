#include "video/protected_video_check.h"

#include "commands/messages.h"

namespace folio_host {

VideoHeaderBlock check_protected_video(const InputFile &input, const KeyMaterial &material,
                                       const std::string &key_path) {
  VideoHeaderBlock header{};
  switch (read_video_header_block(input.path(), header)) {
    case HeaderBlockRead::found: break;
    case HeaderBlockRead::none: throw Failure(input.path(), "is not a protected video");
    case HeaderBlockRead::wrong_length:
      throw Failure(input.path(), "header block is damaged (not 512 bytes long)");
  }
  if (video_header_nonce(header, input.path()) != material.nonce ||
      !wraps_key(header, material.key))
    throw Failure(input.path(), "key file does not belong to this video (" + key_path + ")");
  return header;
}

}  // namespace folio_host
