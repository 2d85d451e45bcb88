extern "C" {
#include <libavutil/log.h>
}

#include "presenter/presenter.h"

namespace cinelock {

namespace {

constexpr int kScalerAlgorithm = SWS_BICUBIC;

// Start of the plane's lowest row in memory, for planes stored bottom-up.
const uint8_t *lowest_row(const uint8_t *plane, int line_size, int rows) {
  return plane + static_cast<ptrdiff_t>(line_size) * (rows - 1);
}

int upload_through_scaler(SDL_Texture *texture, const AVFrame *frame, SwsContext **scaler) {
  *scaler = sws_getCachedContext(*scaler, frame->width, frame->height,
                                 static_cast<AVPixelFormat>(frame->format), frame->width,
                                 frame->height, AV_PIX_FMT_BGRA, kScalerAlgorithm, nullptr,
                                 nullptr, nullptr);
  if (*scaler == nullptr) {
    av_log(nullptr, AV_LOG_FATAL, "Cannot initialize the conversion context\n");
    return -1;
  }
  uint8_t *pixels[4] = {};
  int pitch[4] = {};
  if (SDL_LockTexture(texture, nullptr, reinterpret_cast<void **>(pixels), pitch) < 0) return -1;
  sws_scale(*scaler, frame->data, frame->linesize, 0, frame->height, pixels, pitch);
  SDL_UnlockTexture(texture);
  return 0;
}

int upload_planar_yuv(SDL_Texture *texture, const AVFrame *frame, bool *rows_reversed) {
  const int *line = frame->linesize;
  if (line[0] > 0 && line[1] > 0 && line[2] > 0) {
    return SDL_UpdateYUVTexture(texture, nullptr, frame->data[0], line[0], frame->data[1],
                                line[1], frame->data[2], line[2]);
  }
  if (line[0] < 0 && line[1] < 0 && line[2] < 0) {
    // Chroma is subsampled by two vertically, rounding up.
    const int chroma_rows = (frame->height + 1) >> 1;
    *rows_reversed = true;
    return SDL_UpdateYUVTexture(texture, nullptr, lowest_row(frame->data[0], line[0], frame->height),
                                -line[0], lowest_row(frame->data[1], line[1], chroma_rows),
                                -line[1], lowest_row(frame->data[2], line[2], chroma_rows),
                                -line[2]);
  }
  av_log(nullptr, AV_LOG_ERROR, "Mixed negative and positive linesizes are not supported.\n");
  return -1;
}

int upload_packed(SDL_Texture *texture, const AVFrame *frame, bool *rows_reversed) {
  const int line = frame->linesize[0];
  if (line < 0) {
    *rows_reversed = true;
    return SDL_UpdateTexture(texture, nullptr, lowest_row(frame->data[0], line, frame->height),
                             -line);
  }
  return SDL_UpdateTexture(texture, nullptr, frame->data[0], line);
}

}  // namespace

int upload_picture(SDL_Texture **texture, const AVFrame *frame, SwsContext **scaler,
                   bool *rows_reversed) {
  *rows_reversed = false;
  Uint32 sdl_format = SDL_PIXELFORMAT_UNKNOWN;
  SDL_BlendMode blend_mode = SDL_BLENDMODE_NONE;
  texture_format_for(frame->format, &sdl_format, &blend_mode);
  const bool needs_scaler = sdl_format == SDL_PIXELFORMAT_UNKNOWN;
  if (reuse_or_create_texture(texture, needs_scaler ? Uint32{SDL_PIXELFORMAT_ARGB8888} : sdl_format,
                              frame->width, frame->height, blend_mode, false) < 0) {
    return -1;
  }
  // The scaler reads negative line sizes as they are meant, so its output
  // is upright; only the direct copies below take the rows as they lie.
  if (needs_scaler) return upload_through_scaler(*texture, frame, scaler);
  if (sdl_format == SDL_PIXELFORMAT_IYUV) return upload_planar_yuv(*texture, frame, rows_reversed);
  return upload_packed(*texture, frame, rows_reversed);
}

}  // namespace cinelock
