#include "flush_marker.h"

#include <atomic>
#include <cstdint>

extern "C" {
#include <libavutil/error.h>
}

namespace cinelock {
namespace {

std::atomic<AVPacket *> prepared_marker{nullptr};

}  // namespace

int flush_marker_prepare() {
  if (prepared_marker.load(std::memory_order_acquire) != nullptr) {
    return 0;
  }
  AVPacket *candidate = av_packet_alloc();
  if (candidate == nullptr) {
    return AVERROR(ENOMEM);
  }
  candidate->data = reinterpret_cast<uint8_t *>(candidate);
  candidate->size = 0;
  AVPacket *expected = nullptr;
  // Two threads may race to prepare it; the loser's packet is dropped so
  // that every caller sees the one marker.
  if (!prepared_marker.compare_exchange_strong(expected, candidate, std::memory_order_acq_rel,
                                               std::memory_order_acquire)) {
    av_packet_free(&candidate);
  }
  return 0;
}

AVPacket *flush_marker() {
  if (flush_marker_prepare() < 0) {
    return nullptr;
  }
  return prepared_marker.load(std::memory_order_acquire);
}

bool is_flush_marker(const AVPacket *packet) {
  if (packet == nullptr) {
    return false;
  }
  const AVPacket *marker = prepared_marker.load(std::memory_order_acquire);
  return marker != nullptr && packet->data == reinterpret_cast<const uint8_t *>(marker);
}

}  // namespace cinelock
