#include "packet_fifo.h"

#include "flush_marker.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
}

namespace cinelock {
namespace {

// The fifo's counters change only under its mutex, so a load-then-store is
// not a lost update; the atomics are for the lock-free readers elsewhere.
template <typename T>
void add_relaxed(std::atomic<T> &counter, T amount) {
  counter.store(counter.load(relaxed) + amount, relaxed);
}

// The marker is not moved from: every fifo and every seek reuses it. Its
// stand-in shares the data pointer (so is_flush_marker recognises it) and,
// like the marker, owns no buffer.
void fill_entry_packet(AVPacket *entry_packet, AVPacket *packet) {
  if (is_flush_marker(packet)) {
    entry_packet->data = packet->data;
    entry_packet->size = 0;
    return;
  }
  av_packet_move_ref(entry_packet, packet);
}

int put_locked(packet_fifo *fifo, AVPacket *packet) {
  if (fifo->aborted.load(relaxed)) {
    return -1;
  }
  auto *entry = static_cast<packet_entry *>(av_mallocz(sizeof(packet_entry)));
  if (entry == nullptr) {
    return -1;
  }
  entry->packet = av_packet_alloc();
  if (entry->packet == nullptr) {
    av_free(entry);
    return -1;
  }
  fill_entry_packet(entry->packet, packet);
  if (is_flush_marker(entry->packet)) {
    add_relaxed(fifo->serial, 1);
  }
  entry->serial = fifo->serial.load(relaxed);
  entry->next = nullptr;
  if (fifo->tail == nullptr) {
    fifo->head = entry;
  } else {
    fifo->tail->next = entry;
  }
  fifo->tail = entry;
  add_relaxed(fifo->packet_count, 1);
  add_relaxed(fifo->byte_total, entry->packet->size + kPacketEntryOverhead);
  add_relaxed(fifo->duration_total, entry->packet->duration);
  SDL_CondSignal(fifo->cond);
  return 0;
}

}  // namespace

int packet_fifo_init(packet_fifo *fifo) {
  fifo->head = nullptr;
  fifo->tail = nullptr;
  fifo->packet_count.store(0, relaxed);
  fifo->byte_total.store(0, relaxed);
  fifo->duration_total.store(0, relaxed);
  fifo->serial.store(0, relaxed);
  fifo->aborted.store(1, relaxed);
  fifo->cond = nullptr;
  fifo->mutex = SDL_CreateMutex();
  if (fifo->mutex == nullptr) {
    av_log(nullptr, AV_LOG_FATAL, "SDL_CreateMutex(): %s\n", SDL_GetError());
    return AVERROR(ENOMEM);
  }
  fifo->cond = SDL_CreateCond();
  if (fifo->cond == nullptr) {
    av_log(nullptr, AV_LOG_FATAL, "SDL_CreateCond(): %s\n", SDL_GetError());
    SDL_DestroyMutex(fifo->mutex);
    fifo->mutex = nullptr;
    return AVERROR(ENOMEM);
  }
  return 0;
}

int packet_fifo_put(packet_fifo *fifo, AVPacket *packet) {
  SDL_LockMutex(fifo->mutex);
  int result = put_locked(fifo, packet);
  SDL_UnlockMutex(fifo->mutex);
  if (result < 0 && !is_flush_marker(packet)) {
    av_packet_unref(packet);
  }
  return result;
}

int packet_fifo_put_empty(packet_fifo *fifo, int stream_index) {
  AVPacket *empty = av_packet_alloc();
  if (empty == nullptr) {
    return -1;
  }
  empty->stream_index = stream_index;
  int result = packet_fifo_put(fifo, empty);
  av_packet_free(&empty);
  return result;
}

int packet_fifo_get(packet_fifo *fifo, AVPacket *packet, bool block, int *serial) {
  int result = 0;
  SDL_LockMutex(fifo->mutex);
  for (;;) {
    if (fifo->aborted.load(relaxed)) {
      result = -1;
      break;
    }
    packet_entry *entry = fifo->head;
    if (entry != nullptr) {
      fifo->head = entry->next;
      if (fifo->head == nullptr) {
        fifo->tail = nullptr;
      }
      add_relaxed(fifo->packet_count, -1);
      add_relaxed(fifo->byte_total, -(entry->packet->size + kPacketEntryOverhead));
      add_relaxed(fifo->duration_total, -entry->packet->duration);
      av_packet_unref(packet);
      av_packet_move_ref(packet, entry->packet);
      if (serial != nullptr) {
        *serial = entry->serial;
      }
      av_packet_free(&entry->packet);
      av_free(entry);
      result = 1;
      break;
    }
    if (!block) {
      result = 0;
      break;
    }
    SDL_CondWait(fifo->cond, fifo->mutex);
  }
  SDL_UnlockMutex(fifo->mutex);
  return result;
}

void packet_fifo_flush(packet_fifo *fifo) {
  SDL_LockMutex(fifo->mutex);
  packet_entry *entry = fifo->head;
  while (entry != nullptr) {
    packet_entry *next = entry->next;
    av_packet_free(&entry->packet);
    av_free(entry);
    entry = next;
  }
  fifo->head = nullptr;
  fifo->tail = nullptr;
  fifo->packet_count.store(0, relaxed);
  fifo->byte_total.store(0, relaxed);
  fifo->duration_total.store(0, relaxed);
  SDL_UnlockMutex(fifo->mutex);
}

void packet_fifo_abort(packet_fifo *fifo) {
  SDL_LockMutex(fifo->mutex);
  fifo->aborted.store(1, relaxed);
  SDL_CondSignal(fifo->cond);
  SDL_UnlockMutex(fifo->mutex);
}

int packet_fifo_start(packet_fifo *fifo) {
  AVPacket *marker = flush_marker();
  SDL_LockMutex(fifo->mutex);
  fifo->aborted.store(0, relaxed);
  int result = marker != nullptr ? put_locked(fifo, marker) : -1;
  SDL_UnlockMutex(fifo->mutex);
  return result;
}

void packet_fifo_destroy(packet_fifo *fifo) {
  if (fifo->mutex != nullptr) {
    packet_fifo_flush(fifo);
  }
  SDL_DestroyMutex(fifo->mutex);
  fifo->mutex = nullptr;
  SDL_DestroyCond(fifo->cond);
  fifo->cond = nullptr;
}

}  // namespace cinelock
