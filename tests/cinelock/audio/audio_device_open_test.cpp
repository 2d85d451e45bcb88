// Opening the audio device: what is asked for, the order of the fall-backs
// after refusals, and which granted forms are refused in turn.
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "audio_test_support.h"
#include "output/process_output.h"

extern "C" {
#include <libavutil/log.h>
}

namespace {

using namespace cinelock;
using namespace cinelock_test;

struct Combination {
  int channels;
  int freq;
  bool operator==(const Combination &other) const { return channels == other.channels && freq == other.freq; }
};

void PrintTo(const Combination &c, std::ostream *os) { *os << c.channels << "ch@" << c.freq; }

std::vector<Combination> combinations(const ScriptedDevice &device) {
  std::vector<Combination> asked;
  for (const OpenRequest &request : device.requests) asked.push_back({request.channels, request.freq});
  return asked;
}

AVChannelLayout default_layout(int channels) {
  AVChannelLayout layout{};
  av_channel_layout_default(&layout, channels);
  return layout;
}

class audio_open_test : public ::testing::Test {
 protected:
  void TearDown() override { av_channel_layout_uninit(&target_.ch_layout); }

  int open(int channels, int rate) {
    AVChannelLayout layout = default_layout(channels);
    return audio_open(is_.get(), &layout, rate, &target_);
  }

