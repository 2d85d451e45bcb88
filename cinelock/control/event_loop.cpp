#include "control/event_loop.h"

#include <atomic>
#include <cmath>

#include "control/player_events.h"
#include "output/process_output.h"
#include "presenter/presenter.h"

extern "C" {
#include <libavutil/time.h>
}

namespace cinelock {

namespace {

constexpr double kRefreshRate = 0.01;             // seconds between refresh checks
constexpr int64_t kSeekSpanUs = 10'000'000;        // the demuxer may land this far off

struct MessagePump {
  std::atomic<void (*)(void *)> pump{nullptr};
  std::atomic<void *> context{nullptr};
};
MessagePump message_pump;

void pump_host_messages() {
  if (void (*pump)(void *) = message_pump.pump.load()) pump(message_pump.context.load());
}

void wait_for_event(VideoState *is, SDL_Event *event) {
  double remaining_time = 0.0;
  SDL_PumpEvents();
  while (!SDL_PeepEvents(event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT)) {
    pump_host_messages();
    if (remaining_time > 0.0) av_usleep(static_cast<unsigned>(remaining_time * 1'000'000.0));
    remaining_time = kRefreshRate;
    if (is->show_mode != DisplayMode::none && (!is->paused || is->force_refresh))
      video_refresh(is, &remaining_time);
    SDL_PumpEvents();
  }
}

void resize(VideoState *is, int width, int height) {
  ProcessOutput &output = process_output();
  is->width = output.screen_width = static_cast<int>(width * output.display_scale);
  is->height = output.screen_height = static_cast<int>(height * output.display_scale);
  if (is->vis_texture) {
    SDL_DestroyTexture(is->vis_texture);
    is->vis_texture = nullptr;
  }
  is->force_refresh = 1;
}

void seek(VideoState *is, Sint32 code, Sint32 seconds) {
  double position;
  if (code == kSeekRelative) {
    position = get_master_clock(is);
    if (std::isnan(position)) position = static_cast<double>(is->seek_pos) / AV_TIME_BASE;
    position += seconds;
  } else if (code == kSeekAbsolute) {
    position = seconds;
  } else {
    return;
  }
  const AVFormatContext *ic = is->ic;
  if (ic && ic->start_time != AV_NOPTS_VALUE &&
      position < static_cast<double>(ic->start_time) / AV_TIME_BASE)
    position = static_cast<double>(ic->start_time) / AV_TIME_BASE;
  // A request while one is pending is dropped.
  if (is->seek_req) return;
  is->seek_pos = static_cast<int64_t>(position * AV_TIME_BASE);
  is->seek_rel = kSeekSpanUs;
  is->seek_req = 1;
  SDL_CondSignal(is->continue_read_thread);
}

}  // namespace

void set_message_pump(void (*pump)(void *), void *context) {
  message_pump.context = context;
  message_pump.pump = pump;
}

void run_event_loop(VideoState *is) {
  SDL_Event event;
  for (;;) {
    wait_for_event(is, &event);
    switch (event.type) {
      case SDL_QUIT:
      case EVENT_QUIT:
        return;
      case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_RESIZED)
          resize(is, event.window.data1, event.window.data2);
        else if (event.window.event == SDL_WINDOWEVENT_EXPOSED)
          is->force_refresh = 1;
        break;
      case EVENT_SEEK:
        seek(is, event.user.code,
             static_cast<Sint32>(reinterpret_cast<intptr_t>(event.user.data1)));
        break;
      case EVENT_PAUSE:
        if (!is->paused) toggle_pause(is);
        break;
      case EVENT_RESUME:
        if (is->paused) {
          toggle_pause(is);
          is->step = 0;
        }
        break;
      default:
        break;
    }
  }
}

}  // namespace cinelock
