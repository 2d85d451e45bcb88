// Pausing freezes the clocks; resuming moves the frame timer past the
// pause; stepping plays exactly one picture.
#include <cmath>

extern "C" {
#include <libavutil/error.h>
}

#include "presenter/presenter.h"
#include "presenter_fixture.h"

namespace presenter_test {
namespace {

class PauseToggle : public presenter_fixture {
 protected:
  void SetUp() override {
    presenter_fixture::SetUp();
    open_video();
    cinelock::clock_set(&state->extclk, 20.0, 0);
  }
};

TEST_F(PauseToggle, PausingFreezesEveryClock) {
  cinelock::toggle_pause(state.get());
  EXPECT_EQ(state->paused.load(), 1);
  EXPECT_EQ(state->audclk.paused.load(), 1);
  EXPECT_EQ(state->vidclk.paused.load(), 1);
  EXPECT_EQ(state->extclk.paused.load(), 1);
  const double first = cinelock::get_master_clock(state.get());
  EXPECT_GE(first, 20.0);
  EXPECT_EQ(cinelock::get_master_clock(state.get()), first);
}

TEST_F(PauseToggle, ResumingMovesTheFrameTimerByTheTimeSinceTheLastPicture) {
  const double shown_at = cinelock::clock_now() - 100.0;
  cinelock::clock_set_at(&state->vidclk, 7.0, video_serial(), shown_at);
  state->frame_timer = shown_at;
  cinelock::toggle_pause(state.get());
  cinelock::toggle_pause(state.get());
  EXPECT_EQ(state->paused.load(), 0);
  EXPECT_EQ(state->vidclk.paused.load(), 0);
  EXPECT_EQ(state->extclk.paused.load(), 0);
  EXPECT_GE(state->frame_timer, shown_at + 100.0);
  // The video clock restarts from now.
  EXPECT_GE(state->vidclk.last_updated.load(), shown_at + 100.0);
}

TEST_F(PauseToggle, ADemuxerThatCannotPauseKeepsTheVideoClockWhereItStopped) {
  state->read_pause_return = AVERROR(ENOSYS);
  cinelock::clock_set_at(&state->vidclk, 7.0, video_serial(), cinelock::clock_now() - 100.0);
  cinelock::toggle_pause(state.get());
  cinelock::toggle_pause(state.get());
  EXPECT_DOUBLE_EQ(state->vidclk.pts.load(), 7.0);
  EXPECT_EQ(state->vidclk.paused.load(), 0);
}

TEST_F(PauseToggle, StepUnpausesAndAsksForOnePicture) {
  cinelock::toggle_pause(state.get());
  cinelock::step_to_next_frame(state.get());
  EXPECT_EQ(state->paused.load(), 0);
  EXPECT_EQ(state->step.load(), 1);

  state->step = 0;
  cinelock::step_to_next_frame(state.get());
  EXPECT_EQ(state->paused.load(), 0) << "stepping while playing must not pause";
  EXPECT_EQ(state->step.load(), 1);
}

}  // namespace
}  // namespace presenter_test