  std::unique_ptr<VideoState> is_ = std::make_unique<VideoState>();
  audio_format_desc target_;
  ScriptedDevice device_;
  LogRecorder log_;
};

using AudioOpenFallbacks = audio_open_test;

TEST_F(AudioOpenFallbacks, RefusedSixChannelsTryFourTwoOneBeforeTheNextLowerRate) {
  device_.accepts = [](const SDL_AudioSpec &) { return false; };

  EXPECT_LT(open(6, 48000), 0);

  const std::vector<Combination> expected = {{6, 48000}, {4, 48000}, {2, 48000}, {1, 48000},
                                             {6, 44100}, {4, 44100}, {2, 44100}, {1, 44100}};
  EXPECT_EQ(combinations(device_), expected);
  EXPECT_EQ(log_.count(AV_LOG_WARNING, "SDL_OpenAudio (6 channels, 48000 Hz): refused by the test\n"), 1);
  EXPECT_EQ(log_.count(AV_LOG_WARNING, "SDL_OpenAudio (1 channels, 44100 Hz): refused by the test\n"), 1);
  EXPECT_EQ(log_.count(AV_LOG_ERROR, "No more combinations to try, audio open failed\n"), 1);
  EXPECT_EQ(process_output().audio_dev, 0u);
}

TEST_F(AudioOpenFallbacks, RatesStepDownFromBelowTheWantedRateToFortyFourOne) {
  device_.accepts = [](const SDL_AudioSpec &) { return false; };

  EXPECT_LT(open(2, 192000), 0);

  const std::vector<Combination> expected = {{2, 192000}, {1, 192000}, {2, 96000}, {1, 96000},
                                             {2, 48000},  {1, 48000},  {2, 44100}, {1, 44100}};
  EXPECT_EQ(combinations(device_), expected);
}

TEST_F(AudioOpenFallbacks, AnOddRateAndThreeChannelsWalkTheirOwnTables) {
  device_.accepts = [](const SDL_AudioSpec &) { return false; };

  EXPECT_LT(open(3, 22050), 0);

  // Nothing in the rate table lies below 22050: one round of channel counts.
  const std::vector<Combination> expected = {{3, 22050}, {6, 22050}, {4, 22050}, {2, 22050}, {1, 22050}};
  EXPECT_EQ(combinations(device_), expected);
  EXPECT_TRUE(log_.contains("No more combinations to try, audio open failed\n"));
}

TEST_F(AudioOpenFallbacks, StopsAtTheFirstGrantedCombinationAndReportsIt) {
  device_.accepts = [](const SDL_AudioSpec &asked) { return asked.channels == 2 && asked.freq == 44100; };

  const int buffer_bytes = open(6, 48000);

  const std::vector<Combination> expected = {{6, 48000}, {4, 48000}, {2, 48000}, {1, 48000},
                                             {6, 44100}, {4, 44100}, {2, 44100}};
  EXPECT_EQ(combinations(device_), expected);
  // 48000 Hz asked for 2048-sample buffers; the fall-backs keep that size.
  EXPECT_EQ(buffer_bytes, 2048 * 2 * 2);
  EXPECT_EQ(target_.freq, 44100);
  EXPECT_EQ(target_.ch_layout.nb_channels, 2);
  EXPECT_EQ(process_output().audio_dev, ScriptedDevice::kDeviceId);
  EXPECT_FALSE(log_.contains("No more combinations"));
}

using AudioOpenRequest = audio_open_test;

TEST_F(AudioOpenRequest, AsksForSixteenBitSilenceZeroAndThePlayersCallback) {
  ASSERT_GT(open(2, 44100), 0);

  ASSERT_EQ(device_.requests.size(), 1u);
  const OpenRequest &request = device_.requests[0];
  EXPECT_EQ(request.format, AUDIO_S16SYS);
  EXPECT_EQ(request.silence, 0);
  EXPECT_EQ(request.callback, &sdl_audio_callback);
  EXPECT_EQ(request.userdata, is_.get());
  EXPECT_EQ(request.channels, 2);
  EXPECT_EQ(request.freq, 44100);
}

TEST_F(AudioOpenRequest, BufferIsTheSmallestPowerOfTwoAboveAThirtiethOfTheRateAtLeast512) {
  // rate / 30 -> the next power of two above it: 1470 -> 2048, 1600 -> 2048,
  // 3200 -> 4096, 6400 -> 8192, 367 -> 512, 266 -> 512, 133 -> 256 (then 512).
  const std::vector<std::pair<int, int>> rate_to_samples = {
      {44100, 2048}, {48000, 2048}, {96000, 4096}, {192000, 8192}, {11025, 512}, {8000, 512}, {4000, 512}};
  for (const auto &[rate, samples] : rate_to_samples) {
    device_.requests.clear();
    ASSERT_GT(open(2, rate), 0) << rate;
    ASSERT_EQ(device_.requests.size(), 1u);
    EXPECT_EQ(device_.requests[0].samples, samples) << rate;
  }
}

TEST_F(AudioOpenRequest, TargetIsSixteenBitAtTheGrantedRateAndChannels) {
  device_.grant = [](SDL_AudioSpec *obtained) {
    obtained->freq = 48000;
    obtained->channels = 2;
  };

  const int buffer_bytes = open(6, 44100);

  EXPECT_EQ(buffer_bytes, 2048 * 2 * 2);
  EXPECT_EQ(target_.fmt, AV_SAMPLE_FMT_S16);
  EXPECT_EQ(target_.freq, 48000);
  AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
  EXPECT_EQ(av_channel_layout_compare(&target_.ch_layout, &stereo), 0);
  EXPECT_EQ(target_.frame_size, 4);
  EXPECT_EQ(target_.bytes_per_sec, 192000);
}

TEST_F(AudioOpenRequest, SixChannelTargetGetsTheFivePointOneLayout) {
  ASSERT_GT(open(6, 48000), 0);
  char name[64];
  ASSERT_GT(av_channel_layout_describe(&target_.ch_layout, name, sizeof name), 0);
  EXPECT_STREQ(name, "5.1");
  EXPECT_EQ(target_.frame_size, 12);
  EXPECT_EQ(target_.bytes_per_sec, 576000);
}

TEST_F(AudioOpenRequest, ALayoutWithoutNamedChannelsBecomesTheDefaultForItsCount) {
  AVChannelLayout unnamed{};
  unnamed.order = AV_CHANNEL_ORDER_UNSPEC;
  unnamed.nb_channels = 2;

  ASSERT_GT(audio_open(is_.get(), &unnamed, 44100, &target_), 0);

  ASSERT_EQ(device_.requests.size(), 1u);
  EXPECT_EQ(device_.requests[0].channels, 2);
  AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
  EXPECT_EQ(av_channel_layout_compare(&target_.ch_layout, &stereo), 0);
}

TEST_F(AudioOpenRequest, SdlAudioChannelsOverridesTheWantedCount) {
  ScopedEnv forced("SDL_AUDIO_CHANNELS", "1");

  ASSERT_GT(open(6, 44100), 0);

  ASSERT_EQ(device_.requests.size(), 1u);
  EXPECT_EQ(device_.requests[0].channels, 1);
  AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
  EXPECT_EQ(av_channel_layout_compare(&target_.ch_layout, &mono), 0);
  EXPECT_EQ(target_.frame_size, 2);
}

using AudioOpenRefusals = audio_open_test;

TEST_F(AudioOpenRefusals, NoRateOrNoChannelsNeverReachTheDevice) {
  EXPECT_LT(open(2, 0), 0);
  EXPECT_LT(open(2, -44100), 0);
  AVChannelLayout empty{};
  EXPECT_LT(audio_open(is_.get(), &empty, 44100, &target_), 0);
  {
    ScopedEnv forced("SDL_AUDIO_CHANNELS", "none");
    EXPECT_LT(open(2, 44100), 0);
  }

  EXPECT_TRUE(device_.requests.empty());
  EXPECT_EQ(log_.count(AV_LOG_ERROR, "Invalid sample rate or channel count!\n"), 4);
}

TEST_F(AudioOpenRefusals, AGrantedFormatOtherThanSixteenBitFails) {
  device_.grant = [](SDL_AudioSpec *obtained) { obtained->format = AUDIO_F32SYS; };

  EXPECT_LT(open(2, 44100), 0);

  EXPECT_EQ(log_.count(AV_LOG_ERROR, "SDL advised audio format " + std::to_string(AUDIO_F32SYS) +
                                         " is not supported!\n"),
            1);
  EXPECT_EQ(process_output().audio_dev, 0u);
  EXPECT_EQ(target_.freq, 0);
}

TEST_F(AudioOpenRefusals, AGrantedChannelCountWithoutADefaultLayoutFails) {
  // FFmpeg knows no default layout for nine channels.
  AVChannelLayout nine = default_layout(9);
  ASSERT_NE(nine.order, AV_CHANNEL_ORDER_NATIVE);
  device_.grant = [](SDL_AudioSpec *obtained) { obtained->channels = 9; };

  EXPECT_LT(open(2, 44100), 0);

  EXPECT_EQ(log_.count(AV_LOG_ERROR, "SDL advised channel count 9 is not supported!\n"), 1);
  EXPECT_EQ(process_output().audio_dev, 0u);
}

TEST_F(AudioOpenRefusals, NineChannelsGrantedAsAskedStillHaveNoLayoutToConvertTo) {
  AVChannelLayout nine{};
  nine.order = AV_CHANNEL_ORDER_UNSPEC;
  nine.nb_channels = 9;

  EXPECT_LT(audio_open(is_.get(), &nine, 48000, &target_), 0);

  ASSERT_EQ(device_.requests.size(), 1u);
  EXPECT_EQ(device_.requests[0].channels, 9);
  EXPECT_EQ(log_.count(AV_LOG_ERROR, "SDL advised channel count 9 is not supported!\n"), 1);
}

// The real device through SDL's dummy driver: the default opener is
// SDL_OpenAudioDevice and closing releases the device.
TEST(AudioOpenDummyDriver, OpensAndClosesTheProcessDevice) {
  ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << SDL_GetError();
  auto is = std::make_unique<VideoState>();
  audio_format_desc target;
  AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;

  const int buffer_bytes = audio_open(is.get(), &stereo, 44100, &target);

  EXPECT_GT(buffer_bytes, 0);
  const SDL_AudioDeviceID device = process_output().audio_dev;
  EXPECT_NE(device, 0u);
  EXPECT_EQ(target.fmt, AV_SAMPLE_FMT_S16);
  EXPECT_EQ(target.bytes_per_sec, target.freq * target.frame_size);
  // Opened paused: the callback does not run until the player starts it.
  EXPECT_EQ(SDL_GetAudioDeviceStatus(device), SDL_AUDIO_PAUSED);

  audio_close();
  EXPECT_EQ(process_output().audio_dev, 0u);
  EXPECT_EQ(SDL_GetAudioDeviceStatus(device), SDL_AUDIO_STOPPED);
  av_channel_layout_uninit(&target.ch_layout);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

}  // namespace
