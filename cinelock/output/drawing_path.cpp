#include "output/drawing_path.h"

#include <cstring>
#include <strings.h>

extern "C" {
#include <libavutil/log.h>
}

#include "output/process_output.h"

namespace cinelock {

namespace {

constexpr unsigned kGlRenderer = 0x1F01;  // GL_RENDERER

bool is_gl_renderer(const char *name) {
  return std::strncmp(name, "opengl", 6) == 0;  // opengl, opengles2, opengles
}

// GL_RENDERER of the context the renderer just made current; empty when
// there is none.
std::string current_gl_renderer() {
  if (SDL_GL_GetCurrentContext() == nullptr) return {};
  using GetString = const unsigned char *(SDLCALL *)(unsigned);
  auto get_string = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
  const unsigned char *text = get_string ? get_string(kGlRenderer) : nullptr;
  return text ? reinterpret_cast<const char *>(text) : std::string{};
}

int render_driver_index(const char *name) {
  const int drivers = SDL_GetNumRenderDrivers();
  for (int i = 0; i < drivers; ++i) {
    SDL_RendererInfo info;
    if (SDL_GetRenderDriverInfo(i, &info) == 0 && std::strcmp(info.name, name) == 0) return i;
  }
  return -1;
}

SDL_Renderer *create_software_renderer(SDL_Window *window) {
  // Without this SDL backs the window surface with a texture of a GL
  // renderer of its own, and the rasteriser is back.
  SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_OVERRIDE);
  const int index = render_driver_index("software");
  return index < 0 ? nullptr : SDL_CreateRenderer(window, index, SDL_RENDERER_SOFTWARE);
}

// The format the software renderer draws in: that of the window surface,
// so that a picture scaled into it is copied, not converted.
Uint32 window_surface_format(SDL_Window *window) {
  SDL_Surface *surface = SDL_GetWindowSurface(window);
  return surface ? surface->format->format : Uint32{SDL_PIXELFORMAT_ARGB8888};
}

}  // namespace

DrawingRequest drawing_request_from(const char *value) {
  if (value == nullptr) return DrawingRequest::automatic;
  if (strcasecmp(value, "gl") == 0) return DrawingRequest::gl;
  if (strcasecmp(value, "software") == 0) return DrawingRequest::software;
  return DrawingRequest::automatic;
}

bool drawing_request_is_known(const char *value) {
  return value == nullptr || *value == '\0' || strcasecmp(value, "auto") == 0 ||
         strcasecmp(value, "gl") == 0 || strcasecmp(value, "software") == 0;
}

bool is_software_rasteriser(const std::string &gl_renderer) {
  for (const char *name : {"llvmpipe", "softpipe", "swrast"}) {
    if (strcasestr(gl_renderer.c_str(), name) != nullptr) return true;
  }
  return false;
}

bool software_path_chosen(DrawingRequest request, const std::string &renderer_name,
                          const std::string &gl_renderer) {
  switch (request) {
    case DrawingRequest::software:
      return true;
    case DrawingRequest::gl:
      return false;
    case DrawingRequest::automatic:
      break;
  }
  if (renderer_name.empty() || renderer_name == "software") return true;
  return is_gl_renderer(renderer_name.c_str()) && is_software_rasteriser(gl_renderer);
}

bool windows_need_opengl(DrawingRequest request) { return request != DrawingRequest::software; }

void create_renderer(ProcessOutput &output, DrawingRequest request) {
  SDL_Window *window = output.window;
  std::string renderer_name;
  std::string gl_renderer;
  if (request != DrawingRequest::software) {
    output.renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
    if (!output.renderer) {
      av_log(nullptr, AV_LOG_WARNING, "Failed to initialize a hardware accelerated renderer: %s\n",
             SDL_GetError());
    } else {
      SDL_RendererInfo info;
      if (SDL_GetRendererInfo(output.renderer, &info) == 0) renderer_name = info.name;
      if (is_gl_renderer(renderer_name.c_str())) gl_renderer = current_gl_renderer();
    }
  }
  const bool software = software_path_chosen(request, renderer_name, gl_renderer);
  if (software) {
    if (output.renderer) SDL_DestroyRenderer(output.renderer);
    output.renderer = create_software_renderer(window);
  } else if (!output.renderer) {
    // GL forced but not to be had: whatever SDL can make.
    output.renderer = SDL_CreateRenderer(window, -1, 0);
  }
  output.software_drawing = false;
  output.picture_format = SDL_PIXELFORMAT_ARGB8888;
  if (!output.renderer || SDL_GetRendererInfo(output.renderer, &output.renderer_info) != 0) return;
  output.software_drawing = std::strcmp(output.renderer_info.name, "software") == 0;
  if (output.software_drawing) {
    output.picture_format = window_surface_format(window);
    std::string reason = "GL renderer " + gl_renderer;
    if (request == DrawingRequest::software)
      reason = "CINELOCK_DRAWING=software";
    else if (renderer_name.empty())
      reason = "no accelerated renderer";
    else if (gl_renderer.empty())
      reason = "SDL renderer " + renderer_name;
    av_log(nullptr, AV_LOG_INFO,
           "cinelock: drawing without GL (%s): pictures scaled to the window by libswscale, "
           "presented through SDL's window surface in %s\n",
           reason.c_str(), SDL_GetPixelFormatName(output.picture_format));
  } else {
    av_log(nullptr, AV_LOG_INFO, "cinelock: drawing through GL (SDL renderer %s, GL renderer %s)\n",
           output.renderer_info.name, gl_renderer.empty() ? "unknown" : gl_renderer.c_str());
  }
}

}  // namespace cinelock
