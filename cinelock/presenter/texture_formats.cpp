extern "C" {
#include <libavutil/pixfmt.h>
}

#include "presenter/presenter.h"

namespace cinelock {

namespace {

struct texture_format_entry {
  AVPixelFormat pixel_format;
  Uint32 sdl_format;
};

// SDL's packed formats name the bits of a native integer, FFmpeg's the
// bytes in memory; the native-endian aliases make the two meet on either
// byte order.
constexpr texture_format_entry kTextureFormats[] = {
    {AV_PIX_FMT_RGB8, SDL_PIXELFORMAT_RGB332},
    {AV_PIX_FMT_RGB444, SDL_PIXELFORMAT_RGB444},
    {AV_PIX_FMT_RGB555, SDL_PIXELFORMAT_RGB555},
    {AV_PIX_FMT_BGR555, SDL_PIXELFORMAT_BGR555},
    {AV_PIX_FMT_RGB565, SDL_PIXELFORMAT_RGB565},
    {AV_PIX_FMT_BGR565, SDL_PIXELFORMAT_BGR565},
    {AV_PIX_FMT_RGB24, SDL_PIXELFORMAT_RGB24},
    {AV_PIX_FMT_BGR24, SDL_PIXELFORMAT_BGR24},
    {AV_PIX_FMT_0RGB32, SDL_PIXELFORMAT_RGB888},
    {AV_PIX_FMT_0BGR32, SDL_PIXELFORMAT_BGR888},
    {AV_PIX_FMT_NE(RGB0, 0BGR), SDL_PIXELFORMAT_RGBX8888},
    {AV_PIX_FMT_NE(BGR0, 0RGB), SDL_PIXELFORMAT_BGRX8888},
    {AV_PIX_FMT_RGB32, SDL_PIXELFORMAT_ARGB8888},
    {AV_PIX_FMT_RGB32_1, SDL_PIXELFORMAT_RGBA8888},
    {AV_PIX_FMT_BGR32, SDL_PIXELFORMAT_ABGR8888},
    {AV_PIX_FMT_BGR32_1, SDL_PIXELFORMAT_BGRA8888},
    {AV_PIX_FMT_YUV420P, SDL_PIXELFORMAT_IYUV},
    {AV_PIX_FMT_YUYV422, SDL_PIXELFORMAT_YUY2},
    {AV_PIX_FMT_UYVY422, SDL_PIXELFORMAT_UYVY},
};

bool has_alpha(AVPixelFormat format) {
  return format == AV_PIX_FMT_RGB32 || format == AV_PIX_FMT_RGB32_1 ||
         format == AV_PIX_FMT_BGR32 || format == AV_PIX_FMT_BGR32_1;
}

bool is_texture_yuv(int format) {
  return format == AV_PIX_FMT_YUV420P || format == AV_PIX_FMT_YUYV422 ||
         format == AV_PIX_FMT_UYVY422;
}

}  // namespace

void texture_format_for(int pixel_format, Uint32 *sdl_format, SDL_BlendMode *blend_mode) {
  *sdl_format = SDL_PIXELFORMAT_UNKNOWN;
  *blend_mode = SDL_BLENDMODE_NONE;
  for (const texture_format_entry &entry : kTextureFormats) {
    if (entry.pixel_format == pixel_format) {
      *sdl_format = entry.sdl_format;
      if (has_alpha(entry.pixel_format)) *blend_mode = SDL_BLENDMODE_BLEND;
      return;
    }
  }
}

SDL_YUV_CONVERSION_MODE yuv_conversion_mode_for(const AVFrame *frame) {
  if (frame == nullptr || !is_texture_yuv(frame->format)) return SDL_YUV_CONVERSION_AUTOMATIC;
  if (frame->color_range == AVCOL_RANGE_JPEG) return SDL_YUV_CONVERSION_JPEG;
  switch (frame->colorspace) {
    case AVCOL_SPC_BT709:
      return SDL_YUV_CONVERSION_BT709;
    case AVCOL_SPC_BT470BG:
    case AVCOL_SPC_SMPTE170M:
    case AVCOL_SPC_SMPTE240M:
      return SDL_YUV_CONVERSION_BT601;
    default:
      return SDL_YUV_CONVERSION_AUTOMATIC;
  }
}

}  // namespace cinelock
