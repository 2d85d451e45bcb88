// When the next picture is due: the gap between two pictures, and how the
// delay bends to bring the video clock back to the master clock.
#include <cmath>

extern "C" {
#include <libavutil/frame.h>
}

#include "presenter/presenter.h"
#include "presenter_fixture.h"

namespace presenter_test {
namespace {

constexpr double kFrame25 = 0.04;  // 25 frames per second

class TargetDelay : public presenter_fixture {
 protected:
  void SetUp() override {
    presenter_fixture::SetUp();
    open_video();
  }

  // The video clock `video_minus_master` seconds from the master clock,
  // both set at the same instant so their distance is exact.
  void place_clocks(double video_minus_master) {
    const double now = cinelock::clock_now();
    cinelock::media_clock *master =
        cinelock::master_is_audio(state.get()) ? &state->audclk : &state->extclk;
    // The external clock is current with whatever serial it is given.
    const int master_serial = master == &state->audclk ? state->audioq.serial.load() : 0;
    cinelock::clock_set_at(master, 100.0, master_serial, now);
    cinelock::clock_set_at(&state->vidclk, 100.0 + video_minus_master, video_serial(), now);
  }
};

TEST_F(TargetDelay, VideoAheadOfAudioHoldsTheFrameTwiceAsLong) {
  open_audio(2, 48000, cinelock::DisplayMode::video);
  for (double ahead : {0.045, 0.06, 0.5, 5.0}) {
    place_clocks(ahead);
    EXPECT_NEAR(cinelock::target_delay(state.get(), kFrame25), 0.08, 1e-9) << "ahead " << ahead;
  }
}

TEST_F(TargetDelay, VideoBehindShortensTheDelayDownToZero) {
  open_audio(2, 48000, cinelock::DisplayMode::video);
  place_clocks(-0.045);
  EXPECT_NEAR(cinelock::target_delay(state.get(), kFrame25), 0.0, 1e-9);
  place_clocks(-2.0);
  EXPECT_NEAR(cinelock::target_delay(state.get(), kFrame25), 0.0, 1e-9);
  // A long frame (threshold capped at 0.1 s) shows its successor after d + diff.
  place_clocks(-0.15);
  EXPECT_NEAR(cinelock::target_delay(state.get(), 0.2), 0.05, 1e-6);
}

TEST_F(TargetDelay, WithinTheThresholdTheFrameKeepsItsDuration) {
  open_audio(2, 48000, cinelock::DisplayMode::video);
  for (double diff : {0.0, 0.03, -0.03, 0.035}) {
    place_clocks(diff);
    EXPECT_NEAR(cinelock::target_delay(state.get(), kFrame25), kFrame25, 1e-9) << "diff " << diff;
  }
  // The threshold grows with the frame (here 0.08 s).
  place_clocks(-0.07);
  EXPECT_NEAR(cinelock::target_delay(state.get(), 0.08), 0.08, 1e-9);
}

TEST_F(TargetDelay, LongFramesAddTheLeadInsteadOfDoubling) {
  open_audio(2, 48000, cinelock::DisplayMode::video);
  place_clocks(0.15);
  EXPECT_NEAR(cinelock::target_delay(state.get(), 0.2), 0.35, 1e-6);
}

TEST_F(TargetDelay, NoCorrectionWhenTheClocksCannotBeCompared) {
  open_audio(2, 48000, cinelock::DisplayMode::video);
  state->max_frame_duration = 10.0;
  place_clocks(20.0);
  EXPECT_DOUBLE_EQ(cinelock::target_delay(state.get(), kFrame25), kFrame25);
  place_clocks(-20.0);
  EXPECT_DOUBLE_EQ(cinelock::target_delay(state.get(), kFrame25), kFrame25);
  // A video clock from before a seek reads NaN.
  place_clocks(0.5);
  state->vidclk.serial = video_serial() - 1;
  EXPECT_DOUBLE_EQ(cinelock::target_delay(state.get(), kFrame25), kFrame25);
}

TEST_F(TargetDelay, WithoutAudioTheExternalClockIsTheMaster) {
  place_clocks(0.06);
  EXPECT_NEAR(cinelock::target_delay(state.get(), kFrame25), 0.08, 1e-9);
  // The audio clock is ignored even when set.
  cinelock::clock_set(&state->audclk, 0.0, state->audioq.serial.load());
  EXPECT_NEAR(cinelock::target_delay(state.get(), kFrame25), 0.08, 1e-9);
}

class FrameDuration : public presenter_fixture {
 protected:
  cinelock::ring_slot picture(double pts, int serial, double own_duration) {
    cinelock::ring_slot slot;
    slot.pts = pts;
    slot.serial = serial;
    slot.duration = own_duration;
    return slot;
  }
};

TEST_F(FrameDuration, IsTheGapBetweenPicturesOfOneSerial) {
  const cinelock::ring_slot last = picture(1.0, 3, 0.033);
  const cinelock::ring_slot next = picture(1.04, 3, 0.033);
  EXPECT_NEAR(cinelock::frame_duration(state.get(), &last, &next), 0.04, 1e-12);
}

TEST_F(FrameDuration, FallsBackToTheFramesOwnDurationWhenTheGapIsUnusable) {
  state->max_frame_duration = 10.0;
  const cinelock::ring_slot last = picture(1.0, 3, 0.033);
  for (double next_pts : {1.0, 0.5, double{NAN}, 11.5}) {
    const cinelock::ring_slot next = picture(next_pts, 3, 0.05);
    EXPECT_DOUBLE_EQ(cinelock::frame_duration(state.get(), &last, &next), 0.033)
        << "next pts " << next_pts;
  }
  const cinelock::ring_slot unknown = picture(double{NAN}, 3, 0.033);
  const cinelock::ring_slot next = picture(1.04, 3, 0.05);
  EXPECT_DOUBLE_EQ(cinelock::frame_duration(state.get(), &unknown, &next), 0.033);
}

TEST_F(FrameDuration, IsZeroAcrossASeek) {
  const cinelock::ring_slot last = picture(1.0, 3, 0.033);
  const cinelock::ring_slot next = picture(1.04, 4, 0.033);
  EXPECT_DOUBLE_EQ(cinelock::frame_duration(state.get(), &last, &next), 0.0);
}

}  // namespace
}  // namespace presenter_test
