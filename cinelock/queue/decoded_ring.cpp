#include "decoded_ring.h"

#include <algorithm>

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
}

namespace cinelock {
namespace {

bool fifo_aborted(const decoded_ring *ring) { return ring->fifo->aborted.load(relaxed) != 0; }

void release_slot(ring_slot *slot) {
  av_frame_unref(slot->frame);
  avsubtitle_free(&slot->subtitle);
}

void free_slots(decoded_ring *ring) {
  for (ring_slot &slot : ring->slots) {
    av_frame_free(&slot.frame);
    avsubtitle_free(&slot.subtitle);
  }
}

void destroy_sync(decoded_ring *ring) {
  SDL_DestroyCond(ring->cond);
  ring->cond = nullptr;
  SDL_DestroyMutex(ring->mutex);
  ring->mutex = nullptr;
}

}  // namespace

int decoded_ring_init(decoded_ring *ring, packet_fifo *fifo, int capacity, bool keep_last) {
  for (ring_slot &slot : ring->slots) {
    slot = ring_slot{};
  }
  ring->read_index = 0;
  ring->write_index = 0;
  ring->count.store(0, relaxed);
  ring->read_index_shown.store(0, relaxed);
  ring->mutex = nullptr;
  ring->cond = nullptr;
  ring->fifo = fifo;
  ring->capacity = std::min(capacity, kDecodedRingMaxCapacity);
  ring->keep_last = keep_last ? 1 : 0;
  if (capacity < 1 || fifo == nullptr) {
    ring->capacity = 0;
    return AVERROR(EINVAL);
  }
  ring->mutex = SDL_CreateMutex();
  if (ring->mutex == nullptr) {
    av_log(nullptr, AV_LOG_FATAL, "SDL_CreateMutex(): %s\n", SDL_GetError());
    return AVERROR(ENOMEM);
  }
  ring->cond = SDL_CreateCond();
  if (ring->cond == nullptr) {
    av_log(nullptr, AV_LOG_FATAL, "SDL_CreateCond(): %s\n", SDL_GetError());
    destroy_sync(ring);
    return AVERROR(ENOMEM);
  }
  for (int i = 0; i < ring->capacity; i++) {
    ring->slots[i].frame = av_frame_alloc();
    if (ring->slots[i].frame == nullptr) {
      free_slots(ring);
      destroy_sync(ring);
      return AVERROR(ENOMEM);
    }
  }
  return 0;
}

void decoded_ring_destroy(decoded_ring *ring) {
  free_slots(ring);
  destroy_sync(ring);
}

void decoded_ring_signal(decoded_ring *ring) {
  SDL_LockMutex(ring->mutex);
  SDL_CondSignal(ring->cond);
  SDL_UnlockMutex(ring->mutex);
}

ring_slot *decoded_ring_peek(decoded_ring *ring) {
  int shown = ring->read_index_shown.load(relaxed);
  return &ring->slots[(ring->read_index + shown) % ring->capacity];
}

ring_slot *decoded_ring_peek_next(decoded_ring *ring) {
  int shown = ring->read_index_shown.load(relaxed);
  return &ring->slots[(ring->read_index + shown + 1) % ring->capacity];
}

ring_slot *decoded_ring_peek_last(decoded_ring *ring) { return &ring->slots[ring->read_index]; }

ring_slot *decoded_ring_peek_writable(decoded_ring *ring) {
  SDL_LockMutex(ring->mutex);
  while (ring->count.load(relaxed) >= ring->capacity && !fifo_aborted(ring)) {
    SDL_CondWait(ring->cond, ring->mutex);
  }
  bool aborted = fifo_aborted(ring);
  SDL_UnlockMutex(ring->mutex);
  return aborted ? nullptr : &ring->slots[ring->write_index];
}

ring_slot *decoded_ring_peek_readable(decoded_ring *ring) {
  SDL_LockMutex(ring->mutex);
  while (ring->count.load(relaxed) - ring->read_index_shown.load(relaxed) <= 0 &&
         !fifo_aborted(ring)) {
    SDL_CondWait(ring->cond, ring->mutex);
  }
  bool aborted = fifo_aborted(ring);
  SDL_UnlockMutex(ring->mutex);
  return aborted ? nullptr : decoded_ring_peek(ring);
}

void decoded_ring_push(decoded_ring *ring) {
  ring->write_index = (ring->write_index + 1) % ring->capacity;
  SDL_LockMutex(ring->mutex);
  // Release: a reader that sees the new count without taking the lock
  // (remaining, then peek) also sees the slot the writer filled.
  ring->count.store(ring->count.load(relaxed) + 1, std::memory_order_release);
  SDL_CondSignal(ring->cond);
  SDL_UnlockMutex(ring->mutex);
}

void decoded_ring_advance(decoded_ring *ring) {
  if (ring->keep_last && ring->read_index_shown.load(relaxed) == 0) {
    ring->read_index_shown.store(1, relaxed);
    return;
  }
  release_slot(&ring->slots[ring->read_index]);
  ring->read_index = (ring->read_index + 1) % ring->capacity;
  SDL_LockMutex(ring->mutex);
  ring->count.store(ring->count.load(relaxed) - 1, std::memory_order_release);
  SDL_CondSignal(ring->cond);
  SDL_UnlockMutex(ring->mutex);
}

int decoded_ring_remaining(const decoded_ring *ring) {
  return ring->count.load(std::memory_order_acquire) - ring->read_index_shown.load(relaxed);
}

}  // namespace cinelock
