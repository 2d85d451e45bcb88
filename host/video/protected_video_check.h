// Does a protected video belong to a key file? Checked against the header
// block the video carries before its key is used on it: a wrong key would
// otherwise give pictures of garbage with no error at all.
#ifndef FOLIO_HOST_PROTECTED_VIDEO_CHECK_H
#define FOLIO_HOST_PROTECTED_VIDEO_CHECK_H

#include <string>

#include "output/input_file.h"
#include "keys/key_file.h"
#include "video/video_header_block.h"

namespace folio_host {

// The video's header block, once its nonce is the key file's and the key
// it wraps (when it holds one) is the key file's key. Throws Failure
// naming the video when it has no header block or a damaged one, or when
// it belongs to another key file (key_path appears in the reason).
VideoHeaderBlock check_protected_video(const InputFile &input, const KeyMaterial &material,
                                       const std::string &key_path);

}  // namespace folio_host

#endif
