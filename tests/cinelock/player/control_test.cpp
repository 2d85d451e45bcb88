// Control requests from another thread while the player plays: seeks,
// pause and resume, and the position they show.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <climits>
#include <cstdint>
#include <thread>
#include <utility>

#include "cinelock.h"
#include "headless_player.h"
#include "protected_clips.h"
#include "support/wait.h"

namespace folio_test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Polls the position until it reaches seconds (false after a generous
// deadline).
bool wait_for_position(video_player *player, int seconds) {
  return wait_until(
      [&] {
        const int position = video_crypt_player_getpos(player);
        return position != INT_MIN && position >= seconds;
      },
      kGenerousDeadline, 10ms);
}

// The index of the first picture older than the one before it (a seek
// back), or the number of pictures when there is none.
std::size_t first_jump_back(const std::vector<double> &times) {
  std::size_t jump = 1;
  while (jump < times.size() && times[jump] > times[jump - 1]) ++jump;
  return std::min(jump, times.size());
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
  play_with([&shown](video_player *player) {
    if (wait_for_position(player, 3)) {
      EXPECT_EQ(video_crypt_player_seek(player, -10), 0);
      // A few pictures after the seek, to see that they go forward again.
      EXPECT_TRUE(wait_until([&] {
        const std::vector<double> times = shown.times();
        return times.size() - first_jump_back(times) >= 5;
      })) << "no pictures after the seek";
    } else {
      ADD_FAILURE() << "playback never reached 3 s";
    }
    video_crypt_player_close(player);
  });
  const std::vector<double> times = shown.times();
  const std::size_t jump = first_jump_back(times);
  ASSERT_LT(jump, times.size()) << "no picture after the seek";
  EXPECT_GE(times[jump - 1], 2.9);
  EXPECT_LT(times[jump], 0.1) << "the first picture after the seek";
  for (std::size_t i = jump + 1; i < times.size(); ++i) EXPECT_GT(times[i], times[i - 1]) << i;
}

TEST_F(Control, SeekBeyondTheEndEndsThePlayer) {
  ShownPictures shown;
  play_with([](video_player *player) {
    ASSERT_TRUE(wait_for_position(player, 1));  // else the clip plays out, and the check fails
    EXPECT_EQ(video_crypt_player_seekto(player, 3600), 0);
  });
  // The player ended by itself (nobody closed it) without playing the
  // rest of the 8 s clip.
  const std::vector<double> times = shown.times();
  ASSERT_FALSE(times.empty());
  for (const double time : times) EXPECT_LT(time, 4.0);
}

TEST_F(Control, PausingTwiceThenResumingOnceResumes) {
  ShownPictures shown;
  int paused_at = 0;
  int after_pause = 0;
  std::size_t pictures_paused = 0;
  std::size_t pictures_after_pause = 0;
  play_with([&](video_player *player) {
    if (!wait_for_position(player, 1)) {
      ADD_FAILURE() << "playback never reached 1 s";
      video_crypt_player_close(player);
      return;
    }
    EXPECT_EQ(video_crypt_player_pause(player), 0);
    EXPECT_EQ(video_crypt_player_pause(player), 0);
    // Taken once no picture has come for a while (25 come a second).
    std::size_t before = SIZE_MAX;
    EXPECT_TRUE(wait_until(
        [&] {
          const std::size_t now = shown.times().size();
          return std::exchange(before, now) == now;
        },
        kGenerousDeadline, 300ms))
        << "pictures kept coming";
    paused_at = video_crypt_player_getpos(player);
    pictures_paused = shown.times().size();
    std::this_thread::sleep_for(1500ms);
    after_pause = video_crypt_player_getpos(player);
    pictures_after_pause = shown.times().size();
    EXPECT_EQ(video_crypt_player_resume(player), 0);
    EXPECT_TRUE(wait_for_position(player, after_pause + 1)) << "playback goes on after one resume";
    video_crypt_player_close(player);
  });
  EXPECT_EQ(after_pause, paused_at) << "the position stands still while paused";
  EXPECT_EQ(pictures_after_pause, pictures_paused) << "pictures came while paused";
}

}  // namespace
}  // namespace folio_test
