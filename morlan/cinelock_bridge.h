// The video library as the player calls it: keys travel as a video key
// block and the nonce inside a 512-byte header block. The library itself
// takes key, key length in bits and nonce; these calls translate.
#ifndef MORLAN_CINELOCK_BRIDGE_H
#define MORLAN_CINELOCK_BRIDGE_H

#include <cstdint>

#include "cinelock.h"

namespace morlan {

struct VideoKeyBlock {
  std::int32_t keyBits = 256;
  unsigned char key[32] = {};

  VideoKeyBlock() = default;
  VideoKeyBlock(const VideoKeyBlock &) = default;
  VideoKeyBlock &operator=(const VideoKeyBlock &) = default;
  // The key does not linger in freed memory.
  ~VideoKeyBlock();
};

// Protects sourcePath into outputPath under key and a fresh header block
// (random nonce) written into header. *headerLength: in, the capacity (at
// least 512); out, 512. 0, or the failing library call's non-zero result.
int encryptVideo(const char *sourcePath, const char *outputPath, const VideoKeyBlock &key,
                 unsigned char *header, int *headerLength);

// A player for path with key and the nonce of header; null when the header
// is not an intact header block or the library refuses the player.
video_player *createPlayer(const char *path, const VideoKeyBlock &key, const unsigned char *header,
                           int headerLength);

}  // namespace morlan

#endif
