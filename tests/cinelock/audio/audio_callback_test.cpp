// What the device callback writes: frames already in the device's format
// byte for byte, volume and mute, silence when paused or starved, and
// frames of an old serial skipped.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "audio_test_support.h"
#include "flush_marker.h"

namespace {

using namespace cinelock;
using namespace cinelock_test;

// Stereo sample frames 0..count-1, left = 100 * i + 1, right = -(100 * i + 2).
std::vector<int16_t> numbered_stereo(int count) {
  std::vector<int16_t> samples;
  for (int i = 0; i < count; i++) {
    samples.push_back(static_cast<int16_t>(100 * i + 1));
    samples.push_back(static_cast<int16_t>(-(100 * i + 2)));
  }
  return samples;
}

std::vector<int16_t> slice(const std::vector<int16_t> &samples, size_t from, size_t count) {
  return {samples.begin() + static_cast<std::ptrdiff_t>(from),
          samples.begin() + static_cast<std::ptrdiff_t>(from + count)};
}

bool all_zero(const std::vector<int16_t> &samples) {
  for (int16_t s : samples)
    if (s != 0) return false;
  return true;
}

using AudioCallbackCopy = audio_player_test;

TEST_F(AudioCallbackCopy, FramesInTheDeviceFormatArePlayedByteForByteAcrossCalls) {
  const std::vector<int16_t> first = numbered_stereo(100);
  const std::vector<int16_t> second = {7, -7, 8, -8, 9, -9};
  push(s16_frame(kDeviceRate, 2, first), 0.0);
  push(s16_frame(kDeviceRate, 2, second), 100.0 / kDeviceRate);

  // 60 + 43 sample frames: the second call crosses from one frame to the next.
  const std::vector<int16_t> a = play(60 * 4);
  const std::vector<int16_t> b = play(43 * 4);

  EXPECT_EQ(a, slice(first, 0, 120));
  EXPECT_EQ(slice(b, 0, 80), slice(first, 120, 80));
  EXPECT_EQ(slice(b, 80, 6), second);
  EXPECT_EQ(is_->swr_ctx, nullptr);  // nothing to convert
  EXPECT_EQ(decoded_ring_remaining(&is_->sampq), 0);
}

TEST_F(AudioCallbackCopy, AStarvedDeviceGetsSilenceInWholeSampleFrames) {
  const std::vector<int16_t> out = play(4096);

  EXPECT_TRUE(all_zero(out));
  EXPECT_EQ(is_->audio_buf, nullptr);
  // 512 bytes of silence per missing frame, of which 4096 mod 512 = 0 are left.
  EXPECT_EQ(is_->audio_buf_size, 512u);
  EXPECT_EQ(is_->audio_write_buf_size, 0);
}

TEST_F(AudioCallbackCopy, SilenceForSixChannelsIsRoundedDownToWholeSampleFrames) {
  use_device_format(48000, 6);  // 12 bytes a sample frame
  play(12);
  EXPECT_EQ(is_->audio_buf_size, 504u);
  EXPECT_EQ(is_->audio_write_buf_size, 492);
}

using AudioCallbackVolume = audio_player_test;

TEST_F(AudioCallbackVolume, HalfVolumeHalvesEverySample) {
  const std::vector<int16_t> loud = {1000, -1000, 32767, -32768, 3, -3, 20000, 12345};
  push(s16_frame(kDeviceRate, 2, loud), 0.0);
  is_->audio_volume = SDL_MIX_MAXVOLUME / 2;

  const std::vector<int16_t> out = play(static_cast<int>(loud.size() * 2));

  for (size_t i = 0; i < loud.size(); i++) EXPECT_NEAR(out[i], loud[i] / 2, 1) << i;
}

TEST_F(AudioCallbackVolume, ZeroVolumeIsSilent) {
  push(s16_frame(kDeviceRate, 2, numbered_stereo(64)), 0.0);
  is_->audio_volume = 0;
  EXPECT_TRUE(all_zero(play(256)));
}

TEST_F(AudioCallbackVolume, MuteIsSilentButTheAudioStillPlaysOn) {
  const std::vector<int16_t> samples = numbered_stereo(64);
  push(s16_frame(kDeviceRate, 2, samples), 0.0);

  is_->muted = 1;
  const std::vector<int16_t> muted = play(32 * 4);
  is_->muted = 0;
  const std::vector<int16_t> after = play(32 * 4);

  EXPECT_TRUE(all_zero(muted));
  // Unmuting resumes where playing had got to, not where muting began.
  EXPECT_EQ(after, slice(samples, 64, 64));
}

using AudioCallbackPause = audio_player_test;

TEST_F(AudioCallbackPause, PausedPlaysSilenceAndLeavesTheFramesQueued) {
  const std::vector<int16_t> samples = numbered_stereo(32);
  push(s16_frame(kDeviceRate, 2, samples), 0.0);
  is_->paused = 1;

  EXPECT_TRUE(all_zero(play(1024)));
  EXPECT_EQ(decoded_ring_remaining(&is_->sampq), 1);

  is_->paused = 0;
  EXPECT_EQ(play(32 * 4), samples);
}

using AudioCallbackSerials = audio_player_test;

TEST_F(AudioCallbackSerials, FramesQueuedBeforeAFlushAreSkipped) {
  const int old_serial = current_serial();
  // A seek queues the flush marker: the fifo moves to the next serial.
  ASSERT_EQ(packet_fifo_put(&is_->audioq, flush_marker()), 0);
  ASSERT_EQ(current_serial(), old_serial + 1);

  push(s16_frame(kDeviceRate, 2, {111, 111, 222, 222}), 5.0, old_serial);
  push(s16_frame(kDeviceRate, 2, {333, 333, 444, 444}), 6.0, old_serial);
  const std::vector<int16_t> fresh = {1, -1, 2, -2};
  push(s16_frame(kDeviceRate, 2, fresh), 0.5);

  EXPECT_EQ(play(8), fresh);
  EXPECT_EQ(is_->audio_clock_serial, current_serial());
  EXPECT_DOUBLE_EQ(is_->audio_clock, 0.5 + 2.0 / kDeviceRate);
}

TEST_F(AudioCallbackSerials, OnlyStaleFramesGiveSilence) {
  const int old_serial = current_serial();
  ASSERT_EQ(packet_fifo_put(&is_->audioq, flush_marker()), 0);
  push(s16_frame(kDeviceRate, 2, {111, 111, 222, 222}), 5.0, old_serial);

  EXPECT_TRUE(all_zero(play(8)));
  EXPECT_EQ(decoded_ring_remaining(&is_->sampq), 0);
}

}  // namespace
