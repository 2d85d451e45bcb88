#include "format/seal_ahead.h"

#include <new>

extern "C" {
#include <libavutil/avutil.h>
#include <libavutil/error.h>
}

namespace cinelock {

namespace {

// Enough to keep the worker busy while a large picture is written, few
// enough that the sealed bytes are still in the cache when the muxer
// copies them.
constexpr std::size_t kMaxQueued = 8;

}  // namespace

SealAhead::SealAhead(const PacketCipher &cipher) : sealer_(cipher), thread_([this] { run(); }) {}

SealAhead::~SealAhead() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_worker_.notify_one();
  thread_.join();
  for (Entry &entry : queue_) av_packet_free(&entry.packet);
}

bool SealAhead::full() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return queue_.size() >= kMaxQueued;
}

SealAhead::Entry *SealAhead::next_to_seal() {
  for (Entry &entry : queue_)
    if (!entry.ready) return &entry;
  return nullptr;
}

void SealAhead::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    Entry *entry = next_to_seal();
    if (!entry) {
      if (stopping_) return;
      worker_waiting_ = true;
      wake_worker_.wait(lock);
      worker_waiting_ = false;
      continue;
    }
    // The caller neither pops nor touches an entry that is not ready, and
    // pushing keeps references to queued entries valid.
    lock.unlock();
    const int result = sealer_.seal(entry->packet, entry->offset);
    lock.lock();
    entry->result = result;
    entry->ready = true;
    if (caller_waiting_) wake_caller_.notify_one();
  }
}

int SealAhead::push(AVPacket *packet, std::int64_t offset) {
  AVPacket *kept = av_packet_alloc();
  if (!kept) return AVERROR(ENOMEM);
  av_packet_move_ref(kept, packet);
  const bool clear = offset == AV_NOPTS_VALUE;
  bool wake = false;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    try {
      queue_.push_back({kept, offset, clear, 0});
    } catch (const std::bad_alloc &) {
      av_packet_free(&kept);
      return AVERROR(ENOMEM);
    }
    wake = !clear && worker_waiting_;
  }
  if (wake) wake_worker_.notify_one();
  return 0;
}

int SealAhead::pop(AVPacket *packet, std::int64_t *offset, bool wait) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (queue_.empty()) return 0;
  if (!queue_.front().ready) {
    if (!wait) return 0;
    caller_waiting_ = true;
    wake_caller_.wait(lock, [this] { return queue_.front().ready; });
    caller_waiting_ = false;
  }
  Entry entry = queue_.front();
  queue_.pop_front();
  lock.unlock();
  av_packet_move_ref(packet, entry.packet);
  av_packet_free(&entry.packet);
  *offset = entry.offset;
  return entry.result < 0 ? entry.result : 1;
}

}  // namespace cinelock
