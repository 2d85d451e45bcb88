#include <algorithm>
#include <cmath>

#include "presenter/presenter.h"

namespace cinelock {

namespace {

constexpr double kVisualisationPeriod = 0.02;
// A frame timer further behind than this after a late frame is reset to
// now, so that video does not rush to catch up.
constexpr double kFrameTimerSlack = 0.1;

void refresh_visualisation(VideoState *is, double *remaining_time) {
  const double now = clock_now();
  if (is->force_refresh || is->last_vis_time + kVisualisationPeriod < now) {
    video_display(is);
    is->last_vis_time = now;
  }
  *remaining_time = std::min(*remaining_time, is->last_vis_time + kVisualisationPeriod - now);
}

void show_picture_time(VideoState *is, const ring_slot *picture) {
  // The video clock is read by other threads together with the ring.
  SDL_LockMutex(is->pictq.mutex);
  if (!std::isnan(picture->pts)) {
    clock_set(&is->vidclk, picture->pts, picture->serial);
    clock_follow(&is->extclk, &is->vidclk);
  }
  SDL_UnlockMutex(is->pictq.mutex);
}

// Moves on to the next picture when its time has come. Every picture of
// the current serial is shown: a late one is shown late, never dropped.
void advance_pictures(VideoState *is, double *remaining_time) {
  for (;;) {
    if (decoded_ring_remaining(&is->pictq) == 0) return;
    const ring_slot *last = decoded_ring_peek_last(&is->pictq);
    const ring_slot *current = decoded_ring_peek(&is->pictq);
    if (current->serial != is->videoq.serial.load(std::memory_order_relaxed)) {
      decoded_ring_advance(&is->pictq);
      continue;
    }
    if (last->serial != current->serial) is->frame_timer = clock_now();
    if (is->paused) return;

    const double delay = target_delay(is, frame_duration(is, last, current));
    const double now = clock_now();
    if (now < is->frame_timer + delay) {
      *remaining_time = std::min(*remaining_time, is->frame_timer + delay - now);
      return;
    }
    is->frame_timer += delay;
    if (delay > 0 && now - is->frame_timer > kFrameTimerSlack) is->frame_timer = now;

    show_picture_time(is, current);
    if (subtitle_is_open(is)) expire_subtitles(is);
    decoded_ring_advance(&is->pictq);
    is->force_refresh = 1;
    if (is->step && !is->paused) toggle_pause(is);
    return;
  }
}

}  // namespace

void video_refresh(VideoState *is, double *remaining_time) {
  if (!is->paused && !master_is_audio(is)) adjust_external_clock_speed(is);

  if (is->show_mode != DisplayMode::video && audio_is_open(is)) {
    refresh_visualisation(is, remaining_time);
  }

  if (video_is_open(is)) {
    advance_pictures(is, remaining_time);
    if (is->force_refresh && is->show_mode == DisplayMode::video &&
        is->pictq.read_index_shown.load()) {
      video_display(is);
    }
  }
  is->force_refresh = 0;
  write_status_line(is);
}

}  // namespace cinelock
