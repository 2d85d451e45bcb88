#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "support/media/media_fixtures.h"
#include "support/media/media_probe.h"
#include "support/scratch_dir.h"

extern "C" {
#include <libavcodec/codec_id.h>
}

namespace {

using folio_test::ScratchDir;
using namespace folio_test::media;

ClipOptions one_second_of_sound(AudioCodec codec, int channels) {
  ClipOptions options;
  options.seconds = 1.0;
  options.video = VideoCodec::none;
  options.audio = codec;
  options.sample_rate = 44100;
  options.channels = channels;
  return options;
}

// FFmpeg's AAC decoder gives 32-bit float samples; one channel means the
// bytes are the samples in order.
std::vector<float> mono_float_samples(const std::vector<std::uint8_t> &bytes) {
  std::vector<float> samples(bytes.size() / sizeof(float));
  std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
  return samples;
}

TEST(ClipAudioTone, AacToneHasThePitchOfA440) {
  ScratchDir dir;
  make_clip(dir.path("tone.mp4"), one_second_of_sound(AudioCodec::aac, 1));
  const MediaFile file = read_media(dir.path("tone.mp4"));
  ASSERT_EQ(file.streams.size(), 1u);
  EXPECT_EQ(file.streams[0].codec_id, AV_CODEC_ID_AAC);

  const std::vector<float> samples = mono_float_samples(decoded_audio(dir.path("tone.mp4")));
  ASSERT_GE(samples.size(), 44100u);
  // Away from the encoder's start-up and end, a 440 Hz sine crosses zero
  // 880 times a second.
  const std::size_t from = 44100 / 5;
  const std::size_t to = 44100 * 4 / 5;
  int crossings = 0;
  double energy = 0;
  for (std::size_t i = from + 1; i < to; ++i) {
    if ((samples[i - 1] < 0) != (samples[i] < 0)) ++crossings;
    energy += static_cast<double>(samples[i]) * samples[i];
  }
  EXPECT_NEAR(crossings, 880 * 0.6, 880 * 0.6 * 0.02);
  // Amplitude a quarter of full scale: mean square 0.25^2 / 2.
  EXPECT_NEAR(energy / static_cast<double>(to - from - 1), 0.03125, 0.005);
}

TEST(ClipAudioTone, SecondChannelDoublesTheDecodedSamples) {
  ScratchDir dir;
  make_clip(dir.path("mono.mkv"), one_second_of_sound(AudioCodec::aac, 1));
  make_clip(dir.path("stereo.mkv"), one_second_of_sound(AudioCodec::aac, 2));
  const std::size_t mono = decoded_audio(dir.path("mono.mkv")).size();

  ASSERT_GT(mono, 0u);
  EXPECT_EQ(decoded_audio(dir.path("stereo.mkv")).size(), 2 * mono);
}

TEST(ClipAudioTone, Mp2IsAvailableToo) {
  ScratchDir dir;
  ClipOptions options = one_second_of_sound(AudioCodec::mp2, 2);
  options.sample_rate = 48000;
  make_clip(dir.path("tone.mkv"), options);
  const MediaFile file = read_media(dir.path("tone.mkv"));

  ASSERT_EQ(file.streams.size(), 1u);
  EXPECT_EQ(file.streams[0].codec_id, AV_CODEC_ID_MP2);
  // MP2 frames hold 1152 samples and the last is padded to a whole frame.
  EXPECT_EQ(file.packets.size(), (48000 + 1151) / 1152);
}

TEST(ClipAudioRefusals, RateTheEncoderCannotTakeThrows) {
  ScratchDir dir;
  ClipOptions options = one_second_of_sound(AudioCodec::mp2, 2);
  options.sample_rate = 44101;
  EXPECT_THROW(make_clip(dir.path("odd.mkv"), options), std::runtime_error);
}

}  // namespace
