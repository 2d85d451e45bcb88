// The three decoder threads: each turns its stream's packets into frames
// (or subtitles) in its ring until its fifo is aborted.
#ifndef CINELOCK_DECODER_THREADS_H
#define CINELOCK_DECODER_THREADS_H

namespace cinelock {

// SDL thread functions; the argument is the VideoState.
int audio_decoder(void *state);
int video_decoder(void *state);
int subtitle_decoder(void *state);

}  // namespace cinelock

#endif
