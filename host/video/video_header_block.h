// The 512-byte header block a protected video carries in its header
// stream: made, read back and checked through the video library, plus the
// wrapped key it holds (key cipher length at byte 44, key cipher at 48).
#ifndef FOLIO_HOST_VIDEO_HEADER_BLOCK_H
#define FOLIO_HOST_VIDEO_HEADER_BLOCK_H

#include <array>
#include <string>

#include "cinelock.h"
#include "keys/key_file.h"

namespace folio_host {

using VideoHeaderBlock = std::array<unsigned char, CINELOCK_HEADER_BLOCK_BYTES>;
using VideoNonce = std::array<unsigned char, CINELOCK_NONCE_BYTES>;
static_assert(CINELOCK_NONCE_BYTES == kNonceBytes, "a key file records a video's nonce whole");

// A fresh block (random nonce) holding content_key wrapped under the token
// key. Throws Failure naming for_file when the library cannot make it.
VideoHeaderBlock make_video_header_block(const std::array<unsigned char, kContentKeyBytes> &key,
                                         const std::string &for_file);

// The block's nonce. Throws Failure naming path when the block is not intact.
VideoNonce video_header_nonce(const VideoHeaderBlock &block, const std::string &path);

// True when the block holds no wrapped key, or one that unwraps to key.
bool wraps_key(const VideoHeaderBlock &block,
               const std::array<unsigned char, kContentKeyBytes> &key);

enum class HeaderBlockRead { found, none, wrong_length };

// Reads the header block of the file at path (FFmpeg silenced). none: the
// file has no header stream, or it cannot be read at all; wrong_length:
// the header stream holds something other than a 512-byte block.
HeaderBlockRead read_video_header_block(const std::string &path, VideoHeaderBlock &block);

}  // namespace folio_host

#endif
