#include "format/packet_sealer.h"

#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/error.h>
}

namespace cinelock {

namespace {

// Pool buffers are at least this big and grow by doubling, so that a stream
// whose pictures grow slowly does not make a new pool (and fault in fresh
// pages) for every larger packet.
constexpr int kPoolStep = 256 * 1024;

void put_le64(std::uint8_t *p, std::uint64_t value) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

int PacketSealer::seal(AVPacket *packet, std::int64_t dts) {
  const int length = packet->size;
  if (length > INT32_MAX - kTrailerBytes - AV_INPUT_BUFFER_PADDING_SIZE - kPoolStep)
    return AVERROR(ERANGE);
  const int needed = length + kTrailerBytes + AV_INPUT_BUFFER_PADDING_SIZE;
  if (needed > pool_buffer_size_) {
    // Buffers of the old pool still held by the muxer are freed when it
    // lets them go.
    av_buffer_pool_uninit(&pool_);
    int size = pool_buffer_size_ > 0 ? pool_buffer_size_ : kPoolStep;
    while (size < needed) size = size > INT32_MAX / 2 ? needed : size * 2;
    pool_buffer_size_ = size;
    pool_ = av_buffer_pool_init(static_cast<std::size_t>(pool_buffer_size_), nullptr);
    if (!pool_) {
      pool_buffer_size_ = 0;
      return AVERROR(ENOMEM);
    }
  }
  AVBufferRef *sealed = av_buffer_pool_get(pool_);
  if (!sealed) return AVERROR(ENOMEM);

  cipher_.apply(packet->data, sealed->data, length, dts);
  put_le64(sealed->data + length, static_cast<std::uint64_t>(dts));
  std::memset(sealed->data + length + kTrailerBytes, 0, AV_INPUT_BUFFER_PADDING_SIZE);
  av_buffer_unref(&packet->buf);
  packet->buf = sealed;
  packet->data = sealed->data;
  packet->size = length + kTrailerBytes;
  return 0;
}

}  // namespace cinelock
