// One stream's decoder: takes packets from its fifo (skipping those of a
// stale serial, flushing the codec at every flush marker) and hands out
// frames or subtitles.
#ifndef CINELOCK_STREAM_DECODER_H
#define CINELOCK_STREAM_DECODER_H

#include "player/video_state.h"

namespace cinelock {

// Takes ownership of codec. 0 or AVERROR(ENOMEM).
int decoder_init(stream_decoder *decoder, AVCodecContext *codec, packet_fifo *fifo,
                 SDL_cond *empty_fifo_cond);

// One frame (audio, video) or subtitle: 1 with one, 0 at end of stream or
// after a flush, -1 when the fifo is aborted.
int decoder_decode_frame(stream_decoder *decoder, AVFrame *frame, AVSubtitle *subtitle);

// Starts the fifo (clears abort, queues the flush marker) and the thread.
int decoder_start(stream_decoder *decoder, int (*run)(void *), const char *name, void *argument);

// Aborts the fifo, wakes the ring's waiters, waits for the thread, empties
// the fifo.
void decoder_abort(stream_decoder *decoder, decoded_ring *ring);

// Releases the pending packet and the codec.
void decoder_destroy(stream_decoder *decoder);

}  // namespace cinelock

#endif
