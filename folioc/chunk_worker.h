// A second thread that ciphers one chunk at a time, so that the file pass
// can read and write the next and previous chunks meanwhile.
#ifndef FOLIOC_CHUNK_WORKER_H
#define FOLIOC_CHUNK_WORKER_H

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>

#include "file_pass.h"

namespace folioc {

class ChunkWorker {
 public:
  explicit ChunkWorker(const ChunkCipher &cipher);
  // Waits for the chunk in hand, if any, then stops the thread.
  ~ChunkWorker();
  ChunkWorker(const ChunkWorker &) = delete;
  ChunkWorker &operator=(const ChunkWorker &) = delete;

  // Hands over one chunk; the caller must not touch it until finish().
  // At most one chunk is in hand at a time.
  void start(unsigned char *chunk, std::size_t length, std::uint64_t offset);
  // Waits for the chunk in hand; the cipher's result.
  bool finish();

 private:
  void run();

  const ChunkCipher &cipher_;
  std::mutex mutex_;
  std::condition_variable changed_;
  unsigned char *chunk_ = nullptr;
  std::size_t length_ = 0;
  std::uint64_t offset_ = 0;
  bool busy_ = false;
  bool result_ = false;
  bool stopping_ = false;
  std::thread thread_;  // last: starts once everything above is ready
};

}  // namespace folioc

#endif
