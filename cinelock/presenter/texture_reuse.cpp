#include <cstring>

extern "C" {
#include <libavutil/log.h>
}

#include "output/process_output.h"
#include "presenter/presenter.h"

namespace cinelock {

int reuse_or_create_texture(SDL_Texture **texture, Uint32 sdl_format, int width, int height,
                            SDL_BlendMode blend_mode, bool clear) {
  Uint32 format = 0;
  int access = 0;
  int current_width = 0;
  int current_height = 0;
  if (*texture != nullptr &&
      SDL_QueryTexture(*texture, &format, &access, &current_width, &current_height) == 0 &&
      format == sdl_format && current_width == width && current_height == height) {
    return 0;
  }
  if (*texture != nullptr) SDL_DestroyTexture(*texture);
  *texture = SDL_CreateTexture(process_output().renderer, sdl_format,
                               SDL_TEXTUREACCESS_STREAMING, width, height);
  if (*texture == nullptr) return -1;
  if (SDL_SetTextureBlendMode(*texture, blend_mode) < 0) return -1;
  if (clear) {
    void *pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(*texture, nullptr, &pixels, &pitch) < 0) return -1;
    std::memset(pixels, 0, static_cast<size_t>(pitch) * static_cast<size_t>(height));
    SDL_UnlockTexture(*texture);
  }
  av_log(nullptr, AV_LOG_VERBOSE, "Created %dx%d texture with %s.\n", width, height,
         SDL_GetPixelFormatName(sdl_format));
  return 0;
}

}  // namespace cinelock
