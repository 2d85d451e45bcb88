#include "chunk_worker.h"

namespace folioc {

ChunkWorker::ChunkWorker(const ChunkCipher &cipher) : cipher_(cipher), thread_([this] { run(); }) {}

ChunkWorker::~ChunkWorker() {
  {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !busy_; });
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void ChunkWorker::start(unsigned char *chunk, std::size_t length, std::uint64_t offset) {
  {
    std::lock_guard lock(mutex_);
    chunk_ = chunk;
    length_ = length;
    offset_ = offset;
    busy_ = true;
  }
  changed_.notify_all();
}

bool ChunkWorker::finish() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return !busy_; });
  return result_;
}

void ChunkWorker::run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return busy_ || stopping_; });
    if (busy_) {
      unsigned char *chunk = chunk_;
      const std::size_t length = length_;
      const std::uint64_t offset = offset_;
      lock.unlock();
      const bool ok = cipher_(chunk, length, offset);
      lock.lock();
      result_ = ok;
      busy_ = false;
      changed_.notify_all();
    } else {
      return;
    }
  }
}

}  // namespace folioc
