extern "C" {
#include <libavutil/log.h>
}

#include "output/process_output.h"
#include "presenter/presenter.h"

namespace cinelock {

namespace {

PictureObserver picture_observer = nullptr;
void *picture_observer_context = nullptr;

// The first display sizes the window: to the screen size handed to the
// window set-up, or to the default size where that is 0.
void open_picture_area(VideoState *is) {
  ProcessOutput &output = process_output();
  const int width = output.screen_width ? output.screen_width : output.default_width.load();
  const int height = output.screen_height ? output.screen_height : output.default_height.load();
  if (output.window != nullptr) {
    SDL_SetWindowSize(output.window, width, height);
    SDL_SetWindowPosition(output.window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
  }
  is->width = width;
  is->height = height;
}

// The subtitle due on this picture, uploaded; nullptr when none is due.
ring_slot *due_subtitle(VideoState *is, const ring_slot *picture) {
  if (!subtitle_is_open(is) || decoded_ring_remaining(&is->subpq) <= 0) return nullptr;
  ring_slot *subtitle = decoded_ring_peek(&is->subpq);
  if (!(picture->pts >= subtitle->pts + subtitle->subtitle.start_display_time / 1000.0)) {
    return nullptr;
  }
  if (!subtitle->uploaded) upload_subtitle(is, subtitle, picture);
  return subtitle->uploaded ? subtitle : nullptr;
}

// The GL path: the picture at its own size in a texture, converted and
// scaled by the renderer while drawing.
bool draw_picture_texture(VideoState *is, ring_slot *picture, const SDL_Rect &rect) {
  SDL_Renderer *renderer = process_output().renderer;
  // Software YUV textures convert while uploading, hardware ones while
  // drawing: the mode has to hold across both.
  SDL_SetYUVConversionMode(yuv_conversion_mode_for(picture->frame));
  if (!picture->uploaded) {
    bool rows_reversed = false;
    if (upload_picture(&is->vid_texture, picture->frame, &is->img_convert_ctx, &rows_reversed) <
        0) {
      SDL_SetYUVConversionMode(SDL_YUV_CONVERSION_AUTOMATIC);
      return false;
    }
    picture->uploaded = 1;
    picture->flip_vertical = rows_reversed ? 1 : 0;
  }
  SDL_RenderCopyEx(renderer, is->vid_texture, nullptr, &rect, 0, nullptr,
                   picture->flip_vertical ? SDL_FLIP_VERTICAL : SDL_FLIP_NONE);
  SDL_SetYUVConversionMode(SDL_YUV_CONVERSION_AUTOMATIC);
  return true;
}

// The software path: the picture scaled once to the displayed size (again
// only when that size changes), then copied as it is.
bool draw_scaled_picture(VideoState *is, ring_slot *picture, const SDL_Rect &rect) {
  if (!picture->uploaded || is->scaled_into != ScaledInto::texture ||
      is->scaled_width != rect.w || is->scaled_height != rect.h) {
    if (scale_picture(is, picture->frame, rect.w, rect.h) < 0) return false;
    picture->uploaded = 1;
    picture->flip_vertical = 0;
    is->scaled_into = ScaledInto::texture;
    is->scaled_width = rect.w;
    is->scaled_height = rect.h;
  }
  const SDL_Rect scaled{0, 0, rect.w, rect.h};
  SDL_RenderCopy(process_output().renderer, is->vid_texture, &scaled, &rect);
  return true;
}

// The surface the software renderer draws into.
SDL_Surface *software_surface() {
  ProcessOutput &output = process_output();
  return output.window != nullptr ? SDL_GetWindowSurface(output.window) : output.surface;
}

// Black where the picture does not cover the surface.
void fill_around(SDL_Surface *surface, const SDL_Rect &rect) {
  const Uint32 black = SDL_MapRGB(surface->format, 0, 0, 0);
  const SDL_Rect borders[4] = {
      {0, 0, surface->w, rect.y},
      {0, rect.y + rect.h, surface->w, surface->h - rect.y - rect.h},
      {0, rect.y, rect.x, rect.h},
      {rect.x + rect.w, rect.y, surface->w - rect.x - rect.w, rect.h}};
  for (const SDL_Rect &border : borders)
    if (border.w > 0 && border.h > 0) SDL_FillRect(surface, &border, black);
}

// The software path's usual case: the picture scaled straight into the
// window surface, no texture and no clearing under it. Where that cannot
// be (a picture format for libswscale alone, a surface of another format,
// no room for the scaler's padding right of the picture), false, and
// draw_picture goes through a texture. A picture drawn again at the same
// place without a subtitle over it is still in the surface: only the
// parts around it are filled again.
bool draw_picture_into_surface(VideoState *is) {
  ring_slot *picture = decoded_ring_peek_last(&is->pictq);
  SDL_Rect rect;
  calculate_display_rect(&rect, is->xleft, is->ytop, is->width, is->height, picture->width,
                         picture->height, picture->sample_aspect_ratio);
  SDL_Surface *surface = software_surface();
  if (surface == nullptr || SDL_MUSTLOCK(surface) ||
      !picture_fits_surface(picture->frame, rect, surface->format->format, surface->w, surface->h))
    return false;
  const ring_slot *subtitle = due_subtitle(is, picture);
  const bool covered = subtitle != nullptr && is->sub_texture != nullptr;
  if (!picture->uploaded || is->scaled_into != ScaledInto::surface || is->scaled_surface != surface ||
      is->scaled_width != rect.w || is->scaled_height != rect.h || covered || is->scaled_covered) {
    auto *pixels = static_cast<uint8_t *>(surface->pixels) +
                   static_cast<ptrdiff_t>(rect.y) * surface->pitch + static_cast<ptrdiff_t>(rect.x) * 4;
    if (scale_picture_into(is, picture->frame, pixels, surface->pitch, rect.w, rect.h,
                           surface->format->format) < 0)
      return false;
    picture->uploaded = 1;
    picture->flip_vertical = 0;
    is->scaled_into = ScaledInto::surface;
    is->scaled_surface = surface;
    is->scaled_width = rect.w;
    is->scaled_height = rect.h;
  }
  // After the picture: the scaler's padding right of it is painted over.
  fill_around(surface, rect);
  is->scaled_covered = covered;
  if (covered) SDL_RenderCopy(process_output().renderer, is->sub_texture, nullptr, &rect);
  if (picture_observer != nullptr) {
    picture_observer(picture_observer_context, picture->frame, picture->pts,
                     get_master_clock(is));
  }
  return true;
}

void draw_picture(VideoState *is) {
  // Nothing has been shown yet: the last-shown slot holds no picture.
  if (!is->pictq.read_index_shown.load()) return;
  SDL_Renderer *renderer = process_output().renderer;
  ring_slot *picture = decoded_ring_peek_last(&is->pictq);
  const ring_slot *subtitle = due_subtitle(is, picture);

  SDL_Rect rect;
  calculate_display_rect(&rect, is->xleft, is->ytop, is->width, is->height, picture->width,
                         picture->height, picture->sample_aspect_ratio);
  if (process_output().software_drawing) {
    if (!draw_scaled_picture(is, picture, rect)) return;
  } else if (!draw_picture_texture(is, picture, rect)) {
    return;
  }
  if (subtitle != nullptr && is->sub_texture != nullptr) {
    SDL_RenderCopy(renderer, is->sub_texture, nullptr, &rect);
  }
  if (picture_observer != nullptr) {
    picture_observer(picture_observer_context, picture->frame, picture->pts,
                     get_master_clock(is));
  }
}

}  // namespace

void set_picture_observer(PictureObserver observer, void *context) {
  picture_observer = observer;
  picture_observer_context = context;
}

void video_display(VideoState *is) {
  SDL_Renderer *renderer = process_output().renderer;
  if (renderer == nullptr) return;
  if (is->width == 0) open_picture_area(is);
  const bool pictures = video_is_open(is) && !(audio_is_open(is) && is->show_mode != DisplayMode::video);
  if (pictures && process_output().software_drawing && is->pictq.read_index_shown.load() &&
      draw_picture_into_surface(is)) {
    SDL_RenderPresent(renderer);
    return;
  }
  // Anything else drawn over the surface: a picture left in it is gone.
  if (is->scaled_into == ScaledInto::surface) is->scaled_into = ScaledInto::nowhere;
  SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
  SDL_RenderClear(renderer);
  if (audio_is_open(is) && is->show_mode != DisplayMode::video) {
    video_audio_display(is);
  } else if (video_is_open(is)) {
    draw_picture(is);
  }
  SDL_RenderPresent(renderer);
}

}  // namespace cinelock
