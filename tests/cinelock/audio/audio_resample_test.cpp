// Frames in another format, rate or layout than the device's come out as
// 16-bit samples at the device's rate: checked against the signal put in
// (its frequency, amplitude and channel placement), not against the
// resampler's own output.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "audio_test_support.h"

extern "C" {
#include <libavutil/log.h>
}

namespace {

using namespace cinelock;
using namespace cinelock_test;

constexpr double kPi = 3.14159265358979323846;

// Appends the player's current buffer (after a fetch) to out.
void append_buffer(const VideoState &is, int bytes, std::vector<int16_t> *out) {
  const size_t old_size = out->size();
  out->resize(old_size + static_cast<size_t>(bytes) / 2);
  std::memcpy(out->data() + old_size, is.audio_buf, static_cast<size_t>(bytes));
}

// The mean period, in samples, between rising zero crossings of one channel
// of interleaved stereo, each crossing placed by linear interpolation.
double mean_period(const std::vector<int16_t> &stereo, int channel, size_t from, size_t to) {
  double first = -1, last = -1;
  int crossings = 0;
  for (size_t i = from + 1; i < to; i++) {
    const double before = stereo[2 * (i - 1) + channel];
    const double now = stereo[2 * i + channel];
    if (before < 0 && now >= 0) {
      const double at = static_cast<double>(i - 1) + (-before) / (now - before);
      if (first < 0) first = at;
      last = at;
      crossings++;
    }
  }
  return crossings > 1 ? (last - first) / (crossings - 1) : 0.0;
}

using AudioResampling = audio_player_test;

TEST_F(AudioResampling, FloatPlanar48kSineBecomesSixteenBitAtTheDeviceRate) {
  constexpr int kFrames = 8;
  constexpr int kFrameSamples = 1024;
  constexpr double kToneHz = 1000.0;
  constexpr double kAmplitude = 0.5;
  for (int f = 0; f < kFrames; f++) {
    push(fltp_frame(48000, 2, kFrameSamples,
                    [f](int channel, int i) {
                      const double t = static_cast<double>(f * kFrameSamples + i) / 48000.0;
                      const double s = kAmplitude * std::sin(2 * kPi * kToneHz * t);
                      return static_cast<float>(channel == 0 ? s : -s);
                    }),
         static_cast<double>(f * kFrameSamples) / 48000.0);
  }

  std::vector<int16_t> out;
  for (int f = 0; f < kFrames; f++) {
    const int bytes = audio_fetch_frame(is_.get());
    ASSERT_GE(bytes, 0) << f;
    ASSERT_EQ(bytes % 4, 0);
    append_buffer(*is_, bytes, &out);
  }

  ASSERT_NE(is_->swr_ctx, nullptr);
  EXPECT_EQ(is_->audio_src.fmt, AV_SAMPLE_FMT_FLTP);
  EXPECT_EQ(is_->audio_src.freq, 48000);

  // 8192 input samples at 48 kHz are 7526.4 at 44.1 kHz, less what the
  // resampler's filter still holds back.
  const size_t frames_out = out.size() / 2;
  EXPECT_LE(frames_out, 7527u);
  EXPECT_GE(frames_out, 7526u - 64u);

  // Past the filter's start-up: a 1 kHz tone at 44.1 kHz repeats every 44.1
  // samples (44.1 kHz unconverted would give 48 samples).
  const size_t from = 200, to = frames_out - 10;
  EXPECT_NEAR(mean_period(out, 0, from, to), 44100.0 / kToneHz, 0.05);
  int16_t peak = 0;
  for (size_t i = from; i < to; i++) {
    peak = std::max<int16_t>(peak, static_cast<int16_t>(std::abs(out[2 * i])));
    // Right is the left channel negated, sample for sample.
    EXPECT_NEAR(out[2 * i + 1], -out[2 * i], 1) << i;
  }
  EXPECT_NEAR(peak, kAmplitude * 32768, 0.02 * kAmplitude * 32768);
}

TEST_F(AudioResampling, TheAudioClockCountsTheFramesSamplesAtTheFramesRate) {
  push(fltp_frame(48000, 2, 1200, [](int, int) { return 0.0f; }), 3.0);
  ASSERT_GE(audio_fetch_frame(is_.get()), 0);
  EXPECT_DOUBLE_EQ(is_->audio_clock, 3.0 + 1200.0 / 48000.0);
}

TEST_F(AudioResampling, AFormatChangeMidStreamRebuildsTheConverter) {
  push(fltp_frame(48000, 2, 960, [](int, int) { return 0.25f; }), 0.0);
  ASSERT_GE(audio_fetch_frame(is_.get()), 0);

  // 16-bit at half the device rate: every sample frame becomes two.
  std::vector<int16_t> steady;
  for (int i = 0; i < 2205; i++) {
    steady.push_back(1000);
    steady.push_back(-2000);
  }
  push(s16_frame(22050, 2, steady), 0.02);
  std::vector<int16_t> out;
  const int bytes = audio_fetch_frame(is_.get());
  ASSERT_GT(bytes, 0);
  append_buffer(*is_, bytes, &out);

  EXPECT_EQ(is_->audio_src.fmt, AV_SAMPLE_FMT_S16);
  EXPECT_EQ(is_->audio_src.freq, 22050);
  const size_t frames_out = out.size() / 2;
  EXPECT_LE(frames_out, 4410u);
  EXPECT_GE(frames_out, 4410u - 64u);
  for (size_t i = 200; i < frames_out - 10; i++) {
    EXPECT_NEAR(out[2 * i], 1000, 20) << i;
    EXPECT_NEAR(out[2 * i + 1], -2000, 40) << i;
  }
}

TEST_F(AudioResampling, AMonoFrameWithoutNamedChannelsIsPlayedOnBothSides) {
  FramePtr frame = fltp_frame(44100, 1, 2048, [](int, int) { return 0.5f; });
  ASSERT_TRUE(frame);
  // Decoders may give only a count: the default layout for it is assumed.
  av_channel_layout_uninit(&frame->ch_layout);
  frame->ch_layout.order = AV_CHANNEL_ORDER_UNSPEC;
  frame->ch_layout.nb_channels = 1;
  push(std::move(frame), 0.0);

  std::vector<int16_t> out;
  const int bytes = audio_fetch_frame(is_.get());
  ASSERT_GT(bytes, 0);
  append_buffer(*is_, bytes, &out);

  AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
  EXPECT_EQ(av_channel_layout_compare(&is_->audio_src.ch_layout, &mono), 0);
  ASSERT_GT(out.size(), 2u * 1000u);
  for (size_t i = 100; i < 1000; i++) {
    EXPECT_EQ(out[2 * i], out[2 * i + 1]) << i;
    EXPECT_GT(out[2 * i], 8000) << i;  // audible, not dropped
  }
}

TEST_F(AudioResampling, AFrameThatCannotBeConvertedIsLoggedAndPlaysSilence) {
  LogRecorder log;
  push(fltp_frame(48000, 2, 256, [](int, int) { return 0.5f; }), 0.0);
  FramePtr broken = fltp_frame(48000, 2, 256, [](int, int) { return 0.5f; });
  ASSERT_TRUE(broken);
  broken->sample_rate = 0;
  push(std::move(broken), 1.0);

  ASSERT_GE(audio_fetch_frame(is_.get()), 0);
  EXPECT_LT(audio_fetch_frame(is_.get()), 0);
  EXPECT_EQ(log.count(AV_LOG_ERROR,
                      "Cannot create sample rate converter for conversion of 0 Hz fltp 2 channels to 44100 Hz "
                      "s16 2 channels!\n"),
            1);
  EXPECT_EQ(is_->swr_ctx, nullptr);

  // The callback carries on with silence.
  const std::vector<int16_t> out = play(64);
  for (int16_t s : out) EXPECT_EQ(s, 0);
}

}  // namespace
