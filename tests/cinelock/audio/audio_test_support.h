// Shared pieces of the audio output tests: a scripted audio device behind
// the opener seam, a capture of FFmpeg's log at every level, and a player
// whose sample ring the tests fill with frames they build.
#ifndef FOLIO_TESTS_CINELOCK_AUDIO_TEST_SUPPORT_H
#define FOLIO_TESTS_CINELOCK_AUDIO_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/audio_output.h"

namespace cinelock_test {

// What one call of the opener asked for.
struct OpenRequest {
  int channels = 0;
  int freq = 0;
  int samples = 0;
  SDL_AudioFormat format = 0;
  Uint8 silence = 0xff;
  SDL_AudioCallback callback = nullptr;
  void *userdata = nullptr;
};

// Installs itself as the device opener while it lives. The device grants a
// request when accepts() says so, with what was asked unless changed by
// grant(); it records every request.
class ScriptedDevice {
 public:
  static constexpr SDL_AudioDeviceID kDeviceId = 4242;

  ScriptedDevice();
  ~ScriptedDevice();
  ScriptedDevice(const ScriptedDevice &) = delete;
  ScriptedDevice &operator=(const ScriptedDevice &) = delete;

  std::function<bool(const SDL_AudioSpec &)> accepts = [](const SDL_AudioSpec &) { return true; };
  std::function<void(SDL_AudioSpec *)> grant = [](SDL_AudioSpec *) {};
  std::vector<OpenRequest> requests;
};

// Everything given to FFmpeg's logger, at any level, while it lives.
class LogRecorder {
 public:
  LogRecorder();
  ~LogRecorder();
  LogRecorder(const LogRecorder &) = delete;
  LogRecorder &operator=(const LogRecorder &) = delete;

  std::string text() const;
  bool contains(const std::string &message) const { return text().find(message) != std::string::npos; }
  // How often message was logged at exactly level.
  int count(int level, const std::string &message) const;
};

// Sets an environment variable for the life of the instance.
class ScopedEnv {
 public:
  ScopedEnv(const char *name, const char *value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv &) = delete;
  ScopedEnv &operator=(const ScopedEnv &) = delete;

 private:
  std::string name_;
  bool had_value_ = false;
  std::string old_value_;
};

struct FrameDeleter {
  void operator()(AVFrame *frame) const;
};
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;

// Interleaved 16-bit samples, channels per sample frame.
FramePtr s16_frame(int sample_rate, int channels, const std::vector<int16_t> &interleaved);
// Planar float samples: value(channel, index).
FramePtr fltp_frame(int sample_rate, int channels, int nb_samples,
                    const std::function<float(int, int)> &value);

// A player with a started audio fifo, its sample ring (capacity 9, keeping
// the last frame) and the audio and external clocks, set up for a device
// of 16-bit samples at 44.1 kHz stereo with 8192-byte buffers.
class audio_player_test : public ::testing::Test {
 protected:
  static constexpr int kDeviceRate = 44100;
  static constexpr int kDeviceChannels = 2;
  static constexpr int kDeviceBufferBytes = 8192;

  void SetUp() override;
  void TearDown() override;

  // Makes the device's format 16-bit at rate with channels, its source the
  // same (no conversion until a frame differs).
  void use_device_format(int rate, int channels);
  // Queues the frame at pts (seconds, NaN for none) with the serial given,
  // or the fifo's current serial.
  void push(FramePtr frame, double pts, int serial);
  void push(FramePtr frame, double pts) { push(std::move(frame), pts, current_serial()); }
  int current_serial() const;
  // Runs the device callback for byte_count bytes, pre-filled with a
  // pattern so that bytes it fails to write show.
  std::vector<int16_t> play(int byte_count);

  std::unique_ptr<cinelock::VideoState> is_;
};

}  // namespace cinelock_test

#endif
