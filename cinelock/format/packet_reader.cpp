#include "format/packet_reader.h"

namespace cinelock {

namespace {

// How far ahead the reader may get: enough to keep it busy while a large
// picture is sealed, little enough to bound memory.
constexpr std::size_t kMaxPackets = 64;
constexpr std::int64_t kMaxBytes = 16 << 20;

}  // namespace

PacketReader::PacketReader(AVFormatContext *input) : input_(input), thread_([this] { run(); }) {}

PacketReader::~PacketReader() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_reader_.notify_one();
  thread_.join();
  for (Entry &entry : queue_) av_packet_free(&entry.packet);
}

// Once full, the reader sleeps until the caller has taken half the queue,
// and each side is woken only when the other sleeps: a wake-up per packet
// (a futex call and a switch of threads each) cost more than the reading
// ahead won on a busy machine.
bool PacketReader::low() const {
  return queue_.size() <= kMaxPackets / 2 && queued_bytes_ <= kMaxBytes / 2;
}

bool PacketReader::full() const {
  return queue_.size() >= kMaxPackets || queued_bytes_ >= kMaxBytes;
}

void PacketReader::run() {
  for (;;) {
    AVPacket *packet = av_packet_alloc();
    const int result = packet ? av_read_frame(input_, packet) : AVERROR(ENOMEM);
    const std::int64_t position = input_->pb ? avio_tell(input_->pb) : -1;
    std::unique_lock<std::mutex> lock(mutex_);
    if (result < 0) {
      av_packet_free(&packet);
      end_result_ = result;
      ended_ = true;
      wake_caller_.notify_one();
      return;
    }
    queued_bytes_ += packet->size;
    queue_.push_back({packet, position});
    if (caller_waiting_) wake_caller_.notify_one();
    if (full()) {
      reader_waiting_ = true;
      wake_reader_.wait(lock, [this] { return stopping_ || low(); });
      reader_waiting_ = false;
    }
    if (stopping_) return;
  }
}

int PacketReader::next(AVPacket *packet, std::int64_t *position) {
  std::unique_lock<std::mutex> lock(mutex_);
  caller_waiting_ = true;
  wake_caller_.wait(lock, [this] { return !queue_.empty() || ended_; });
  caller_waiting_ = false;
  if (queue_.empty()) return end_result_;
  Entry entry = queue_.front();
  queue_.pop_front();
  queued_bytes_ -= entry.packet->size;
  const bool wake = reader_waiting_ && low();
  lock.unlock();
  if (wake) wake_reader_.notify_one();

  av_packet_move_ref(packet, entry.packet);
  av_packet_free(&entry.packet);
  *position = entry.position;
  return 0;
}

}  // namespace cinelock
