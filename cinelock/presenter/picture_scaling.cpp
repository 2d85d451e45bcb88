// The software drawing path's pictures: each shown picture converted and
// scaled once, to the size it is displayed at, into a texture of the
// software renderer in the window surface's own format, so that
// presenting it is a plain copy. 8-bit 4:2:0 pictures go through the
// picture scaler (picture_scaler.h), the rest through libswscale alone.
#include <cstring>

extern "C" {
#include <libavutil/log.h>
#include <libavutil/pixdesc.h>
}

#include "output/process_output.h"
#include "presenter/picture_scaler.h"
#include "presenter/presenter.h"

namespace cinelock {

namespace {

// Bilinear with its filter widened to the scale factor: anti-aliased when
// shrinking, as the GL path's linear filtering is when enlarging.
constexpr int kScalerFlags = SWS_BILINEAR;

// The matrix the GL path would use: the picture's own, else BT.709 for HD
// and BT.601 for SD (SDL's automatic rule).
int colour_matrix_for(const AVFrame *frame) {
  switch (frame->colorspace) {
    case AVCOL_SPC_BT709:
      return SWS_CS_ITU709;
    case AVCOL_SPC_FCC:
      return SWS_CS_FCC;
    case AVCOL_SPC_BT470BG:
    case AVCOL_SPC_SMPTE170M:
      return SWS_CS_ITU601;
    case AVCOL_SPC_SMPTE240M:
      return SWS_CS_SMPTE240M;
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL:
      return SWS_CS_BT2020;
    default:
      return frame->height > 576 ? SWS_CS_ITU709 : SWS_CS_ITU601;
  }
}

bool is_yuv(int format) {
  const AVPixFmtDescriptor *descriptor = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(format));
  return descriptor != nullptr && !(descriptor->flags & AV_PIX_FMT_FLAG_RGB) &&
         !(descriptor->flags & AV_PIX_FMT_FLAG_PAL) && descriptor->nb_components >= 3;
}

// Tells the scaler the picture's YUV matrix and range, when they differ
// from what it was last told (setting them rebuilds its tables).
void set_colour_details(SwsContext *scaler, const AVFrame *frame) {
  if (!is_yuv(frame->format)) return;
  const int *wanted = sws_getCoefficients(colour_matrix_for(frame));
  const int full_range = frame->color_range == AVCOL_RANGE_JPEG ? 1 : 0;
  int *table = nullptr;
  int *inverse_table = nullptr;
  int source_range = 0;
  int destination_range = 0;
  int brightness = 0;
  int contrast = 0;
  int saturation = 0;
  if (sws_getColorspaceDetails(scaler, &inverse_table, &source_range, &table, &destination_range,
                               &brightness, &contrast, &saturation) < 0) {
    return;
  }
  if (source_range == full_range && std::memcmp(inverse_table, wanted, 4 * sizeof(int)) == 0) return;
  sws_setColorspaceDetails(scaler, wanted, full_range, table, destination_range, brightness,
                           contrast, saturation);
}

}  // namespace

AVPixelFormat pixel_format_for_texture(Uint32 sdl_format) {
  // The packed 32-bit formats the window surface may have.
  switch (sdl_format) {
    case SDL_PIXELFORMAT_RGB888:
      return AV_PIX_FMT_0RGB32;
    case SDL_PIXELFORMAT_BGR888:
      return AV_PIX_FMT_0BGR32;
    case SDL_PIXELFORMAT_ARGB8888:
      return AV_PIX_FMT_RGB32;
    case SDL_PIXELFORMAT_ABGR8888:
      return AV_PIX_FMT_BGR32;
    case SDL_PIXELFORMAT_RGBX8888:
      return AV_PIX_FMT_NE(RGB0, 0BGR);
    case SDL_PIXELFORMAT_BGRX8888:
      return AV_PIX_FMT_NE(BGR0, 0RGB);
    case SDL_PIXELFORMAT_RGBA8888:
      return AV_PIX_FMT_RGB32_1;
    case SDL_PIXELFORMAT_BGRA8888:
      return AV_PIX_FMT_BGR32_1;
    case SDL_PIXELFORMAT_RGB565:
      return AV_PIX_FMT_RGB565;
    default:
      return AV_PIX_FMT_NONE;
  }
}

