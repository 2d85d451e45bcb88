// A blocking, mutex-guarded packet queue between the demux thread and one
// decoder thread. Packets are moved in and out, never copied. Every entry
// carries the fifo's serial at the time it was queued; queueing the flush
// marker starts a new serial, which is how a seek makes everything queued
// before it stale.
//
// The counters below are written under the mutex but polled without it by
// other threads (back-pressure, clocks, presenter), hence the atomics; such
// readers use relaxed loads and may see a value one round late.
#ifndef CINELOCK_QUEUE_PACKET_FIFO_H
#define CINELOCK_QUEUE_PACKET_FIFO_H

#include <SDL.h>

#include <atomic>
#include <cstdint>

extern "C" {
#include <libavcodec/packet.h>
}

namespace cinelock {

// The order of the counters' loads and stores that need none (see above).
constexpr auto relaxed = std::memory_order_relaxed;

// What every entry adds to byte_total on top of its payload, whatever the
// entry's real size: the back-pressure limits are expressed in these units.
constexpr int kPacketEntryOverhead = 104;

struct packet_entry {
  AVPacket *packet = nullptr;
  packet_entry *next = nullptr;
  int serial = 0;
};

struct packet_fifo {
  packet_entry *head = nullptr;
  packet_entry *tail = nullptr;
  std::atomic<int> packet_count{0};
  // Payloads plus kPacketEntryOverhead per entry.
  std::atomic<int> byte_total{0};
  // Sum of the packets' durations, in their stream's time base.
  std::atomic<int64_t> duration_total{0};
  // Set until packet_fifo_start; a value-initialised fifo refuses packets too.
  std::atomic<int> aborted{1};
  std::atomic<int> serial{0};
  SDL_mutex *mutex = nullptr;
  SDL_cond *cond = nullptr;
};

// Resets every field and creates the mutex and condition. The fifo starts
// aborted: nothing can be queued until packet_fifo_start. 0, or
// AVERROR(ENOMEM) (logged at fatal level) with nothing left to release.
int packet_fifo_init(packet_fifo *fifo);

// Moves packet into the fifo; packet is left blank. The flush marker is the
// exception: it is never moved from, and bumps the serial before its entry
// is stamped. 0 on success; -1 when the fifo is aborted or out of memory, in
// which case packet (unless it is the marker) has been released.
int packet_fifo_put(packet_fifo *fifo, AVPacket *packet);

// Queues a packet without data, size 0, for stream_index: the end-of-stream
// signal to the decoder. 0, or -1 as packet_fifo_put.
int packet_fifo_put_empty(packet_fifo *fifo, int stream_index);

// Takes the oldest packet. Whatever packet held is released first (so it
// must not be the flush marker itself), then the queued packet is moved into
// it and its serial stored in *serial (when serial is not null). 1 when a
// packet was taken; 0 when the fifo is empty and block is false; -1 when the
// fifo is (or becomes, while waiting) aborted. Blocking waits are untimed.
int packet_fifo_get(packet_fifo *fifo, AVPacket *packet, bool block, int *serial);

// Releases every queued packet and zeroes the totals; the serial stays.
void packet_fifo_flush(packet_fifo *fifo);

// Makes every current and future get or put on the fifo, and every wait of
// a decoded_ring drawing from it, give up. The rings' waiters only notice
// once their ring is signalled (decoded_ring_signal).
void packet_fifo_abort(packet_fifo *fifo);

// Clears the abort flag and queues the flush marker, so the decoder's first
// packet opens a fresh serial. 0, or -1 when the marker could not be queued.
int packet_fifo_start(packet_fifo *fifo);

// Flushes, then destroys the mutex and condition. Also safe on a fifo whose
// init failed or was never called on a value-initialised fifo.
void packet_fifo_destroy(packet_fifo *fifo);

}  // namespace cinelock

#endif
