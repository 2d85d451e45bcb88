#include <cinttypes>
#include <cstdio>

extern "C" {
#include <libavutil/log.h>
#include <libavutil/time.h>
}

#include "presenter/presenter.h"

namespace cinelock {

namespace {

constexpr int64_t kStatusPeriodMicroseconds = 30000;

const char *streams_label(bool audio, bool video) {
  if (audio && video) return "A-V";
  if (video) return "M-V";
  if (audio) return "M-A";
  return "   ";
}

}  // namespace

void write_status_line(VideoState *is) {
  // Nobody would see it; skip the formatting.
  if (av_log_get_level() < AV_LOG_INFO) return;
  const int64_t now = av_gettime_relative();
  if (is->last_status_time != 0 && now - is->last_status_time < kStatusPeriodMicroseconds) return;

  const bool audio = audio_is_open(is);
  const bool video = video_is_open(is);
  const bool subtitles = subtitle_is_open(is);
  const int audio_bytes = audio ? is->audioq.byte_total.load(std::memory_order_relaxed) : 0;
  const int video_bytes = video ? is->videoq.byte_total.load(std::memory_order_relaxed) : 0;
  const int subtitle_bytes =
      subtitles ? is->subtitleq.byte_total.load(std::memory_order_relaxed) : 0;

  const double master = get_master_clock(is);
  double av_diff = 0;
  if (audio && video) {
    av_diff = clock_get(&is->audclk) - clock_get(&is->vidclk);
  } else if (video) {
    av_diff = master - clock_get(&is->vidclk);
  } else if (audio) {
    av_diff = master - clock_get(&is->audclk);
  }

  long long faulty_dts = 0;
  long long faulty_pts = 0;
  if (video && is->viddec.codec != nullptr) {
    faulty_dts = is->viddec.codec->pts_correction_num_faulty_dts;
    faulty_pts = is->viddec.codec->pts_correction_num_faulty_pts;
  }
  av_log(nullptr, AV_LOG_INFO,
         "%7.2f %s:%7.3f fd=%4d aq=%5dKB vq=%5dKB sq=%5dB f=%lld/%lld   \r", master,
         streams_label(audio, video), av_diff, 0, audio_bytes / 1024, video_bytes / 1024,
         subtitle_bytes, faulty_dts, faulty_pts);
  std::fflush(stdout);
  is->last_status_time = now;
}

}  // namespace cinelock
