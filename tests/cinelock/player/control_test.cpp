// Control requests from another thread while the player plays: seeks,
// pause and resume, and the position they show.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <climits>
#include <thread>

#include "cinelock.h"
#include "headless_player.h"
#include "protected_clips.h"

namespace folio_test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Polls the position until it reaches seconds (or 10 s pass).
bool wait_for_position(video_player *player, int seconds) {
  const Clock::time_point give_up = Clock::now() + 10s;
  while (Clock::now() < give_up) {
    const int position = video_crypt_player_getpos(player);
    if (position != INT_MIN && position >= seconds) return true;
    std::this_thread::sleep_for(10ms);
  }
  return false;
}

class Control : public HeadlessPlayer {
 protected:
  void SetUp() override {
    HeadlessPlayer::SetUp();
    media::ClipOptions options;
    options.seconds = 8;
    ASSERT_TRUE(make_clip_in(dir_, "clip.mp4", options));
    ASSERT_EQ(protect(dir_.path("clip.mp4"), dir_.path("sealed.mp4")), 0);
    player_ = video_crypt_player_create(dir_.path("sealed.mp4").c_str(), test_key().data(), 256,
                                        test_nonce().data());
    ASSERT_NE(player_, nullptr);
  }
  // Plays on this thread while controller runs on another.
  void play_with(const std::function<void(video_player *)> &controller) {
    std::thread control([&] { controller(player_); });
    EXPECT_EQ(video_crypt_player_play(player_), 0);
    control.join();
  }
  ScratchDir dir_;
  video_player *player_ = nullptr;
};

TEST_F(Control, SeekBackPastTheStartLandsAtTheStartAndShowsNothingOlder) {
  ShownPictures shown;
  play_with([](video_player *player) {
    ASSERT_TRUE(wait_for_position(player, 3));
    EXPECT_EQ(video_crypt_player_seek(player, -10), 0);
    std::this_thread::sleep_for(1s);
    video_crypt_player_close(player);
  });
  const std::vector<double> times = shown.times();
  std::size_t jump = 1;
  while (jump < times.size() && times[jump] > times[jump - 1]) ++jump;
  ASSERT_LT(jump, times.size()) << "no picture after the seek";
  EXPECT_GE(times[jump - 1], 2.9);
  EXPECT_LT(times[jump], 0.1) << "the first picture after the seek";
  for (std::size_t i = jump + 1; i < times.size(); ++i) EXPECT_GT(times[i], times[i - 1]) << i;
}

TEST_F(Control, SeekBeyondTheEndEndsThePlayer) {
  ShownPictures shown;
  play_with([](video_player *player) {
    ASSERT_TRUE(wait_for_position(player, 1));
    EXPECT_EQ(video_crypt_player_seekto(player, 3600), 0);
  });
  // The player ended by itself (nobody closed it) without playing the
  // rest of the 8 s clip.
  const std::vector<double> times = shown.times();
  ASSERT_FALSE(times.empty());
  for (const double time : times) EXPECT_LT(time, 4.0);
}

TEST_F(Control, PausingTwiceThenResumingOnceResumes) {
  int paused_at = 0;
  int after_pause = 0;
  play_with([&](video_player *player) {
    ASSERT_TRUE(wait_for_position(player, 1));
    EXPECT_EQ(video_crypt_player_pause(player), 0);
    EXPECT_EQ(video_crypt_player_pause(player), 0);
    std::this_thread::sleep_for(300ms);
    paused_at = video_crypt_player_getpos(player);
    std::this_thread::sleep_for(1500ms);
    after_pause = video_crypt_player_getpos(player);
    EXPECT_EQ(video_crypt_player_resume(player), 0);
    EXPECT_TRUE(wait_for_position(player, after_pause + 1)) << "playback goes on after one resume";
    video_crypt_player_close(player);
  });
  EXPECT_EQ(after_pause, paused_at) << "the position stands still while paused";
}

}  // namespace
}  // namespace folio_test
