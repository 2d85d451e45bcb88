// Demuxing on a thread of its own, a bounded number of packets ahead of
// the caller: while the calling thread seals and muxes one packet, the
// next ones are being read. The transcode stays synchronous for its
// caller; only the reading moves.
//
// The reader alone touches the demuxer once started; the caller works
// from the stream facts taken before (see StreamFacts), since demuxers
// may add streams while they read.
#ifndef CINELOCK_PACKET_READER_H
#define CINELOCK_PACKET_READER_H

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>

extern "C" {
#include <libavformat/avformat.h>
}

namespace cinelock {

class PacketReader {
 public:
  // Starts reading input at once.
  explicit PacketReader(AVFormatContext *input);
  // Stops the reader and releases what it read ahead.
  ~PacketReader();
  PacketReader(const PacketReader &) = delete;
  PacketReader &operator=(const PacketReader &) = delete;

  // Moves the next packet into packet, with the input position after it
  // in *position. The result is av_read_frame's: >= 0, or its end of file
  // or error once everything before it has been taken.
  int next(AVPacket *packet, std::int64_t *position);

 private:
  struct Entry {
    AVPacket *packet;
    std::int64_t position;
  };
  void run();
  bool full() const;
  bool low() const;

  AVFormatContext *input_;
  std::mutex mutex_;
  std::condition_variable wake_reader_;
  std::condition_variable wake_caller_;
  std::deque<Entry> queue_;
  std::int64_t queued_bytes_ = 0;
  int end_result_ = 0;  // av_read_frame's final result, once reading ended
  bool ended_ = false;
  bool stopping_ = false;
  bool caller_waiting_ = false;
  bool reader_waiting_ = false;
  std::thread thread_;
};

}  // namespace cinelock

#endif
