#include <algorithm>
#include <cmath>

extern "C" {
#include <libavutil/log.h>
}

#include "presenter/presenter.h"

namespace cinelock {

namespace {

// The clocks count as in step when closer than this (scaled by the frame
// duration, within these bounds).
constexpr double kSyncThresholdMin = 0.04;
constexpr double kSyncThresholdMax = 0.1;
// Frames longer than this are not doubled when video runs ahead: the
// difference is added instead, so slow slide shows do not lag twice as long.
constexpr double kLongFrame = 0.1;

}  // namespace

double frame_duration(const VideoState *is, const ring_slot *last, const ring_slot *current) {
  if (last->serial != current->serial) return 0.0;
  const double gap = current->pts - last->pts;
  if (std::isnan(gap) || gap <= 0 || gap > is->max_frame_duration) return last->duration;
  return gap;
}

double target_delay(const VideoState *is, double delay) {
  // One reading time for both clocks, so their distance is not blurred by
  // the time between two reads.
  const double now = clock_now();
  const media_clock *master = master_is_audio(is) ? &is->audclk : &is->extclk;
  const double diff = clock_get(&is->vidclk, now) - clock_get(master, now);
  const double threshold = std::max(kSyncThresholdMin, std::min(kSyncThresholdMax, delay));

  if (!std::isnan(diff) && std::fabs(diff) < is->max_frame_duration) {
    if (diff <= -threshold) {
      delay = std::max(0.0, delay + diff);
    } else if (diff >= threshold && delay > kLongFrame) {
      delay = delay + diff;
    } else if (diff >= threshold) {
      delay = 2 * delay;
    }
  }
  av_log(nullptr, AV_LOG_TRACE, "video: delay=%0.3f A-V=%f\n", delay, -diff);
  return delay;
}

}  // namespace cinelock
