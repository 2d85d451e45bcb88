#include "presenter_fixture.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>

extern "C" {
#include <libavcodec/avfft.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
#include <libswscale/swscale.h>
}

#include "flush_marker.h"
#include "output/process_output.h"
#include "presenter/presenter.h"

namespace presenter_test {

namespace {

std::mutex log_mutex;
std::string log_text;
int log_threshold = AV_LOG_ERROR;
int level_before_recording = AV_LOG_INFO;

void record_log(void *, int level, const char *format, va_list args) {
  if (level > log_threshold) return;
  char line[1024];
  std::vsnprintf(line, sizeof line, format, args);
  std::lock_guard<std::mutex> lock(log_mutex);
  log_text += line;
}

void observe_picture(void *context, const AVFrame *picture, double pts, double master_clock) {
  static_cast<std::vector<observed_picture> *>(context)->push_back(
      observed_picture{pts, master_clock, picture});
}

void ensure_sdl_video() {
  static const bool ready = [] {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
  }();
  ASSERT_TRUE(ready) << SDL_GetError();
}

}  // namespace

log_recorder::log_recorder(int level) {
  std::lock_guard<std::mutex> lock(log_mutex);
  log_text.clear();
  log_threshold = level;
  level_before_recording = av_log_get_level();
  av_log_set_level(level);
  av_log_set_callback(record_log);
}

log_recorder::~log_recorder() {
  av_log_set_callback(av_log_default_callback);
  av_log_set_level(level_before_recording);
}

std::string log_recorder::text() const {
  std::lock_guard<std::mutex> lock(log_mutex);
  return log_text;
}

frame_ptr make_frame(AVPixelFormat format, int width, int height) {
  frame_ptr frame(av_frame_alloc());
  if (!frame) return nullptr;
  frame->format = format;
  frame->width = width;
  frame->height = height;
  if (av_frame_get_buffer(frame.get(), 0) < 0) return nullptr;
  return frame;
}

frame_ptr make_two_band_rgb24(int width, int height, rgb top, rgb bottom) {
  frame_ptr frame = make_frame(AV_PIX_FMT_RGB24, width, height);
  if (!frame) return nullptr;
  for (int y = 0; y < height; y++) {
    const rgb &colour = y < height / 2 ? top : bottom;
    uint8_t *row = frame->data[0] + static_cast<ptrdiff_t>(y) * frame->linesize[0];
    for (int x = 0; x < width; x++) {
      row[3 * x] = static_cast<uint8_t>(colour.r);
      row[3 * x + 1] = static_cast<uint8_t>(colour.g);
      row[3 * x + 2] = static_cast<uint8_t>(colour.b);
    }
  }
  return frame;
}

frame_ptr make_solid_frame(AVPixelFormat format, int width, int height, rgb colour) {
  frame_ptr source = make_two_band_rgb24(width, height, colour, colour);
  frame_ptr target = make_frame(format, width, height);
  if (!source || !target) return nullptr;
  SwsContext *scaler = sws_getContext(width, height, AV_PIX_FMT_RGB24, width, height, format,
                                      SWS_POINT, nullptr, nullptr, nullptr);
  if (scaler == nullptr) return nullptr;
  sws_scale(scaler, source->data, source->linesize, 0, height, target->data, target->linesize);
  sws_freeContext(scaler);
  return target;
}

::testing::AssertionResult colour_near(const rgb &actual, const rgb &expected, int tolerance) {
  if (std::abs(actual.r - expected.r) <= tolerance && std::abs(actual.g - expected.g) <= tolerance &&
      std::abs(actual.b - expected.b) <= tolerance) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "drawn (" << actual.r << ", " << actual.g << ", " << actual.b << "), expected ("
         << expected.r << ", " << expected.g << ", " << expected.b << ") within " << tolerance;
}

void presenter_fixture::SetUp() {
  // The status line would fill the test output; its own test asks for it.
  av_log_set_level(AV_LOG_ERROR);
  ensure_sdl_video();
  ASSERT_EQ(cinelock::flush_marker_prepare(), 0);
  surface_ = SDL_CreateRGBSurfaceWithFormat(0, kAreaWidth, kAreaHeight, 32,
                                            SDL_PIXELFORMAT_ARGB8888);
  ASSERT_NE(surface_, nullptr) << SDL_GetError();
  renderer_ = SDL_CreateSoftwareRenderer(surface_);
  ASSERT_NE(renderer_, nullptr) << SDL_GetError();

  cinelock::ProcessOutput &output = cinelock::process_output();
  output.window = nullptr;
  output.renderer = renderer_;
  output.surface = surface_;
  output.screen_width = kAreaWidth;
  output.screen_height = kAreaHeight;
  output.audio_callback_time = 0;

  state = std::make_unique<cinelock::VideoState>();
  cinelock::VideoState *is = state.get();
  is->max_frame_duration = 3600.0;
  cinelock::clock_init(&is->vidclk, &is->videoq.serial);
  cinelock::clock_init(&is->audclk, &is->audioq.serial);
  // The external clock follows its own serial: whatever it was last set
  // with is current, so following the video clock never makes it stale.
  cinelock::clock_init(&is->extclk, &is->extclk.serial);
  cinelock::set_picture_observer(observe_picture, &seen);
}

void presenter_fixture::open_video() {
  cinelock::VideoState *is = state.get();
  ASSERT_EQ(cinelock::packet_fifo_init(&is->videoq), 0);
  ASSERT_EQ(cinelock::packet_fifo_start(&is->videoq), 0);
  ASSERT_EQ(cinelock::decoded_ring_init(&is->pictq, &is->videoq, cinelock::kPictureRingCapacity,
                                        true),
            0);
  video_ready_ = true;
  is->video_stream = 0;
  is->show_mode = cinelock::DisplayMode::video;
}

void presenter_fixture::open_audio(int channels, int sample_rate, cinelock::DisplayMode mode) {
  cinelock::VideoState *is = state.get();
  ASSERT_EQ(cinelock::packet_fifo_init(&is->audioq), 0);
  ASSERT_EQ(cinelock::packet_fifo_start(&is->audioq), 0);
  audio_ready_ = true;
  av_channel_layout_default(&is->audio_tgt.ch_layout, channels);
  is->audio_tgt.freq = sample_rate;
  is->audio_stream = 1;
  is->show_mode = mode;
}

void presenter_fixture::open_subtitles() {
  cinelock::VideoState *is = state.get();
  ASSERT_EQ(cinelock::packet_fifo_init(&is->subtitleq), 0);
  ASSERT_EQ(cinelock::packet_fifo_start(&is->subtitleq), 0);
  ASSERT_EQ(cinelock::decoded_ring_init(&is->subpq, &is->subtitleq,
                                        cinelock::kSubtitleRingCapacity, false),
            0);
  subtitles_ready_ = true;
  is->subtitle_stream = 2;
}

void presenter_fixture::push_picture(frame_ptr frame, double pts, int serial, double duration) {
  ASSERT_TRUE(frame);
  ASSERT_LT(state->pictq.count.load(), state->pictq.capacity) << "the test would wait forever";
  cinelock::ring_slot *slot = cinelock::decoded_ring_peek_writable(&state->pictq);
  ASSERT_NE(slot, nullptr);
  slot->sample_aspect_ratio = frame->sample_aspect_ratio;
  slot->width = frame->width;
  slot->height = frame->height;
  slot->format = frame->format;
  slot->pts = pts;
  slot->duration = duration;
  slot->pos = -1;
  slot->serial = serial;
  slot->uploaded = 0;
  slot->flip_vertical = 0;
  av_frame_move_ref(slot->frame, frame.get());
  cinelock::decoded_ring_push(&state->pictq);
}

void presenter_fixture::refresh_with_next_picture_due() {
  state->frame_timer = cinelock::clock_now() - 1000.0;
  double remaining = 0.01;
  cinelock::video_refresh(state.get(), &remaining);
}

rgb presenter_fixture::pixel_at(int x, int y) const {
  const auto *row = static_cast<const uint8_t *>(surface_->pixels) +
                    static_cast<ptrdiff_t>(y) * surface_->pitch;
  const uint32_t pixel = reinterpret_cast<const uint32_t *>(row)[x];
  Uint8 r = 0, g = 0, b = 0;
  SDL_GetRGB(pixel, surface_->format, &r, &g, &b);
  return rgb{r, g, b};
}

void presenter_fixture::TearDown() {
  cinelock::set_picture_observer(nullptr, nullptr);
  if (state) {
    cinelock::VideoState *is = state.get();
    for (SDL_Texture **texture : {&is->vis_texture, &is->sub_texture, &is->vid_texture}) {
      if (*texture != nullptr) SDL_DestroyTexture(*texture);
      *texture = nullptr;
    }
    sws_freeContext(is->img_convert_ctx);
    sws_freeContext(is->sub_convert_ctx);
    cinelock::free_picture_scaler(is);
    av_rdft_end(is->rdft);
    av_freep(&is->rdft_data);
    if (video_ready_) {
      cinelock::decoded_ring_destroy(&is->pictq);
      cinelock::packet_fifo_destroy(&is->videoq);
    }
    if (subtitles_ready_) {
      cinelock::decoded_ring_destroy(&is->subpq);
      cinelock::packet_fifo_destroy(&is->subtitleq);
    }
    if (audio_ready_) cinelock::packet_fifo_destroy(&is->audioq);
    av_channel_layout_uninit(&is->audio_tgt.ch_layout);
    state.reset();
  }
  cinelock::ProcessOutput &output = cinelock::process_output();
  output.renderer = nullptr;
  output.surface = nullptr;
  output.screen_width = 0;
  output.screen_height = 0;
  output.default_width = 640;
  output.default_height = 480;
  if (renderer_ != nullptr) SDL_DestroyRenderer(renderer_);
  if (surface_ != nullptr) SDL_FreeSurface(surface_);
  SDL_SetYUVConversionMode(SDL_YUV_CONVERSION_AUTOMATIC);
}

}  // namespace presenter_test
