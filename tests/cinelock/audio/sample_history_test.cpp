// The sample history the visualisation draws from: what the device is
// given is appended while a visualisation is shown, wrapping at the end of
// the history, and left alone while video is shown.
#include <gtest/gtest.h>

#include <vector>

#include "audio_test_support.h"

namespace {

using namespace cinelock;
using namespace cinelock_test;

using AudioSampleHistory = audio_player_test;

TEST_F(AudioSampleHistory, WaveDisplayAppendsThePlayedSamples) {
  is_->show_mode = DisplayMode::waves;
  const std::vector<int16_t> samples = {10, -10, 20, -20, 30, -30};
  push(s16_frame(kDeviceRate, 2, samples), 0.0);
  is_->sample_array_index = 100;

  play(12);

  EXPECT_EQ(is_->sample_array_index, 106);
  EXPECT_EQ(std::vector<int16_t>(is_->sample_array + 100, is_->sample_array + 106), samples);
}

TEST_F(AudioSampleHistory, SpectrumDisplayAppendsTheResampledSamples) {
  is_->show_mode = DisplayMode::spectrum;
  push(fltp_frame(48000, 2, 480, [](int channel, int) { return channel == 0 ? 0.5f : -0.5f; }), 0.0);

  const std::vector<int16_t> played = play(400);

  // The history holds 16-bit device samples, not the frame's floats.
  const int appended = is_->sample_array_index;
  EXPECT_GT(appended, 200);
  EXPECT_EQ(appended % 2, 0);
  EXPECT_EQ(std::vector<int16_t>(is_->sample_array, is_->sample_array + 200), played);
}

TEST_F(AudioSampleHistory, AppendingWrapsAtTheEndOfTheHistory) {
  is_->show_mode = DisplayMode::waves;
  const std::vector<int16_t> samples = {1, 2, 3, 4, 5, 6, 7, 8};
  push(s16_frame(kDeviceRate, 2, samples), 0.0);
  is_->sample_array_index = kSampleHistory - 3;

  play(16);

  EXPECT_EQ(is_->sample_array[kSampleHistory - 3], 1);
  EXPECT_EQ(is_->sample_array[kSampleHistory - 1], 3);
  EXPECT_EQ(std::vector<int16_t>(is_->sample_array, is_->sample_array + 5),
            (std::vector<int16_t>{4, 5, 6, 7, 8}));
  EXPECT_EQ(is_->sample_array_index, 5);
}

TEST_F(AudioSampleHistory, VideoDisplayLeavesTheHistoryAlone) {
  is_->show_mode = DisplayMode::video;
  push(s16_frame(kDeviceRate, 2, {9, 9, 9, 9}), 0.0);
  is_->sample_array_index = 7;

  play(8);

  EXPECT_EQ(is_->sample_array_index, 7);
  EXPECT_EQ(is_->sample_array[7], 0);
}

TEST_F(AudioSampleHistory, SilenceForAMissingFrameIsNotRecorded) {
  is_->show_mode = DisplayMode::waves;
  is_->sample_array_index = 40;
  play(64);
  EXPECT_EQ(is_->sample_array_index, 40);
}

}  // namespace
