// A fixed ring of decoded frames (or subtitles) between one decoder thread
// (the writer) and the presenter or audio callback (the reader). Frames are
// allocated once at init and reused. The write index belongs to the writer
// and the read index to the reader; only the count is shared, changed under
// the mutex. Waits end when the awaited state arrives or when the packet
// fifo the ring draws from is aborted (after decoded_ring_signal).
//
// With keep-last on, the frame last shown stays in the ring after the first
// advance: peek gives the frame after it and peek_last the one shown.
#ifndef CINELOCK_QUEUE_DECODED_RING_H
#define CINELOCK_QUEUE_DECODED_RING_H

#include <SDL.h>

#include <atomic>
#include <cstdint>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/rational.h>
}

#include "packet_fifo.h"

namespace cinelock {

constexpr int kDecodedRingMaxCapacity = 16;

struct ring_slot {
  AVFrame *frame = nullptr;
  AVSubtitle subtitle{};
  int serial = 0;
  // Seconds; NaN when the decoder gave no time.
  double pts = 0.0;
  // Seconds.
  double duration = 0.0;
  // Byte position in the input, -1 when unknown.
  int64_t pos = 0;
  int width = 0;
  int height = 0;
  // AVPixelFormat for pictures.
  int format = 0;
  AVRational sample_aspect_ratio{0, 1};
  // Set once the picture is in the video texture, so a repeated display
  // does not upload it again.
  int uploaded = 0;
  int flip_vertical = 0;
};

struct decoded_ring {
  ring_slot slots[kDecodedRingMaxCapacity];
  int read_index = 0;
  int write_index = 0;
  // Polled without the lock by the demux thread's end-of-play check.
  std::atomic<int> count{0};
  int capacity = 0;
  int keep_last = 0;
  // 1 once the frame at read_index has been shown and is kept as the last.
  std::atomic<int> read_index_shown{0};
  SDL_mutex *mutex = nullptr;
  SDL_cond *cond = nullptr;
  packet_fifo *fifo = nullptr;
};

// Resets the ring, creates its mutex and condition and one frame per slot.
// capacity is clamped to 16 (kDecodedRingMaxCapacity). fifo need not be
// initialised yet; only its abort flag is read, by the waits. 0;
// AVERROR(EINVAL) for a capacity below 1 or no fifo; AVERROR(ENOMEM)
// (SDL failures logged at fatal level) with nothing left to release.
int decoded_ring_init(decoded_ring *ring, packet_fifo *fifo, int capacity, bool keep_last);

// Releases and frees every slot's frame and subtitle, destroys the mutex and
// condition. Also safe after a failed init.
void decoded_ring_destroy(decoded_ring *ring);

// Wakes the ring's waiter, e.g. so that it notices its fifo was aborted.
void decoded_ring_signal(decoded_ring *ring);

// Reader side, no waiting: the frame to show next, the one after it, and
// the one last shown (the same as peek until keep-last has shown one).
ring_slot *decoded_ring_peek(decoded_ring *ring);
ring_slot *decoded_ring_peek_next(decoded_ring *ring);
ring_slot *decoded_ring_peek_last(decoded_ring *ring);

// Writer side: waits for a free slot; nullptr when the fifo is aborted.
ring_slot *decoded_ring_peek_writable(decoded_ring *ring);

// Reader side: waits for an unshown frame; nullptr when the fifo is aborted.
ring_slot *decoded_ring_peek_readable(decoded_ring *ring);

// Writer side: publishes the slot returned by peek_writable.
void decoded_ring_push(decoded_ring *ring);

// Reader side: done with the frame at peek. With keep-last the first call
// only marks it shown; otherwise the oldest slot is released and freed up.
void decoded_ring_advance(decoded_ring *ring);

// Frames pushed and not yet shown.
int decoded_ring_remaining(const decoded_ring *ring);

}  // namespace cinelock

#endif
