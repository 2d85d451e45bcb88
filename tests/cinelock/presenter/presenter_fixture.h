// A player state with started fifos and rings, drawn through a software
// renderer into a surface the tests read back, and builders for frames.
#ifndef CINELOCK_TESTS_PRESENTER_FIXTURE_H
#define CINELOCK_TESTS_PRESENTER_FIXTURE_H

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

#include "player/video_state.h"

namespace presenter_test {

struct frame_deleter {
  void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};
using frame_ptr = std::unique_ptr<AVFrame, frame_deleter>;

struct rgb {
  int r = 0;
  int g = 0;
  int b = 0;
};
constexpr rgb kRed{255, 0, 0};
constexpr rgb kBlue{0, 0, 255};

// A frame of the given format with its buffers allocated (not filled).
frame_ptr make_frame(AVPixelFormat format, int width, int height);
// A frame of the given format holding one colour everywhere, converted
// from RGB24 by FFmpeg's scaler (which is how the layout of each format is
// known independently of the code under test).
frame_ptr make_solid_frame(AVPixelFormat format, int width, int height, rgb colour);
// An RGB24 frame whose upper half is `top` and lower half `bottom`.
frame_ptr make_two_band_rgb24(int width, int height, rgb top, rgb bottom);

// FFmpeg messages at or above a level of importance, while alive.
class log_recorder {
 public:
  explicit log_recorder(int level);
  ~log_recorder();
  log_recorder(const log_recorder &) = delete;
  log_recorder &operator=(const log_recorder &) = delete;
  std::string text() const;
  bool contains(const std::string &message) const {
    return text().find(message) != std::string::npos;
  }
};

// What the picture observer saw, in order.
struct observed_picture {
  double pts = 0;
  double master_clock = 0;
  const AVFrame *frame = nullptr;
};

class presenter_fixture : public ::testing::Test {
 protected:
  static constexpr int kAreaWidth = 64;
  static constexpr int kAreaHeight = 48;

  void SetUp() override;
  void TearDown() override;

  // Video open (and the picture ring fed from the test), video display mode.
  void open_video();
  // Audio open with this many channels at this rate, visualisation mode.
  void open_audio(int channels, int sample_rate, cinelock::DisplayMode mode);
  void open_subtitles();

  // Moves the frame into the next picture slot; the ring must have room.
  void push_picture(frame_ptr frame, double pts, int serial, double duration = 0.04);
  int video_serial() const { return state->videoq.serial.load(); }

  // Makes the next picture due (the frame timer far in the past) and runs
  // one refresh.
  void refresh_with_next_picture_due();

  // The colour drawn at (x, y) of the picture area.
  rgb pixel_at(int x, int y) const;

  std::unique_ptr<cinelock::VideoState> state;
  std::vector<observed_picture> seen;

 private:
  SDL_Surface *surface_ = nullptr;
  SDL_Renderer *renderer_ = nullptr;
  bool video_ready_ = false;
  bool audio_ready_ = false;
  bool subtitles_ready_ = false;
};

::testing::AssertionResult colour_near(const rgb &actual, const rgb &expected, int tolerance);

}  // namespace presenter_test

#endif
