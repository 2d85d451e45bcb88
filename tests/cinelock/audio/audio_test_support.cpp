#include "audio_test_support.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>

#include "output/process_output.h"

extern "C" {
#include <libavutil/log.h>
#include <libavutil/mem.h>
}

namespace cinelock_test {

namespace {

using namespace cinelock;

ScriptedDevice *active_device = nullptr;

SDL_AudioDeviceID scripted_open(const SDL_AudioSpec *desired, SDL_AudioSpec *obtained) {
  OpenRequest request;
  request.channels = desired->channels;
  request.freq = desired->freq;
  request.samples = desired->samples;
  request.format = desired->format;
  request.silence = desired->silence;
  request.callback = desired->callback;
  request.userdata = desired->userdata;
  active_device->requests.push_back(request);
  if (!active_device->accepts(*desired)) {
    SDL_SetError("refused by the test");
    return 0;
  }
  *obtained = *desired;
  active_device->grant(obtained);
  obtained->size = static_cast<Uint32>(obtained->samples) * obtained->channels * SDL_AUDIO_BITSIZE(obtained->format) / 8;
  return ScriptedDevice::kDeviceId;
}

struct LogEntry {
  int level;
  std::string text;
};

std::mutex log_mutex;
std::vector<LogEntry> log_entries;

void record_log(void *, int level, const char *format, va_list args) {
  char text[1024];
  std::vsnprintf(text, sizeof text, format, args);
  std::lock_guard<std::mutex> lock(log_mutex);
  log_entries.push_back({level, text});
}

}  // namespace

ScriptedDevice::ScriptedDevice() {
  active_device = this;
  set_audio_device_opener(scripted_open);
}

ScriptedDevice::~ScriptedDevice() {
  set_audio_device_opener(nullptr);
  active_device = nullptr;
  // A granted device id is the scripted one: forget it rather than close it.
  process_output().audio_dev = 0;
}

LogRecorder::LogRecorder() {
  {
    std::lock_guard<std::mutex> lock(log_mutex);
    log_entries.clear();
  }
  av_log_set_callback(record_log);
}

LogRecorder::~LogRecorder() { av_log_set_callback(av_log_default_callback); }

std::string LogRecorder::text() const {
  std::lock_guard<std::mutex> lock(log_mutex);
  std::string all;
  for (const LogEntry &entry : log_entries) all += entry.text;
  return all;
}

int LogRecorder::count(int level, const std::string &message) const {
  std::lock_guard<std::mutex> lock(log_mutex);
  int found = 0;
  for (const LogEntry &entry : log_entries) found += entry.level == level && entry.text == message;
  return found;
}

ScopedEnv::ScopedEnv(const char *name, const char *value) : name_(name) {
  if (const char *old = std::getenv(name)) {
    had_value_ = true;
    old_value_ = old;
  }
  setenv(name, value, 1);
}

ScopedEnv::~ScopedEnv() {
  if (had_value_)
    setenv(name_.c_str(), old_value_.c_str(), 1);
  else
    unsetenv(name_.c_str());
}

void FrameDeleter::operator()(AVFrame *frame) const { av_frame_free(&frame); }

namespace {

FramePtr blank_frame(int sample_rate, int channels, int nb_samples, AVSampleFormat format) {
  FramePtr frame(av_frame_alloc());
  if (!frame) return nullptr;
  frame->sample_rate = sample_rate;
  frame->nb_samples = nb_samples;
  frame->format = format;
  av_channel_layout_default(&frame->ch_layout, channels);
  if (av_frame_get_buffer(frame.get(), 0) < 0) return nullptr;
  return frame;
}

}  // namespace

FramePtr s16_frame(int sample_rate, int channels, const std::vector<int16_t> &interleaved) {
  const int nb_samples = static_cast<int>(interleaved.size()) / channels;
  FramePtr frame = blank_frame(sample_rate, channels, nb_samples, AV_SAMPLE_FMT_S16);
  if (frame) std::memcpy(frame->data[0], interleaved.data(), interleaved.size() * sizeof(int16_t));
  return frame;
}

FramePtr fltp_frame(int sample_rate, int channels, int nb_samples, const std::function<float(int, int)> &value) {
  FramePtr frame = blank_frame(sample_rate, channels, nb_samples, AV_SAMPLE_FMT_FLTP);
  if (!frame) return nullptr;
  for (int channel = 0; channel < channels; channel++) {
    auto *plane = reinterpret_cast<float *>(frame->extended_data[channel]);
    for (int i = 0; i < nb_samples; i++) plane[i] = value(channel, i);
  }
  return frame;
}

void audio_player_test::SetUp() {
  is_ = std::make_unique<VideoState>();
  ASSERT_EQ(packet_fifo_init(&is_->audioq), 0);
  ASSERT_EQ(packet_fifo_start(&is_->audioq), 0);
  ASSERT_EQ(decoded_ring_init(&is_->sampq, &is_->audioq, kSampleRingCapacity, true), 0);
  clock_init(&is_->audclk, &is_->audioq.serial);
  clock_init(&is_->extclk, &is_->extclk.serial);
  is_->audio_clock = NAN;
  is_->audio_hw_buf_size = kDeviceBufferBytes;
  is_->show_mode = DisplayMode::video;
  use_device_format(kDeviceRate, kDeviceChannels);
}

void audio_player_test::TearDown() {
  if (!is_) return;
  decoded_ring_destroy(&is_->sampq);
  packet_fifo_destroy(&is_->audioq);
  swr_free(&is_->swr_ctx);
  av_freep(&is_->audio_buf1);
  av_channel_layout_uninit(&is_->audio_src.ch_layout);
  av_channel_layout_uninit(&is_->audio_tgt.ch_layout);
}

void audio_player_test::use_device_format(int rate, int channels) {
  audio_format_desc &target = is_->audio_tgt;
  target.freq = rate;
  target.fmt = AV_SAMPLE_FMT_S16;
  av_channel_layout_uninit(&target.ch_layout);
  av_channel_layout_default(&target.ch_layout, channels);
  target.frame_size = 2 * channels;
  target.bytes_per_sec = 2 * channels * rate;
  is_->audio_src.freq = target.freq;
  is_->audio_src.fmt = target.fmt;
  av_channel_layout_copy(&is_->audio_src.ch_layout, &target.ch_layout);
  is_->audio_src.frame_size = target.frame_size;
  is_->audio_src.bytes_per_sec = target.bytes_per_sec;
}

void audio_player_test::push(FramePtr frame, double pts, int serial) {
  ASSERT_TRUE(frame);
  ring_slot *slot = decoded_ring_peek_writable(&is_->sampq);
  ASSERT_NE(slot, nullptr);
  slot->pts = pts;
  slot->serial = serial;
  slot->duration = static_cast<double>(frame->nb_samples) / frame->sample_rate;
  slot->pos = -1;
  av_frame_move_ref(slot->frame, frame.get());
  decoded_ring_push(&is_->sampq);
}

int audio_player_test::current_serial() const { return is_->audioq.serial.load(); }

std::vector<int16_t> audio_player_test::play(int byte_count) {
  std::vector<int16_t> out(static_cast<size_t>(byte_count) / 2, int16_t{0x5a5a});
  sdl_audio_callback(is_.get(), reinterpret_cast<Uint8 *>(out.data()), byte_count);
  return out;
}

}  // namespace cinelock_test
