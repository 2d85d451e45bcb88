#include <algorithm>
#include <cstring>

extern "C" {
#include <libavutil/log.h>
}

#include "presenter/presenter.h"

namespace cinelock {

namespace {

// Keeps the region inside the subtitle's canvas; the clamped rectangle is
// stored back so that expiry wipes exactly what was drawn.
void clamp_region(AVSubtitleRect *region, int canvas_width, int canvas_height) {
  region->x = std::clamp(region->x, 0, canvas_width);
  region->y = std::clamp(region->y, 0, canvas_height);
  region->w = std::clamp(region->w, 0, canvas_width - region->x);
  region->h = std::clamp(region->h, 0, canvas_height - region->y);
}

bool region_is_empty(const AVSubtitleRect *region) { return region->w <= 0 || region->h <= 0; }

}  // namespace

void upload_subtitle(VideoState *is, ring_slot *subtitle, const ring_slot *picture) {
  if (subtitle->width == 0 || subtitle->height == 0) {
    subtitle->width = picture->width;
    subtitle->height = picture->height;
  }
  if (reuse_or_create_texture(&is->sub_texture, SDL_PIXELFORMAT_ARGB8888, subtitle->width,
                              subtitle->height, SDL_BLENDMODE_BLEND, true) < 0) {
    return;
  }
  for (unsigned i = 0; i < subtitle->subtitle.num_rects; i++) {
    AVSubtitleRect *region = subtitle->subtitle.rects[i];
    clamp_region(region, subtitle->width, subtitle->height);
    // A region clamped away has nothing to draw (and the scaler refuses
    // empty sizes).
    if (region_is_empty(region)) continue;
    is->sub_convert_ctx = sws_getCachedContext(is->sub_convert_ctx, region->w, region->h,
                                               AV_PIX_FMT_PAL8, region->w, region->h,
                                               AV_PIX_FMT_BGRA, 0, nullptr, nullptr, nullptr);
    if (is->sub_convert_ctx == nullptr) {
      av_log(nullptr, AV_LOG_FATAL, "Cannot initialize the conversion context\n");
      return;
    }
    const SDL_Rect area{region->x, region->y, region->w, region->h};
    uint8_t *pixels[4] = {};
    int pitch[4] = {};
    if (SDL_LockTexture(is->sub_texture, &area, reinterpret_cast<void **>(pixels), pitch) == 0) {
      sws_scale(is->sub_convert_ctx, region->data, region->linesize, 0, region->h, pixels, pitch);
      SDL_UnlockTexture(is->sub_texture);
    }
  }
  subtitle->uploaded = 1;
}

namespace {

void wipe_subtitle(VideoState *is, const ring_slot *subtitle) {
  if (!subtitle->uploaded || is->sub_texture == nullptr) return;
  for (unsigned i = 0; i < subtitle->subtitle.num_rects; i++) {
    const AVSubtitleRect *region = subtitle->subtitle.rects[i];
    if (region_is_empty(region)) continue;
    const SDL_Rect area{region->x, region->y, region->w, region->h};
    uint8_t *pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(is->sub_texture, &area, reinterpret_cast<void **>(&pixels), &pitch) != 0) {
      continue;
    }
    for (int row = 0; row < region->h; row++) {
      std::memset(pixels + static_cast<ptrdiff_t>(row) * pitch, 0,
                  static_cast<size_t>(region->w) * 4);
    }
    SDL_UnlockTexture(is->sub_texture);
  }
}

bool subtitle_is_over(const VideoState *is, const ring_slot *current, const ring_slot *next) {
  const double video_time = is->vidclk.pts;
  if (current->serial != is->subtitleq.serial.load(std::memory_order_relaxed)) return true;
  if (video_time > current->pts + current->subtitle.end_display_time / 1000.0) return true;
  return next != nullptr && video_time > next->pts + next->subtitle.start_display_time / 1000.0;
}

}  // namespace

void expire_subtitles(VideoState *is) {
  while (decoded_ring_remaining(&is->subpq) > 0) {
    ring_slot *current = decoded_ring_peek(&is->subpq);
    ring_slot *next =
        decoded_ring_remaining(&is->subpq) > 1 ? decoded_ring_peek_next(&is->subpq) : nullptr;
    if (!subtitle_is_over(is, current, next)) return;
    wipe_subtitle(is, current);
    decoded_ring_advance(&is->subpq);
  }
}

}  // namespace cinelock
