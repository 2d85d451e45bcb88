// video_create_window and video_destroy_window: the process's window,
// renderer and media layers.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cinelock.h"
#include "control/foreign_window.h"
#include "control/player_events.h"
#include "flush_marker.h"
#include "output/drawing_path.h"
#include "output/process_output.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

namespace cinelock {

namespace {

constexpr char kWindowTitle[] = "Zelvane pro";

// OpenGL where the platform offers it and the drawing path may use it; a
// platform without (a virtual display without GL) still gets a window the
// software renderer can use.
SDL_Window *create_window(int width, int height, Uint32 flags, bool opengl) {
  SDL_Window *window =
      opengl ? SDL_CreateWindow(kWindowTitle, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width,
                                height, flags | SDL_WINDOW_OPENGL)
             : nullptr;
  if (!window)
    window = SDL_CreateWindow(kWindowTitle, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width,
                              height, flags);
  return window;
}

SDL_Window *wrap_native_window(void *native_window, bool opengl) {
  ProcessOutput &output = process_output();
  // The foreign window takes the pixel format of a window of our own.
  SDL_Window *model =
      create_window(output.default_width, output.default_height,
                    SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_HIDDEN, opengl);
  if (model) {
    char address[32];
    std::snprintf(address, sizeof address, "%p", static_cast<void *>(model));
    SDL_SetHint(SDL_HINT_VIDEO_WINDOW_SHARE_PIXEL_FORMAT, address);
  }
  SDL_Window *window = SDL_CreateWindowFrom(native_window);
  SDL_SetHint(SDL_HINT_VIDEO_WINDOW_SHARE_PIXEL_FORMAT, nullptr);
  if (window) {
    SDL_SetWindowBordered(window, SDL_TRUE);
    // The host decides how its window is sized. SDL takes a window it
    // believes fixed-size and, on X11, pins its size hints to the size it
    // sets on the first picture; a window manager then refuses to resize
    // it, full screen included.
    SDL_SetWindowResizable(window, SDL_TRUE);
    follow_foreign_window_size(window);
  }
  if (model) SDL_DestroyWindow(model);
  return window;
}

// Destroys the process's renderer and window, when there are.
void release_window(ProcessOutput &output) {
  if (output.renderer) SDL_DestroyRenderer(output.renderer);
  if (output.window) SDL_DestroyWindow(output.window);
  output.renderer = nullptr;
  output.window = nullptr;
  output.renderer_info = SDL_RendererInfo{};
  output.software_drawing = false;
}

// FFmpeg's log level for the player: errors only, unless CINELOCK_LOG
// names another level (quiet, error, warning, info, verbose, debug).
int log_level_from_environment() {
  const char *name = std::getenv("CINELOCK_LOG");
  if (name == nullptr) return AV_LOG_ERROR;
  static const struct {
    const char *name;
    int level;
  } kLevels[] = {{"quiet", AV_LOG_QUIET},     {"error", AV_LOG_ERROR}, {"warning", AV_LOG_WARNING},
                 {"info", AV_LOG_INFO},       {"verbose", AV_LOG_VERBOSE}, {"debug", AV_LOG_DEBUG}};
  for (const auto &level : kLevels)
    if (std::strcmp(level.name, name) == 0) return level.level;
  return AV_LOG_ERROR;
}

}  // namespace

}  // namespace cinelock

extern "C" CINELOCK_API int video_create_window(int width, int height, double scale,
                                                void *native_window) {
  using namespace cinelock;
  av_log_set_flags(AV_LOG_SKIP_REPEATED);
  av_log_set_level(log_level_from_environment());
  avformat_network_init();
  flush_marker_prepare();
  if (!std::getenv("SDL_AUDIO_ALSA_SET_BUFFER_SIZE")) setenv("SDL_AUDIO_ALSA_SET_BUFFER_SIZE", "1", 1);

  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO | SDL_INIT_TIMER)) {
    av_log(nullptr, AV_LOG_FATAL, "Could not initialize SDL - %s\n", SDL_GetError());
    return -1;
  }
  SDL_EventState(SDL_SYSWMEVENT, SDL_IGNORE);
  SDL_EventState(SDL_USEREVENT, SDL_IGNORE);

  ProcessOutput &output = process_output();
  // Called again, the new window replaces the one made before.
  release_window(output);
  output.display_scale = scale;
  output.screen_width = static_cast<int>(width * scale);
  output.screen_height = static_cast<int>(height * scale);

  const char *drawing = std::getenv("CINELOCK_DRAWING");
  if (!drawing_request_is_known(drawing))
    av_log(nullptr, AV_LOG_WARNING, "CINELOCK_DRAWING=%s is not auto, gl or software: ignored\n",
           drawing);
  const DrawingRequest request = drawing_request_from(drawing);
  const bool opengl = windows_need_opengl(request);
  if (native_window) {
    output.window = wrap_native_window(native_window, opengl);
  } else {
    output.window = create_window(width ? width : output.default_width.load(),
                                  width ? height : output.default_height.load(),
                                  SDL_WINDOW_BORDERLESS | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI,
                                  opengl);
  }
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
  if (output.window) create_renderer(output, request);
  if (!output.window || !output.renderer || !output.renderer_info.num_texture_formats) {
    av_log(nullptr, AV_LOG_FATAL, "Failed to create window or renderer: %s", SDL_GetError());
    video_destroy_window();
    return -1;
  }
  return 0;
}

extern "C" CINELOCK_API void video_destroy_window(void) {
  using namespace cinelock;
  release_window(process_output());
  avformat_network_deinit();
  SDL_Quit();
}
