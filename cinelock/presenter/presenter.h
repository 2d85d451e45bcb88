// Presenting what the decoders produce, on the thread that runs the event
// loop: clocks and picture timing, refresh, display, pause.
#ifndef CINELOCK_PRESENTER_H
#define CINELOCK_PRESENTER_H

#include <SDL.h>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
#include <libavutil/rational.h>
#include <libswscale/swscale.h>
}

#include "player/video_state.h"

namespace cinelock {

// The audio clock when an audio stream is open, else the external clock.
double get_master_clock(const VideoState *is);
bool master_is_audio(const VideoState *is);

// Frame duration between two pictures, and the delay before showing the
// next one given the video clock's distance from the master clock.
double frame_duration(const VideoState *is, const ring_slot *last, const ring_slot *current);
double target_delay(const VideoState *is, double delay);

// The external clock's speed rule, run when the master is external.
void adjust_external_clock_speed(VideoState *is);

// Pause toggle: the clocks, the frame timer and the demuxer's pause state.
void toggle_pause(VideoState *is);
// Toggle pause if paused, and show one frame before pausing again.
void step_to_next_frame(VideoState *is);

// The picture rectangle of a w x h picture with aspect sar inside an area.
void calculate_display_rect(SDL_Rect *rect, int area_x, int area_y, int area_width,
                            int area_height, int picture_width, int picture_height,
                            AVRational sar);
// The default-window-size rule (process_output().default_width/height).
void set_default_window_size(int width, int height, AVRational sar);

// Called by the event loop when the player has a display mode and is not
// paused, or a refresh is forced; may lower *remaining_time (seconds).
void video_refresh(VideoState *is, double *remaining_time);
// Clears the window, draws the picture or the visualisation, presents.
void video_display(VideoState *is);
// Draws the visualisation of is->show_mode (waves or spectrum) from the
// sample history the audio callback keeps.
void video_audio_display(VideoState *is);

// Test seam: told about every picture when it is displayed, with the
// master clock at that moment. nullptr: nobody is told.
using PictureObserver = void (*)(void *context, const AVFrame *picture, double pts,
                                 double master_clock);
void set_picture_observer(PictureObserver observer, void *context);

// The pieces the functions above are made of.

// Whether a stream of that kind is open (its index is set).
bool audio_is_open(const VideoState *is);
bool video_is_open(const VideoState *is);
bool subtitle_is_open(const VideoState *is);

// The texture format a decoder pixel format is shown through, and its blend
// mode; SDL_PIXELFORMAT_UNKNOWN for formats the scaler turns into BGRA.
void texture_format_for(int pixel_format, Uint32 *sdl_format, SDL_BlendMode *blend_mode);
// How SDL should turn the frame's YUV into RGB (automatic for non-YUV).
SDL_YUV_CONVERSION_MODE yuv_conversion_mode_for(const AVFrame *frame);

// Keeps *texture when it already has that format and size, else replaces
// it (a streaming texture of the process renderer), optionally cleared to
// zero. 0, or -1 when SDL refused.
int reuse_or_create_texture(SDL_Texture **texture, Uint32 sdl_format, int width, int height,
                            SDL_BlendMode blend_mode, bool clear);
// Puts the picture into *texture, converting through *scaler (cached)
// when there is no matching texture format. *rows_reversed tells whether
// the texture now holds the picture bottom-up (negative line sizes copied
// as they lie), so that drawing has to flip it. 0, or -1 (logged).
int upload_picture(SDL_Texture **texture, const AVFrame *frame, SwsContext **scaler,
                   bool *rows_reversed);
// The software drawing path (output/drawing_path.h): converts and scales
// the picture to width x height into is->vid_texture, in the output's
// picture format (ARGB8888, blended, for pictures with alpha), upright,
// through is->picture_scaler or is->img_convert_ctx (both kept). The
// texture may be wider than width (padding on the right). 0, or -1
// (logged).
int scale_picture(VideoState *is, const AVFrame *frame, int width, int height);
void free_picture_scaler(VideoState *is);
// Whether the picture can be scaled straight into a surface of that format
// and size at rect: an 8-bit 4:2:0 picture for the picture scaler, a
// packed 32-bit RGB surface, room right of rect for the scaler's padding.
bool picture_fits_surface(const AVFrame *frame, const SDL_Rect &rect, Uint32 surface_format,
                          int surface_width, int surface_height);
// Scales the picture to width x height into pixels (pitch bytes a row) of
// such a surface. 0, or -1 (logged).
int scale_picture_into(VideoState *is, const AVFrame *frame, uint8_t *pixels, int pitch, int width,
                       int height, Uint32 surface_format);
// FFmpeg's name for the bytes of a packed SDL format; AV_PIX_FMT_NONE for
// formats the software path does not draw in.
AVPixelFormat pixel_format_for_texture(Uint32 sdl_format);

// Draws a bitmap subtitle's regions into is->sub_texture once, sized like
// the picture when the subtitle has no size of its own.
void upload_subtitle(VideoState *is, ring_slot *subtitle, const ring_slot *picture);
// Drops the subtitles the video clock has moved past (or that a seek made
// stale), wiping what they drew.
void expire_subtitles(VideoState *is);

// The status line (info level), at most every 30 ms.
void write_status_line(VideoState *is);

}  // namespace cinelock

#endif
