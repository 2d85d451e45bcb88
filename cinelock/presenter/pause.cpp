extern "C" {
#include <libavutil/error.h>
}

#include "presenter/presenter.h"

namespace cinelock {

void toggle_pause(VideoState *is) {
  if (is->paused) {
    is->frame_timer += clock_now() - is->vidclk.last_updated;
    // A demuxer that cannot pause kept the video clock frozen; it restarts
    // from the frozen reading.
    if (is->read_pause_return != AVERROR(ENOSYS)) is->vidclk.paused = 0;
    clock_set(&is->vidclk, clock_get(&is->vidclk), is->vidclk.serial);
  }
  // The audio clock stands at its reading of this moment while paused (the
  // device callback leaves it alone then), not at its last update, up to a
  // device buffer earlier; after the pause it goes on from there.
  clock_set(&is->audclk, clock_get(&is->audclk), is->audclk.serial);
  clock_set(&is->extclk, clock_get(&is->extclk), is->extclk.serial);
  const int paused = is->paused ? 0 : 1;
  is->paused = paused;
  is->audclk.paused = paused;
  is->vidclk.paused = paused;
  is->extclk.paused = paused;
}

void step_to_next_frame(VideoState *is) {
  if (is->paused) toggle_pause(is);
  is->step = 1;
}

}  // namespace cinelock
