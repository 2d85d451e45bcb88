#include <cstdlib>

#include "audio/audio_output.h"
#include "output/process_output.h"

extern "C" {
#include <libavutil/common.h>
#include <libavutil/log.h>
#include <libavutil/samplefmt.h>
}

namespace cinelock {

namespace {

// What to ask for after a refusal of n channels (index min(7, n)); 0 means
// the channel counts are used up at this rate.
constexpr int kNextChannelCount[] = {0, 0, 1, 6, 2, 6, 4, 6};
// Rates to fall back to, lowest first; 0 ends the search.
constexpr int kFallbackRates[] = {0, 44100, 48000, 96000, 192000};
constexpr int kMinBufferSamples = 512;
// The largest power of two SDL's 16-bit sample count holds.
constexpr int kMaxBufferSamples = 32768;
// Aim for about 30 device callbacks a second.
constexpr int kCallbacksPerSecond = 30;

SDL_AudioDeviceID open_default_device(const SDL_AudioSpec *desired, SDL_AudioSpec *obtained) {
  return SDL_OpenAudioDevice(nullptr, 0, desired, obtained,
                             SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
}

AudioDeviceOpener device_opener = open_default_device;

// SDL mixes native layouts only; anything else is replaced by the default
// layout for the channel count.
void use_default_layout(AVChannelLayout *layout, int channels) {
  av_channel_layout_uninit(layout);
  av_channel_layout_default(layout, channels);
}

int buffer_samples_for(int sample_rate) {
  const int samples = 2 << av_log2(static_cast<unsigned>(sample_rate / kCallbacksPerSecond));
  return FFMIN(kMaxBufferSamples, FFMAX(kMinBufferSamples, samples));
}

// Asks for wanted, walking the channel and rate fall-backs on refusal. The
// device, or 0 when every combination was refused; *wanted is what was last
// asked for.
SDL_AudioDeviceID open_with_fallbacks(SDL_AudioSpec *wanted, SDL_AudioSpec *obtained) {
  const int wanted_channels = wanted->channels;
  int next_rate = FF_ARRAY_ELEMS(kFallbackRates) - 1;
  while (next_rate > 0 && kFallbackRates[next_rate] >= wanted->freq) next_rate--;

  SDL_AudioDeviceID device;
  while (!(device = device_opener(wanted, obtained))) {
    av_log(nullptr, AV_LOG_WARNING, "SDL_OpenAudio (%d channels, %d Hz): %s\n", wanted->channels,
           wanted->freq, SDL_GetError());
    wanted->channels = static_cast<Uint8>(kNextChannelCount[FFMIN(7, static_cast<int>(wanted->channels))]);
    if (!wanted->channels) {
      wanted->freq = kFallbackRates[next_rate];
      if (next_rate > 0) next_rate--;
      wanted->channels = static_cast<Uint8>(wanted_channels);
      if (!wanted->freq) {
        av_log(nullptr, AV_LOG_ERROR, "No more combinations to try, audio open failed\n");
        return 0;
      }
    }
  }
  return device;
}

}  // namespace

void set_audio_device_opener(AudioDeviceOpener opener) {
  device_opener = opener ? opener : open_default_device;
}

int audio_open(VideoState *is, const AVChannelLayout *wanted_layout, int wanted_sample_rate,
               audio_format_desc *target) {
  AVChannelLayout layout{};
  if (av_channel_layout_copy(&layout, wanted_layout) < 0) return AVERROR(ENOMEM);
  int channels = layout.nb_channels;

  if (const char *forced = SDL_getenv("SDL_AUDIO_CHANNELS")) {
    channels = std::atoi(forced);
    use_default_layout(&layout, channels);
  }
  if (layout.order != AV_CHANNEL_ORDER_NATIVE) use_default_layout(&layout, channels);
  channels = layout.nb_channels;

  // SDL counts channels in a byte.
  if (wanted_sample_rate <= 0 || channels <= 0 || channels > 255) {
    av_log(nullptr, AV_LOG_ERROR, "Invalid sample rate or channel count!\n");
    av_channel_layout_uninit(&layout);
    return -1;
  }

  SDL_AudioSpec wanted{};
  wanted.channels = static_cast<Uint8>(channels);
  wanted.freq = wanted_sample_rate;
  wanted.format = AUDIO_S16SYS;
  wanted.silence = 0;
  wanted.samples = static_cast<Uint16>(buffer_samples_for(wanted_sample_rate));
  wanted.callback = sdl_audio_callback;
  wanted.userdata = is;

  SDL_AudioSpec granted{};
  const SDL_AudioDeviceID device = open_with_fallbacks(&wanted, &granted);
  if (!device) {
    av_channel_layout_uninit(&layout);
    return -1;
  }

  // A device granted in a form the callback cannot fill is closed again
  // rather than left open and unused.
  auto refuse = [&] {
    SDL_CloseAudioDevice(device);
    av_channel_layout_uninit(&layout);
    return -1;
  };
  if (granted.format != AUDIO_S16SYS) {
    av_log(nullptr, AV_LOG_ERROR, "SDL advised audio format %d is not supported!\n", granted.format);
    return refuse();
  }
  if (granted.channels != layout.nb_channels) use_default_layout(&layout, granted.channels);
  if (layout.order != AV_CHANNEL_ORDER_NATIVE) {
    av_log(nullptr, AV_LOG_ERROR, "SDL advised channel count %d is not supported!\n", granted.channels);
    return refuse();
  }

  const int frame_size = av_samples_get_buffer_size(nullptr, layout.nb_channels, 1, AV_SAMPLE_FMT_S16, 1);
  const int bytes_per_sec =
      av_samples_get_buffer_size(nullptr, layout.nb_channels, granted.freq, AV_SAMPLE_FMT_S16, 1);
  if (frame_size <= 0 || bytes_per_sec <= 0) {
    av_log(nullptr, AV_LOG_ERROR, "av_samples_get_buffer_size failed\n");
    return refuse();
  }

  target->fmt = AV_SAMPLE_FMT_S16;
  target->freq = granted.freq;
  av_channel_layout_uninit(&target->ch_layout);
  target->ch_layout = layout;  // native order: nothing allocated to share
  target->frame_size = frame_size;
  target->bytes_per_sec = bytes_per_sec;
  process_output().audio_dev = device;
  return static_cast<int>(granted.size);
}

void audio_close() {
  ProcessOutput &output = process_output();
  if (output.audio_dev) SDL_CloseAudioDevice(output.audio_dev);
  output.audio_dev = 0;
}

}  // namespace cinelock
