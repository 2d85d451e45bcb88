#include <algorithm>
#include <cmath>
#include <cstring>

#include "audio/audio_output.h"
#include "output/process_output.h"

extern "C" {
#include <libavutil/time.h>
}

namespace cinelock {

namespace {

// Played in place of a frame that did not come in time.
constexpr int kSilenceBytes = 512;

int silence_bytes(int frame_size) {
  if (frame_size <= 0) return kSilenceBytes;
  return std::max(frame_size, kSilenceBytes / frame_size * frame_size);
}

// Appends 16-bit samples to the history the visualisation draws, wrapping
// at its end.
void append_sample_history(VideoState *is, const int16_t *samples, int byte_count) {
  int remaining = byte_count / static_cast<int>(sizeof(int16_t));
  while (remaining > 0) {
    const int room = kSampleHistory - is->sample_array_index;
    const int count = std::min(room, remaining);
    std::memcpy(is->sample_array + is->sample_array_index, samples, count * sizeof(int16_t));
    samples += count;
    is->sample_array_index += count;
    if (is->sample_array_index >= kSampleHistory) is->sample_array_index = 0;
    remaining -= count;
  }
}

// Makes the next frame (or silence) the current buffer.
void refill_buffer(VideoState *is) {
  const int size = audio_fetch_frame(is);
  if (size < 0) {
    is->audio_buf = nullptr;
    is->audio_buf_size = static_cast<unsigned>(silence_bytes(is->audio_tgt.frame_size));
  } else {
    if (is->show_mode.load(std::memory_order_relaxed) != DisplayMode::video)
      append_sample_history(is, reinterpret_cast<const int16_t *>(is->audio_buf), size);
    is->audio_buf_size = static_cast<unsigned>(size);
  }
  is->audio_buf_index = 0;
}

void write_part(VideoState *is, Uint8 *stream, int length) {
  const int volume = std::clamp(is->audio_volume.load(), 0, SDL_MIX_MAXVOLUME);
  const Uint8 *source = is->audio_buf ? is->audio_buf + is->audio_buf_index : nullptr;
  if (source && !is->muted && volume == SDL_MIX_MAXVOLUME) {
    std::memcpy(stream, source, static_cast<size_t>(length));
    return;
  }
  std::memset(stream, 0, static_cast<size_t>(length));
  if (source && !is->muted) SDL_MixAudioFormat(stream, source, AUDIO_S16SYS, static_cast<Uint32>(length), volume);
}

}  // namespace

void sdl_audio_callback(void *opaque, Uint8 *stream, int len) {
  auto *is = static_cast<VideoState *>(opaque);
  const int64_t callback_time = av_gettime_relative();
  process_output().audio_callback_time = callback_time;

  while (len > 0) {
    if (is->audio_buf_index >= static_cast<int>(is->audio_buf_size)) refill_buffer(is);
    const int length = std::min(static_cast<int>(is->audio_buf_size) - is->audio_buf_index, len);
    write_part(is, stream, length);
    len -= length;
    stream += length;
    is->audio_buf_index += length;
  }
  is->audio_write_buf_size = static_cast<int>(is->audio_buf_size) - is->audio_buf_index;

  // Paused, the clock stands where the pause left it: the silence written
  // meanwhile would move the reading by the buffered amount, and a
  // position read in whole seconds could step back.
  const double audio_clock = is->audio_clock;
  if (!std::isnan(audio_clock) && is->audio_tgt.bytes_per_sec > 0 && !is->audclk.paused) {
    // The device is taken to hold two buffers besides what is still unwritten.
    const double queued_seconds =
        static_cast<double>(2 * is->audio_hw_buf_size + is->audio_write_buf_size) / is->audio_tgt.bytes_per_sec;
    clock_set_at(&is->audclk, audio_clock - queued_seconds, is->audio_clock_serial,
                 static_cast<double>(callback_time) / 1000000.0);
    clock_follow(&is->extclk, &is->audclk);
  }
}

}  // namespace cinelock
