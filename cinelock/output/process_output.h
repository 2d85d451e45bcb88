// What every player of the process shares: one window and renderer, one
// audio device, the sizes handed to the window set-up. Made by
// video_create_window, released by video_destroy_window.
#ifndef CINELOCK_PROCESS_OUTPUT_H
#define CINELOCK_PROCESS_OUTPUT_H

#include <SDL.h>

#include <atomic>
#include <cstdint>

namespace cinelock {

struct ProcessOutput {
  SDL_Window *window = nullptr;
  SDL_Renderer *renderer = nullptr;
  SDL_RendererInfo renderer_info{};
  // The drawing path (output/drawing_path.h): true when pictures are scaled
  // by libswscale and presented through SDL's software renderer, in
  // picture_format (the window surface's); false on the GL path.
  bool software_drawing = false;
  Uint32 picture_format = SDL_PIXELFORMAT_ARGB8888;
  // The surface a software renderer draws into where there is no window
  // (a renderer made on a surface, as the tests make); with a window, its
  // window surface.
  SDL_Surface *surface = nullptr;
  SDL_AudioDeviceID audio_dev = 0;
  double display_scale = 1.0;
  // The size given to video_create_window (later: the window's size after
  // a resize), times display_scale. 0 means no limit.
  int screen_width = 0;
  int screen_height = 0;
  // Rewritten by the default-window-size rule (on the demux and video
  // threads); 640 x 480 at first.
  std::atomic<int> default_width{640};
  std::atomic<int> default_height{480};
  // av_gettime_relative() at the start of the last audio callback.
  std::atomic<int64_t> audio_callback_time{0};
};

ProcessOutput &process_output();

}  // namespace cinelock

#endif
