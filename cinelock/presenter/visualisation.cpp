#include <algorithm>
#include <climits>
#include <cmath>

extern "C" {
#include <libavcodec/avfft.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
#include <libavutil/time.h>
}

#include "output/process_output.h"
#include "presenter/presenter.h"

namespace cinelock {

namespace {

// How far back the waves view looks for a rising zero crossing to start
// at, so that a steady tone stands still on screen.
constexpr int kWaveSearchSamples = 1000;

int wrap_index(int64_t index) {
  const int64_t wrapped = index % kSampleHistory;
  return static_cast<int>(wrapped < 0 ? wrapped + kSampleHistory : wrapped);
}

// The sample (interleaved index) that is being heard now, less enough
// history to fill used_width columns.
int start_of_view(const VideoState *is, int used_width, int channels) {
  int64_t delay = is->audio_write_buf_size / (2 * channels);
  const int64_t callback_time = process_output().audio_callback_time.load();
  if (callback_time != 0) {
    const int64_t since_callback = av_gettime_relative() - callback_time;
    delay -= since_callback * is->audio_tgt.freq / 1000000;
  }
  delay += 2 * static_cast<int64_t>(used_width);
  delay = std::max<int64_t>(delay, used_width);
  return wrap_index(is->sample_array_index - delay * channels);
}

int steady_wave_start(const VideoState *is, int start, int channels) {
  int best_score = INT_MIN;
  int best = start;
  for (int i = 0; i < kWaveSearchSamples; i += channels) {
    const int index = wrap_index(static_cast<int64_t>(start) - i);
    const int a = is->sample_array[index];
    const int b = is->sample_array[wrap_index(index + 4 * channels)];
    const int c = is->sample_array[wrap_index(index + 5 * channels)];
    const int d = is->sample_array[wrap_index(index + 9 * channels)];
    const int score = a - d;
    if (best_score < score && (b ^ c) < 0) {
      best_score = score;
      best = index;
    }
  }
  return best;
}

void fill_rectangle(int x, int y, int w, int h) {
  if (w <= 0 || h <= 0) return;
  const SDL_Rect rect{x, y, w, h};
  SDL_RenderFillRect(process_output().renderer, &rect);
}

void draw_waves(VideoState *is, int start, int channels) {
  SDL_Renderer *renderer = process_output().renderer;
  const int band = is->height / channels;
  const int half_band = band * 9 / 20;
  SDL_SetRenderDrawColor(renderer, 255, 255, 255, 255);
  for (int ch = 0; ch < channels; ch++) {
    int index = wrap_index(static_cast<int64_t>(start) + ch);
    const int centre = is->ytop + ch * band + band / 2;
    for (int x = 0; x < is->width; x++) {
      int length = (is->sample_array[index] * half_band) >> 15;
      int top = centre;
      if (length < 0) {
        length = -length;
        top = centre - length;
      }
      fill_rectangle(is->xleft + x, top, 1, length);
      index = wrap_index(static_cast<int64_t>(index) + channels);
    }
  }
  SDL_SetRenderDrawColor(renderer, 0, 0, 255, 255);
  for (int ch = 1; ch < channels; ch++) {
    fill_rectangle(is->xleft, is->ytop + ch * band, is->width, 1);
  }
}

bool prepare_fft(VideoState *is, int bits, int frequencies) {
  if (bits != is->rdft_bits) {
    av_rdft_end(is->rdft);
    av_freep(&is->rdft_data);
    is->rdft = av_rdft_init(bits, DFT_R2C);
    is->rdft_bits = bits;
    // Two channels of 2n real samples each.
    is->rdft_data =
        static_cast<float *>(av_malloc_array(static_cast<size_t>(frequencies), 4 * sizeof(float)));
  }
  return is->rdft != nullptr && is->rdft_data != nullptr;
}

int magnitude_level(const float *bins, int bin, int frequencies) {
  const double re = bins[2 * bin];
  const double im = bins[2 * bin + 1];
  const double level = std::sqrt(std::sqrt(re * re + im * im) / std::sqrt(frequencies));
  return std::min(static_cast<int>(level), 255);
}

void draw_spectrum(VideoState *is, int start, int channels, int bits, int frequencies) {
  if (!prepare_fft(is, bits, frequencies)) {
    av_log(nullptr, AV_LOG_ERROR,
           "Failed to allocate buffers for RDFT, switching to waves display\n");
    is->show_mode = DisplayMode::waves;
    return;
  }
  if (reuse_or_create_texture(&is->vis_texture, SDL_PIXELFORMAT_ARGB8888, is->width, is->height,
                              SDL_BLENDMODE_NONE, true) < 0) {
    return;
  }
  if (is->xpos >= is->width) is->xpos = 0;
  const int shown_channels = std::min(channels, 2);
  float *bins[2] = {is->rdft_data, is->rdft_data + 2 * frequencies};
  for (int ch = 0; ch < shown_channels; ch++) {
    int index = wrap_index(static_cast<int64_t>(start) + ch);
    for (int x = 0; x < 2 * frequencies; x++) {
      // Parabolic window over the 2n samples.
      const double w = (x - frequencies) * (1.0 / frequencies);
      bins[ch][x] = static_cast<float>(is->sample_array[index] * (1.0 - w * w));
      index = wrap_index(static_cast<int64_t>(index) + channels);
    }
    av_rdft_calc(is->rdft, bins[ch]);
  }

  const SDL_Rect column{is->xpos, 0, 1, is->height};
  uint32_t *pixels = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(is->vis_texture, &column, reinterpret_cast<void **>(&pixels), &pitch) == 0) {
    const int stride = pitch / 4;
    // Bin 0 at the bottom.
    for (int y = 0; y < is->height; y++) {
      const int first = magnitude_level(bins[0], y, frequencies);
      const int second = shown_channels == 2 ? magnitude_level(bins[1], y, frequencies) : first;
      pixels[static_cast<ptrdiff_t>(is->height - 1 - y) * stride] =
          0xff000000u | static_cast<uint32_t>(first << 16) | static_cast<uint32_t>(second << 8) |
          static_cast<uint32_t>((first + second) >> 1);
    }
    SDL_UnlockTexture(is->vis_texture);
  }
  SDL_RenderCopy(process_output().renderer, is->vis_texture, nullptr, nullptr);
  if (!is->paused) is->xpos++;
}

}  // namespace

void video_audio_display(VideoState *is) {
  const int channels = is->audio_tgt.ch_layout.nb_channels;
  if (channels <= 0 || is->width <= 0 || is->height <= 0) return;
  int bits = 1;
  while (bits < 30 && (1 << bits) < 2 * is->height) bits++;
  const int frequencies = 1 << (bits - 1);

  const bool waves = is->show_mode == DisplayMode::waves;
  int start = is->last_i_start;
  if (!is->paused) {
    start = start_of_view(is, waves ? is->width : 2 * frequencies, channels);
    if (waves) start = steady_wave_start(is, start, channels);
    is->last_i_start = start;
  }
  if (waves) {
    draw_waves(is, start, channels);
  } else {
    draw_spectrum(is, start, channels, bits, frequencies);
  }
}

}  // namespace cinelock
