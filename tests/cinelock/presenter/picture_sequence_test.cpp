// The refresh takes pictures off the ring in order, one per due time, never
// dropping one; stale pictures from before a seek are passed over.
#include <cmath>
#include <utility>
#include <vector>

#include "presenter/presenter.h"
#include "presenter_fixture.h"

namespace presenter_test {
namespace {

constexpr rgb kGreen{0, 255, 0};

class PictureSequence : public presenter_fixture {
 protected:
  void SetUp() override {
    presenter_fixture::SetUp();
    open_video();
  }

  frame_ptr small_picture() { return make_two_band_rgb24(8, 6, kGreen, kGreen); }

  bool ring_has_room() const { return state->pictq.count.load() < state->pictq.capacity; }

  std::vector<double> seen_pts() const {
    std::vector<double> pts;
    for (const observed_picture &picture : seen) pts.push_back(picture.pts);
    return pts;
  }
};

TEST_F(PictureSequence, EveryPictureIsShownOnceInOrder) {
  std::vector<double> queued;
  for (int i = 0; i < 12; i++) queued.push_back(i * 0.04);

  size_t next = 0;
  for (int round = 0; round < 100 && seen.size() < queued.size(); round++) {
    while (next < queued.size() && ring_has_room()) {
      push_picture(small_picture(), queued[next], video_serial());
      next++;
    }
    refresh_with_next_picture_due();
  }
  EXPECT_EQ(seen_pts(), queued);
  // The video clock tells the last picture shown.
  EXPECT_DOUBLE_EQ(state->vidclk.pts.load(), queued.back());
  EXPECT_EQ(state->vidclk.serial.load(), video_serial());
  EXPECT_FALSE(std::isnan(seen.back().master_clock));
}

TEST_F(PictureSequence, LatePicturesAreShownOneARefreshNotDropped) {
  // Each refresh finds every queued picture overdue.
  push_picture(small_picture(), 0.0, video_serial());
  push_picture(small_picture(), 0.04, video_serial());
  push_picture(small_picture(), 0.08, video_serial());
  double remaining = 0.01;
  for (int i = 0; i < 3; i++) {
    state->frame_timer = cinelock::clock_now() - 1000.0;
    cinelock::video_refresh(state.get(), &remaining);
    EXPECT_EQ(seen.size(), static_cast<size_t>(i + 1));
  }
  EXPECT_EQ(seen_pts(), (std::vector<double>{0.0, 0.04, 0.08}));
}

TEST_F(PictureSequence, PicturesFromBeforeASeekArePassedOver) {
  const int serial = video_serial();
  push_picture(small_picture(), 0.0, serial);
  push_picture(small_picture(), 9.0, serial - 1);
  push_picture(small_picture(), 0.08, serial);
  for (int i = 0; i < 5; i++) refresh_with_next_picture_due();
  EXPECT_EQ(seen_pts(), (std::vector<double>{0.0, 0.08}));
}

TEST_F(PictureSequence, APictureIsHeldUntilItsTime) {
  push_picture(small_picture(), 0.0, video_serial());
  push_picture(small_picture(), 0.04, video_serial());
  refresh_with_next_picture_due();
  ASSERT_EQ(seen.size(), 1u);

  state->frame_timer = cinelock::clock_now() + 1000.0;
  double remaining = 0.01;
  cinelock::video_refresh(state.get(), &remaining);
  EXPECT_EQ(seen.size(), 1u);
  EXPECT_EQ(cinelock::decoded_ring_remaining(&state->pictq), 1);
  EXPECT_LE(remaining, 0.01);
}

TEST_F(PictureSequence, WhilePausedAForcedRefreshRedrawsWithoutAdvancing) {
  push_picture(small_picture(), 0.0, video_serial());
  push_picture(small_picture(), 0.04, video_serial());
  refresh_with_next_picture_due();
  cinelock::toggle_pause(state.get());

  refresh_with_next_picture_due();
  EXPECT_EQ(seen.size(), 1u) << "nothing to redraw without a forced refresh";

  state->force_refresh = 1;
  refresh_with_next_picture_due();
  EXPECT_EQ(seen_pts(), (std::vector<double>{0.0, 0.0}));
  EXPECT_EQ(cinelock::decoded_ring_remaining(&state->pictq), 1);
  EXPECT_EQ(state->force_refresh.load(), 0);
}

TEST_F(PictureSequence, SteppingShowsOnePictureAndPausesAgain) {
  push_picture(small_picture(), 0.0, video_serial());
  push_picture(small_picture(), 0.04, video_serial());
  push_picture(small_picture(), 0.08, video_serial());
  refresh_with_next_picture_due();
  cinelock::toggle_pause(state.get());

  cinelock::step_to_next_frame(state.get());
  refresh_with_next_picture_due();
  EXPECT_EQ(seen_pts(), (std::vector<double>{0.0, 0.04}));
  EXPECT_EQ(state->paused.load(), 1);

  refresh_with_next_picture_due();
  EXPECT_EQ(seen.size(), 2u);
}

TEST_F(PictureSequence, TheFirstDisplaySizesThePictureAreaToTheScreen) {
  push_picture(small_picture(), 0.0, video_serial());
  refresh_with_next_picture_due();
  EXPECT_EQ(state->width, kAreaWidth);
  EXPECT_EQ(state->height, kAreaHeight);
  // The 8 x 6 picture fills the 64 x 48 area.
  EXPECT_TRUE(colour_near(pixel_at(0, 0), kGreen, 0));
  EXPECT_TRUE(colour_near(pixel_at(kAreaWidth - 1, kAreaHeight - 1), kGreen, 0));
}

TEST_F(PictureSequence, StatusLineNamesTheOpenStreams) {
  log_recorder log(AV_LOG_INFO);
  push_picture(small_picture(), 0.0, video_serial());
  refresh_with_next_picture_due();
  EXPECT_NE(log.text().find(" M-V:"), std::string::npos) << log.text();
  EXPECT_NE(log.text().find("fd=   0 aq=    0KB vq=    0KB sq=    0B f=0/0   \r"),
            std::string::npos)
      << log.text();
}

}  // namespace
}  // namespace presenter_test
