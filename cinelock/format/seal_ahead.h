// Sealing on a thread of its own, a few packets ahead of the muxer: while
// the calling thread muxes and writes one packet, the next video packets
// are being enciphered. Counter-mode ciphering is the one cost a protect
// has beyond a stream copy's, and on a second core it overlaps the copy's
// own work instead of adding to it.
//
// Packets come out in the order they went in, clear ones included, so the
// muxer sees exactly the sequence it saw when sealing was done in line and
// writes the same bytes.
#ifndef CINELOCK_SEAL_AHEAD_H
#define CINELOCK_SEAL_AHEAD_H

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>

#include "format/packet_sealer.h"

extern "C" {
#include <libavcodec/packet.h>
}

namespace cinelock {

class SealAhead {
 public:
  explicit SealAhead(const PacketCipher &cipher);
  // Stops the worker and releases the packets still queued.
  ~SealAhead();
  SealAhead(const SealAhead &) = delete;
  SealAhead &operator=(const SealAhead &) = delete;

  // Takes the packet's reference (blank on return). offset is where it is
  // sealed in the keystream, or AV_NOPTS_VALUE to pass it on clear. 0 or
  // AVERROR(ENOMEM).
  int push(AVPacket *packet, std::int64_t offset);

  // Moves the oldest packet, once it is ready, into packet with its offset.
  // Without wait, returns 0 at once when it is not ready; with wait, waits
  // for it (0 only when nothing is queued). 1 when a packet was moved, or
  // the sealer's failure.
  int pop(AVPacket *packet, std::int64_t *offset, bool wait);

  // True when the caller should take packets before giving more.
  bool full() const;

 private:
  struct Entry {
    AVPacket *packet;
    std::int64_t offset;
    bool ready;
    int result;
  };
  void run();
  Entry *next_to_seal();

  PacketSealer sealer_;
  mutable std::mutex mutex_;
  std::condition_variable wake_worker_;
  std::condition_variable wake_caller_;
  std::deque<Entry> queue_;  // references stay valid across push and pop
  bool worker_waiting_ = false;
  bool caller_waiting_ = false;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace cinelock

#endif
