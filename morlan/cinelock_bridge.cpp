#include "cinelock_bridge.h"

#include "platform/secret_arguments.h"

namespace morlan {

VideoKeyBlock::~VideoKeyBlock() { wipe_secret(key, sizeof key); }

int encryptVideo(const char *sourcePath, const char *outputPath, const VideoKeyBlock &key,
                 unsigned char *header, int *headerLength) {
  if (const int created = video_header_block_create(header, headerLength)) return created;
  unsigned char nonce[CINELOCK_NONCE_BYTES];
  if (const int read = video_header_block_nonce(header, *headerLength, nonce)) return read;
  return video_crypt_encrypt(sourcePath, outputPath, key.key, key.keyBits, nonce, header,
                             *headerLength);
}

video_player *createPlayer(const char *path, const VideoKeyBlock &key, const unsigned char *header,
                           int headerLength) {
  unsigned char nonce[CINELOCK_NONCE_BYTES];
  if (video_header_block_nonce(header, headerLength, nonce) != CINELOCK_OK) return nullptr;
  return video_crypt_player_create(path, key.key, key.keyBits, nonce);
}

}  // namespace morlan
