// The audio clock the callback sets: the end of the frame being played,
// less the audio still ahead of the listener (two device buffers and the
// unwritten rest of the frame), dated at the start of the callback; and the
// external clock following it.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "audio_test_support.h"
#include "output/process_output.h"
#include "presenter/presenter.h"

namespace {

using namespace cinelock;
using namespace cinelock_test;

std::vector<int16_t> stereo_silence(int sample_frames) { return std::vector<int16_t>(2 * sample_frames, 0); }

using AudioClockUpdate = audio_player_test;

TEST_F(AudioClockUpdate, SubtractsTwoDeviceBuffersAndTheUnwrittenBytes) {
  push(s16_frame(kDeviceRate, 2, stereo_silence(1024)), 2.0);

  play(1024);  // 256 of the frame's 1024 sample frames

  const double frame_end = 2.0 + 1024.0 / kDeviceRate;
  const int unwritten = 4096 - 1024;
  EXPECT_EQ(is_->audio_write_buf_size, unwritten);
  const double expected = frame_end - (2.0 * kDeviceBufferBytes + unwritten) / (4.0 * kDeviceRate);
  const double callback_time = static_cast<double>(process_output().audio_callback_time.load()) / 1e6;
  EXPECT_DOUBLE_EQ(is_->audclk.pts, expected);
  EXPECT_DOUBLE_EQ(is_->audclk.last_updated, callback_time);
  EXPECT_EQ(is_->audclk.serial, current_serial());
  EXPECT_NEAR(clock_get(&is_->audclk, callback_time), expected, 1e-9);
}

TEST_F(AudioClockUpdate, MovesOnAsTheFrameIsWritten) {
  push(s16_frame(kDeviceRate, 2, stereo_silence(1024)), 2.0);

  play(1024);
  const double first = is_->audclk.pts;
  play(2048);
  const double second = is_->audclk.pts;

  // 2048 more bytes written are 512 sample frames further on.
  EXPECT_NEAR(second - first, 512.0 / kDeviceRate, 1e-12);
}

TEST_F(AudioClockUpdate, TheCallbackTimeIsRecordedForEveryCall) {
  process_output().audio_callback_time = 0;
  play(64);
  const int64_t first = process_output().audio_callback_time.load();
  EXPECT_GT(first, 0);
  play(64);
  EXPECT_GE(process_output().audio_callback_time.load(), first);
}

TEST_F(AudioClockUpdate, AFrameWithoutATimeLeavesTheClockAlone) {
  push(s16_frame(kDeviceRate, 2, stereo_silence(256)), NAN);

  play(256);

  EXPECT_TRUE(std::isnan(is_->audio_clock));
  EXPECT_EQ(is_->audclk.serial, -1);
  EXPECT_TRUE(std::isnan(clock_get(&is_->audclk)));
  EXPECT_TRUE(std::isnan(clock_get(&is_->extclk)));
}

TEST_F(AudioClockUpdate, TheExternalClockTakesTheAudioClocksReading) {
  push(s16_frame(kDeviceRate, 2, stereo_silence(1024)), 7.0);

  play(1024);

  EXPECT_EQ(is_->extclk.serial, is_->audclk.serial);
  // Set a moment later to the audio clock's reading then: the same media
  // time against the system clock, give or take that moment.
  EXPECT_NEAR(is_->extclk.pts_drift, is_->audclk.pts_drift, 0.05);
}

TEST_F(AudioClockUpdate, TheExternalClockWithinTenSecondsIsLeftAlone) {
  // Already following: an external clock 5 s off the audio clock is kept.
  clock_set(&is_->extclk, 4.0, 3);
  push(s16_frame(kDeviceRate, 2, stereo_silence(1024)), 9.0);

  play(1024);

  EXPECT_EQ(is_->extclk.serial, 3);
  EXPECT_DOUBLE_EQ(is_->extclk.pts, 4.0);
}

// Paused, the device plays silence; the clock stands at its reading of
// the moment of the pause, and after the pause goes on from there.
TEST_F(AudioClockUpdate, StandsWhilePausedAndGoesOnFromThereAfter) {
  push(s16_frame(kDeviceRate, 2, stereo_silence(1024)), 3.0);
  play(2048);  // half the frame
  const double before = clock_get(&is_->audclk);
  toggle_pause(is_.get());
  const double paused_at = clock_get(&is_->audclk);
  EXPECT_NEAR(paused_at, before, 0.01) << "the reading of the moment, not of the last update";

  for (int call = 0; call < 4; ++call) play(4096);  // the frame's rest, then silence
  EXPECT_DOUBLE_EQ(clock_get(&is_->audclk), paused_at);

  toggle_pause(is_.get());
  EXPECT_NEAR(clock_get(&is_->audclk), paused_at, 0.01) << "resumed from the paused reading";
}

}  // namespace
