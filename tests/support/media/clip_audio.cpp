#include "support/media/clip_audio.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "support/media/av_error.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
}

namespace folio_test::media {

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double tone_amplitude = 0.25;
constexpr int fallback_frame_size = 1024;

// FFmpeg's own AAC and MP2 encoders; libvorbis and libopus, since FFmpeg's
// own Vorbis and Opus encoders are experimental.
const char *encoder_name(AudioCodec codec) {
  switch (codec) {
    case AudioCodec::mp2: return "mp2";
    case AudioCodec::vorbis: return "libvorbis";
    case AudioCodec::opus: return "libopus";
    case AudioCodec::aac:
    case AudioCodec::none: break;
  }
  return "aac";
}

const AVCodec *pick_audio_encoder(AudioCodec requested) {
  const AVCodec *codec = avcodec_find_encoder_by_name(encoder_name(requested));
  if (!codec) throw std::runtime_error(std::string("no ") + encoder_name(requested) + " encoder in this libavcodec");
  return codec;
}

void require_supported_rate(const AVCodec *codec, int sample_rate) {
  if (sample_rate <= 0) throw std::runtime_error("the sample rate must be positive");
  if (!codec->supported_samplerates) return;
  for (const int *rate = codec->supported_samplerates; *rate; ++rate) {
    if (*rate == sample_rate) return;
  }
  throw std::runtime_error("the " + std::string(codec->name) + " encoder does not take " +
                           std::to_string(sample_rate) + " Hz");
}

void store_sample(AVFrame *frame, int channel, int index, double value) {
  const auto format = static_cast<AVSampleFormat>(frame->format);
  const bool planar = av_sample_fmt_is_planar(format) != 0;
  const int channels = frame->ch_layout.nb_channels;
  std::uint8_t *base = frame->data[planar ? channel : 0];
  const int slot = planar ? index : index * channels + channel;
  switch (av_get_packed_sample_fmt(format)) {
    case AV_SAMPLE_FMT_FLT: reinterpret_cast<float *>(base)[slot] = static_cast<float>(value); break;
    case AV_SAMPLE_FMT_DBL: reinterpret_cast<double *>(base)[slot] = value; break;
    case AV_SAMPLE_FMT_S16: reinterpret_cast<std::int16_t *>(base)[slot] = static_cast<std::int16_t>(std::lrint(value * 32767.0)); break;
    case AV_SAMPLE_FMT_S32: reinterpret_cast<std::int32_t *>(base)[slot] = static_cast<std::int32_t>(std::lrint(value * 2147483647.0)); break;
    default: throw std::runtime_error(std::string("unsupported encoder sample format ") + av_get_sample_fmt_name(format));
  }
}

}  // namespace

bool audio_encoder_available(AudioCodec codec) {
  return codec == AudioCodec::none || avcodec_find_encoder_by_name(encoder_name(codec)) != nullptr;
}

double clip_tone_hz(int channel) { return 440.0 * std::pow(1.5, channel); }

AudioClipTrack::AudioClipTrack(AVFormatContext *output, const ClipOptions &options) : output_(output) {
  if (options.channels <= 0) throw std::runtime_error("the channel count must be positive");
  const AVCodec *codec = pick_audio_encoder(options.audio);
  require_supported_rate(codec, options.sample_rate);

  encoder_ = make_codec_context(codec);
  AVCodecContext *encoder = encoder_.get();
  encoder->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
  encoder->sample_rate = options.sample_rate;
  av_channel_layout_default(&encoder->ch_layout, options.channels);
  encoder->bit_rate = options.channels >= 2 ? 128000 : 64000;
  encoder->time_base = AVRational{1, options.sample_rate};
  encoder->thread_count = 1;
  request_global_header_if_needed(output, encoder);
  check_av(avcodec_open2(encoder, codec, nullptr), std::string("opening the ") + codec->name + " encoder");

  stream_ = avformat_new_stream(output, nullptr);
  if (!stream_) throw std::runtime_error("cannot add an audio stream");
  stream_->time_base = encoder->time_base;
  check_av(avcodec_parameters_from_context(stream_->codecpar, encoder), "copying audio encoder parameters");

  frame_size_ = encoder->frame_size > 0 ? encoder->frame_size : fallback_frame_size;
  total_samples_ = std::max<std::int64_t>(1, std::llround(options.seconds * options.sample_rate));
  frame_ = make_frame();
  frame_->format = encoder->sample_fmt;
  frame_->sample_rate = encoder->sample_rate;
  frame_->nb_samples = frame_size_;
  check_av(av_channel_layout_copy(&frame_->ch_layout, &encoder->ch_layout), "copying the channel layout");
  check_av(av_frame_get_buffer(frame_.get(), 0), "allocating an audio frame");
  packet_ = make_packet();
}

double AudioClipTrack::next_time_seconds() const {
  return static_cast<double>(next_sample_) / encoder_->sample_rate;
}

void AudioClipTrack::fill_tone(int samples) {
  const int channels = frame_->ch_layout.nb_channels;
  for (int channel = 0; channel < channels; ++channel) {
    const double step = 2.0 * pi * clip_tone_hz(channel) / encoder_->sample_rate;
    for (int i = 0; i < samples; ++i) {
      store_sample(frame_.get(), channel, i, tone_amplitude * std::sin(step * static_cast<double>(next_sample_ + i)));
    }
  }
}

void AudioClipTrack::write_next() {
  const std::int64_t remaining = total_samples_ - next_sample_;
  int samples = frame_size_;
  // Encoders without a short last frame get the tone continued to a whole one.
  if (remaining < frame_size_ && (encoder_->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME)) {
    samples = static_cast<int>(remaining);
  }
  check_av(av_frame_make_writable(frame_.get()), "making an audio frame writable");
  frame_->nb_samples = samples;
  fill_tone(samples);
  frame_->pts = next_sample_;
  encode_and_write(encoder_.get(), frame_.get(), stream_, output_, packet_.get());
  next_sample_ += samples;
}

void AudioClipTrack::finish() { encode_and_write(encoder_.get(), nullptr, stream_, output_, packet_.get()); }

}  // namespace folio_test::media