int scale_picture(VideoState *is, const AVFrame *frame, int width, int height) {
  Uint32 direct_format = SDL_PIXELFORMAT_UNKNOWN;
  SDL_BlendMode blend_mode = SDL_BLENDMODE_NONE;
  texture_format_for(frame->format, &direct_format, &blend_mode);
  // Pictures with alpha are blended over the background, as on the GL
  // path; the others are scaled straight into the surface's format.
  Uint32 sdl_format = process_output().picture_format;
  AVPixelFormat target = pixel_format_for_texture(sdl_format);
  if (blend_mode != SDL_BLENDMODE_NONE || target == AV_PIX_FMT_NONE) {
    sdl_format = SDL_PIXELFORMAT_ARGB8888;
    target = AV_PIX_FMT_RGB32;
  }
  // Padding bytes may be written as anything: libswscale's SIMD converters
  // write the formats with alpha.
  if (target == AV_PIX_FMT_0RGB32) target = AV_PIX_FMT_RGB32;
  if (target == AV_PIX_FMT_0BGR32) target = AV_PIX_FMT_BGR32;
  const bool own_scaler = (target == AV_PIX_FMT_RGB32 || target == AV_PIX_FMT_BGR32) &&
                          PictureScaler::handles(frame, width, height);
  // The picture scaler's rows are padded (drawing copies width columns).
  const int texture_width = own_scaler ? PictureScaler::padded_width(width) : width;
  if (reuse_or_create_texture(&is->vid_texture, sdl_format, texture_width, height, blend_mode,
                              false) < 0)
    return -1;
  SwsContext *converter = nullptr;
  if (own_scaler) {
    if (is->picture_scaler == nullptr) is->picture_scaler = new PictureScaler;
    converter = is->picture_scaler->converter(width, height, target);
  } else {
    is->img_convert_ctx = sws_getCachedContext(is->img_convert_ctx, frame->width, frame->height,
                                               static_cast<AVPixelFormat>(frame->format), width,
                                               height, target, kScalerFlags, nullptr, nullptr,
                                               nullptr);
    converter = is->img_convert_ctx;
  }
  if (converter == nullptr) {
    av_log(nullptr, AV_LOG_FATAL, "Cannot initialize the conversion context\n");
    return -1;
  }
  set_colour_details(converter, frame);
  uint8_t *pixels[4] = {};
  int pitch[4] = {};
  if (SDL_LockTexture(is->vid_texture, nullptr, reinterpret_cast<void **>(pixels), pitch) < 0)
    return -1;
  if (own_scaler) {
    is->picture_scaler->scale(frame, pixels[0], pitch[0]);
  } else {
    // The scaler reads negative line sizes as they are meant: upright.
    sws_scale(converter, frame->data, frame->linesize, 0, frame->height, pixels, pitch);
  }
  SDL_UnlockTexture(is->vid_texture);
  return 0;
}

namespace {

// libswscale's name for a packed 32-bit surface format with its padding
// byte, as its SIMD converters write it (alpha 255 in the padding).
AVPixelFormat packed32_target(Uint32 surface_format) {
  switch (surface_format) {
    case SDL_PIXELFORMAT_RGB888:
    case SDL_PIXELFORMAT_ARGB8888:
      return AV_PIX_FMT_RGB32;
    case SDL_PIXELFORMAT_BGR888:
    case SDL_PIXELFORMAT_ABGR8888:
      return AV_PIX_FMT_BGR32;
    default:
      return AV_PIX_FMT_NONE;
  }
}

}  // namespace

bool picture_fits_surface(const AVFrame *frame, const SDL_Rect &rect, Uint32 surface_format,
                          int surface_width, int surface_height) {
  Uint32 direct_format = SDL_PIXELFORMAT_UNKNOWN;
  SDL_BlendMode blend_mode = SDL_BLENDMODE_NONE;
  texture_format_for(frame->format, &direct_format, &blend_mode);
  return blend_mode == SDL_BLENDMODE_NONE && packed32_target(surface_format) != AV_PIX_FMT_NONE &&
         rect.x >= 0 && rect.y >= 0 && rect.y + rect.h <= surface_height &&
         rect.x + PictureScaler::padded_width(rect.w) <= surface_width &&
         PictureScaler::handles(frame, rect.w, rect.h);
}

int scale_picture_into(VideoState *is, const AVFrame *frame, uint8_t *pixels, int pitch, int width,
                       int height, Uint32 surface_format) {
  if (is->picture_scaler == nullptr) is->picture_scaler = new PictureScaler;
  SwsContext *converter =
      is->picture_scaler->converter(width, height, packed32_target(surface_format));
  if (converter == nullptr) {
    av_log(nullptr, AV_LOG_FATAL, "Cannot initialize the conversion context\n");
    return -1;
  }
  set_colour_details(converter, frame);
  is->picture_scaler->scale(frame, pixels, pitch);
  return 0;
}

void free_picture_scaler(VideoState *is) {
  delete is->picture_scaler;
  is->picture_scaler = nullptr;
}

}  // namespace cinelock
