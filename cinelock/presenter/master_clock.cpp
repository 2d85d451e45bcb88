#include <algorithm>
#include <cmath>

#include "presenter/presenter.h"

namespace cinelock {

namespace {

// Queue fill, in packets, below which the external clock slows down and
// above which (for every open stream) it speeds up.
constexpr int kExternalClockMinPackets = 2;
constexpr int kExternalClockMaxPackets = 10;
constexpr double kExternalClockSpeedMin = 0.900;
constexpr double kExternalClockSpeedMax = 1.010;
constexpr double kExternalClockSpeedStep = 0.001;

}  // namespace

// The indices are atomics written by the demux thread; the stream pointers
// are not, so "open" is decided by the index.
bool audio_is_open(const VideoState *is) { return is->audio_stream.load() >= 0; }
bool video_is_open(const VideoState *is) { return is->video_stream.load() >= 0; }
bool subtitle_is_open(const VideoState *is) { return is->subtitle_stream.load() >= 0; }

bool master_is_audio(const VideoState *is) { return audio_is_open(is); }

double get_master_clock(const VideoState *is) {
  return clock_get(master_is_audio(is) ? &is->audclk : &is->extclk);
}

void adjust_external_clock_speed(VideoState *is) {
  const bool video = video_is_open(is);
  const bool audio = audio_is_open(is);
  const int video_packets = is->videoq.packet_count.load(std::memory_order_relaxed);
  const int audio_packets = is->audioq.packet_count.load(std::memory_order_relaxed);
  const double speed = is->extclk.speed;

  if ((video && video_packets <= kExternalClockMinPackets) ||
      (audio && audio_packets <= kExternalClockMinPackets)) {
    clock_set_speed(&is->extclk,
                    std::max(kExternalClockSpeedMin, speed - kExternalClockSpeedStep));
  } else if ((!video || video_packets > kExternalClockMaxPackets) &&
             (!audio || audio_packets > kExternalClockMaxPackets)) {
    clock_set_speed(&is->extclk,
                    std::min(kExternalClockSpeedMax, speed + kExternalClockSpeedStep));
  } else if (speed != 1.0) {
    const double toward_one = (1.0 - speed) / std::fabs(1.0 - speed);
    clock_set_speed(&is->extclk, speed + kExternalClockSpeedStep * toward_one);
  }
}

}  // namespace cinelock
