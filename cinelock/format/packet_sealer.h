// Sealing video packets for the protected file: the payload enciphered at
// the packet's decode time, followed by the 8-byte trailer that names it.
// The ciphertext is written straight into a buffer from a pool (one pass
// over the bytes, no growing of the demuxer's buffer, no fresh pages for
// every packet).
#ifndef CINELOCK_PACKET_SEALER_H
#define CINELOCK_PACKET_SEALER_H

#include <cstdint>

#include "format/packet_cipher.h"

extern "C" {
#include <libavutil/buffer.h>
}

namespace cinelock {

class PacketSealer {
 public:
  explicit PacketSealer(const PacketCipher &cipher) : cipher_(cipher) {}
  ~PacketSealer() { av_buffer_pool_uninit(&pool_); }
  PacketSealer(const PacketSealer &) = delete;
  PacketSealer &operator=(const PacketSealer &) = delete;

  // Replaces the packet's payload by its sealed form. 0 or AVERROR(ENOMEM).
  int seal(AVPacket *packet, std::int64_t dts);

 private:
  const PacketCipher &cipher_;
  AVBufferPool *pool_ = nullptr;
  int pool_buffer_size_ = 0;
};

}  // namespace cinelock

#endif
