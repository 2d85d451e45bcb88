#include "video/video_header_block.h"

#include <string.h>

#include <cstdint>

#include "video/media_log.h"
#include "commands/messages.h"
#include "video/video_container.h"
#include "keys/video_key_wrap.h"

namespace folio_host {

namespace {

constexpr std::size_t kKeyCipherLengthAt = 44;
constexpr std::size_t kKeyCipherAt = 48;

std::uint32_t little_endian_32(const unsigned char *bytes) {
  return std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 | std::uint32_t(bytes[2]) << 16 |
         std::uint32_t(bytes[3]) << 24;
}

std::string result_text(int code) {
  switch (code) {
    case CINELOCK_HEADER_ERR_ARGUMENT: return "invalid argument";
    case CINELOCK_HEADER_ERR_SIZE: return "key cipher too long";
    case CINELOCK_HEADER_ERR_RANDOM: return "the system's random source failed";
    case CINELOCK_HEADER_ERR_CRC: return "header block is damaged (checksum mismatch)";
  }
  return "video library error " + std::to_string(code);
}

}  // namespace

VideoHeaderBlock make_video_header_block(const std::array<unsigned char, kContentKeyBytes> &key,
                                         const std::string &for_file) {
  VideoHeaderBlock block{};
  int length = static_cast<int>(block.size());
  int code = video_header_block_create(block.data(), &length);
  if (code != CINELOCK_OK) throw Failure(for_file, "no header block: " + result_text(code));
  WrappedKey wrapped = wrap_video_key(key);
  length = static_cast<int>(block.size());
  code = video_set_keycipher(wrapped.data(), static_cast<int>(wrapped.size()), block.data(),
                             &length);
  ::explicit_bzero(wrapped.data(), wrapped.size());
  if (code != CINELOCK_OK) throw Failure(for_file, "no header block: " + result_text(code));
  return block;
}

VideoNonce video_header_nonce(const VideoHeaderBlock &block, const std::string &path) {
  VideoNonce nonce{};
  const int code =
      video_header_block_nonce(block.data(), static_cast<int>(block.size()), nonce.data());
  if (code != CINELOCK_OK) throw Failure(path, result_text(code));
  return nonce;
}

bool wraps_key(const VideoHeaderBlock &block,
               const std::array<unsigned char, kContentKeyBytes> &key) {
  const std::uint32_t length = little_endian_32(block.data() + kKeyCipherLengthAt);
  if (length == 0) return true;
  if (length != key.size()) return false;
  WrappedKey wrapped = wrap_video_key(key);
  const bool same = ::memcmp(wrapped.data(), block.data() + kKeyCipherAt, wrapped.size()) == 0;
  ::explicit_bzero(wrapped.data(), wrapped.size());
  return same;
}

HeaderBlockRead read_video_header_block(const std::string &path, VideoHeaderBlock &block) {
  const MediaLogSilenced quiet;
  int length = static_cast<int>(block.size());
  const int code = video_crypt_getheader(ffmpeg_file_url(path).c_str(), block.data(), &length);
  if (code != CINELOCK_OK)
    return length > static_cast<int>(block.size()) ? HeaderBlockRead::wrong_length
                                                   : HeaderBlockRead::none;
  return length == static_cast<int>(block.size()) ? HeaderBlockRead::found
                                                  : HeaderBlockRead::wrong_length;
}

}  // namespace folio_host
