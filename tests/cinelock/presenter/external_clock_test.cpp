// Which clock is the master, and how the external clock's speed follows
// the fill of the packet fifos.
#include <cmath>

#include "presenter/presenter.h"
#include "presenter_fixture.h"

namespace presenter_test {
namespace {

class MasterClock : public presenter_fixture {};

TEST_F(MasterClock, IsTheAudioClockWhileAudioIsOpenElseTheExternalClock) {
  open_video();
  cinelock::clock_set(&state->audclk, 5.0, state->audioq.serial.load());
  cinelock::clock_set(&state->extclk, 50.0, 0);
  EXPECT_FALSE(cinelock::master_is_audio(state.get()));
  EXPECT_NEAR(cinelock::get_master_clock(state.get()), 50.0, 1.0);
  open_audio(2, 44100, cinelock::DisplayMode::video);
  cinelock::clock_set(&state->audclk, 5.0, state->audioq.serial.load());
  EXPECT_TRUE(cinelock::master_is_audio(state.get()));
  EXPECT_NEAR(cinelock::get_master_clock(state.get()), 5.0, 1.0);
}

class ExternalClockSpeed : public presenter_fixture {
 protected:
  void run(int times) {
    for (int i = 0; i < times; i++) cinelock::adjust_external_clock_speed(state.get());
  }
  double speed() const { return state->extclk.speed; }
};

TEST_F(ExternalClockSpeed, SlowsDownToNinetyPercentWhileAFifoRunsLow) {
  open_video();
  state->videoq.packet_count = 2;
  run(1);
  EXPECT_NEAR(speed(), 0.999, 1e-12);
  run(500);
  EXPECT_DOUBLE_EQ(speed(), 0.9);
}

TEST_F(ExternalClockSpeed, SpeedsUpToOnePercentFastWhileEveryFifoIsWellFilled) {
  open_video();
  open_audio(2, 44100, cinelock::DisplayMode::video);
  state->videoq.packet_count = 11;
  state->audioq.packet_count = 11;
  run(1);
  EXPECT_NEAR(speed(), 1.001, 1e-12);
  run(100);
  EXPECT_DOUBLE_EQ(speed(), 1.01);
}

TEST_F(ExternalClockSpeed, OneLowFifoIsEnoughToSlowDown) {
  open_video();
  open_audio(2, 44100, cinelock::DisplayMode::video);
  state->videoq.packet_count = 50;
  state->audioq.packet_count = 1;
  run(3);
  EXPECT_NEAR(speed(), 0.997, 1e-12);
}

TEST_F(ExternalClockSpeed, DriftsBackTowardNormalSpeedInBetween) {
  open_video();
  state->videoq.packet_count = 1;
  run(50);
  ASSERT_NEAR(speed(), 0.95, 1e-9);
  state->videoq.packet_count = 5;
  run(10);
  EXPECT_NEAR(speed(), 0.96, 1e-9);
  run(100);
  EXPECT_LE(std::fabs(speed() - 1.0), 0.001 + 1e-12);

  // A well-filled video fifo does not speed up while audio sits in between.
  open_audio(2, 44100, cinelock::DisplayMode::video);
  state->videoq.packet_count = 30;
  state->audioq.packet_count = 5;
  run(100);
  EXPECT_LE(std::fabs(speed() - 1.0), 0.001 + 1e-12);
}

TEST_F(ExternalClockSpeed, ARefreshAppliesItOnlyWhenPlayingAgainstTheExternalClock) {
  open_video();
  state->videoq.packet_count = 1;
  double remaining = 0.01;
  cinelock::video_refresh(state.get(), &remaining);
  EXPECT_NEAR(speed(), 0.999, 1e-12);

  state->paused = 1;
  cinelock::video_refresh(state.get(), &remaining);
  EXPECT_NEAR(speed(), 0.999, 1e-12);

  state->paused = 0;
  open_audio(2, 44100, cinelock::DisplayMode::video);
  cinelock::video_refresh(state.get(), &remaining);
  EXPECT_NEAR(speed(), 0.999, 1e-12);
}

}  // namespace
}  // namespace presenter_test
