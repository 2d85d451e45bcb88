// Playing clear and protected files headless: every picture shown in
// order, the right pictures with the key, the player's life cycle.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <thread>

#include <SDL.h>

#include "cinelock.h"
#include "headless_player.h"
#include "log_capture.h"
#include "protected_clips.h"

namespace folio_test {
namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

media::ClipOptions clip_of(double seconds) {
  media::ClipOptions options;
  options.seconds = seconds;
  options.b_frames = 2;
  return options;
}

class Playback : public HeadlessPlayer {
 protected:
  // Plays path to its end; the seconds it took.
  double play(const std::string &path, const unsigned char *key, int keybits) {
    video_player *player = video_crypt_player_create(path.c_str(), key, keybits, test_nonce().data());
    EXPECT_NE(player, nullptr);
    if (!player) return 0;
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(video_crypt_player_play(player), 0);
    return seconds_since(start);
  }
  ScratchDir dir_;
};

TEST_F(Playback, ClearFilePlaysEveryPictureToItsEnd) {
  ASSERT_TRUE(make_clip_in(dir_, "clear.mp4", clip_of(2.0)));
  ShownPictures shown;
  const double took = play(dir_.path("clear.mp4"), nullptr, 0);
  // Sound is played at its own pace, so the file takes its duration.
  EXPECT_GT(took, 1.5);
  EXPECT_EQ(shown.digests(), media::decoded_frame_digests(dir_.path("clear.mp4")));
  const std::vector<double> times = shown.times();
  for (std::size_t i = 1; i < times.size(); ++i) EXPECT_GT(times[i], times[i - 1]) << i;
}

TEST_F(Playback, ProtectedFileWithItsKeyShowsTheClearPictures) {
  ASSERT_TRUE(make_clip_in(dir_, "clear.mp4", clip_of(2.5)));
  ASSERT_EQ(protect(dir_.path("clear.mp4"), dir_.path("sealed.mp4")), 0);
  ShownPictures shown;
  play(dir_.path("sealed.mp4"), test_key().data(), 256);
  EXPECT_EQ(shown.digests(), media::decoded_frame_digests(dir_.path("clear.mp4")));
}

TEST_F(Playback, ProtectedFileWithoutKeyShowsOnlyTheLeadInRight) {
  ASSERT_TRUE(make_clip_in(dir_, "clear.mp4", clip_of(2.5)));
  ASSERT_EQ(protect(dir_.path("clear.mp4"), dir_.path("sealed.mp4")), 0);
  const std::vector<std::string> clear = media::decoded_frame_digests(dir_.path("clear.mp4"));
  ShownPictures shown;
  LogCapture quiet;
  play(dir_.path("sealed.mp4"), nullptr, 0);
  const std::vector<std::string> digests = shown.digests();
  ASSERT_GE(digests.size(), 30u);
  EXPECT_EQ(std::vector<std::string>(digests.begin(), digests.begin() + 30),
            std::vector<std::string>(clear.begin(), clear.begin() + 30));
  EXPECT_NE(digests, clear);
}

TEST_F(Playback, PicturesFollowTheAudioClock) {
  ASSERT_TRUE(make_clip_in(dir_, "clear.mp4", clip_of(3.0)));
  ShownPictures shown;
  play(dir_.path("clear.mp4"), nullptr, 0);
  const std::vector<double> times = shown.times();
  const std::vector<double> clocks = shown.master_clocks();
  ASSERT_EQ(times.size(), 75u);
  // A picture is never shown before the sound has reached its time. A busy
  // machine can make some late (the player catching up after a stall), but
  // most are shown on time.
  constexpr double kTolerance = 0.04 + 0.02;
  std::vector<double> lateness;
  for (std::size_t i = 0; i < times.size(); ++i) {
    if (std::isnan(clocks[i])) continue;  // before the first sound reached the device
    EXPECT_GT(clocks[i] - times[i], -kTolerance) << "picture " << i << " shown early";
    lateness.push_back(std::fabs(clocks[i] - times[i]));
  }
  ASSERT_GE(lateness.size(), times.size() / 2);
  std::nth_element(lateness.begin(), lateness.begin() + lateness.size() / 2, lateness.end());
  EXPECT_LT(lateness[lateness.size() / 2], kTolerance) << "the median picture is off the sound";
}

TEST_F(Playback, CloseFromAnotherThreadEndsPlayback) {
  ASSERT_TRUE(make_clip_in(dir_, "long.mp4", clip_of(20.0)));
  video_player *player = video_crypt_player_create(dir_.path("long.mp4").c_str(), nullptr, 0, nullptr);
  ASSERT_NE(player, nullptr);
  EXPECT_EQ(video_crypt_player_getpos(player), INT_MIN) << "nothing shown yet";
  ShownPictures shown;
  std::thread closer([player] {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(video_crypt_player_close(player), 0);
  });
  EXPECT_EQ(video_crypt_player_play(player), 0);
  closer.join();
  // Ended by the request, not by playing the 20 s clip out.
  for (const double time : shown.times()) EXPECT_LT(time, 10.0);
}

TEST_F(Playback, AudioOnlyFilePlaysWithoutPictures) {
  media::ClipOptions options = clip_of(1.0);
  options.video = media::VideoCodec::none;
  ASSERT_TRUE(make_clip_in(dir_, "sound.mp4", options));
  ShownPictures shown;
  const double took = play(dir_.path("sound.mp4"), nullptr, 0);
  EXPECT_GT(took, 0.7);
  EXPECT_TRUE(shown.digests().empty());
}

TEST_F(Playback, FileWithNeitherSoundNorPicturesEndsAtOnce) {
  media::ClipOptions options;
  options.data_stream_only = true;
  ASSERT_TRUE(make_clip_in(dir_, "data.ts", options));
  LogCapture log;
  play(dir_.path("data.ts"), nullptr, 0);
  EXPECT_TRUE(log.contains("Failed to open file '" + dir_.path("data.ts") + "' or configure filtergraph"))
      << log.text();
}

TEST_F(Playback, RefusedKeySizesCreateNothing) {
  ASSERT_TRUE(make_clip_in(dir_, "clear.mp4", clip_of(1.0)));
  for (const int keybits : {64, 320, 0}) {
    EXPECT_EQ(video_crypt_player_create(dir_.path("clear.mp4").c_str(), test_key().data(), keybits,
                                        test_nonce().data()),
              nullptr)
        << keybits;
  }
}

// The windows SDL knows of in this process (window ids are never reused
// while SDL runs).
int live_windows() {
  int count = 0;
  for (Uint32 id = 1; id < 1000; ++id) count += SDL_GetWindowFromID(id) != nullptr;
  return count;
}

// Called again, the window set-up replaces the process's window rather
// than leaving the first one behind.
TEST_F(Playback, SecondWindowSetUpReplacesTheFirst) {
  const int before = live_windows();
  ASSERT_GE(before, 1);
  ASSERT_EQ(video_create_window(320, 240, 1.0, nullptr), 0);
  EXPECT_EQ(live_windows(), before);
  // and the player shows its pictures in the new one.
  ASSERT_TRUE(make_clip_in(dir_, "clip.mp4", clip_of(0.5)));
  ShownPictures shown;
  play(dir_.path("clip.mp4"), nullptr, 0);
  EXPECT_EQ(shown.digests(), media::decoded_frame_digests(dir_.path("clip.mp4")));
}

TEST(PlayerControl, NullHandlesAreRefused) {
  EXPECT_EQ(video_crypt_player_play(nullptr), -1);
  EXPECT_EQ(video_crypt_player_pause(nullptr), -1);
  EXPECT_EQ(video_crypt_player_resume(nullptr), -1);
  EXPECT_EQ(video_crypt_player_seek(nullptr, 5), -1);
  EXPECT_EQ(video_crypt_player_seekto(nullptr, 5), -1);
  EXPECT_EQ(video_crypt_player_getpos(nullptr), INT_MIN);
  EXPECT_EQ(video_crypt_player_close(nullptr), -1);
}

TEST(PlayerControl, CreateBeforeTheWindowFailsCleanly) {
  LogCapture log;
  EXPECT_EQ(video_crypt_player_create("/nonexistent.mp4", nullptr, 0, nullptr), nullptr);
  EXPECT_TRUE(log.contains("video_create_window")) << log.text();
}

}  // namespace
}  // namespace folio_test
