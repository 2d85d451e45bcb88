#include <climits>
#include <cmath>

#include "audio/audio_output.h"
#include "output/process_output.h"

extern "C" {
#include <libavutil/log.h>
#include <libavutil/mem.h>
#include <libavutil/time.h>
}

namespace cinelock {

namespace {

// Room left in the resample buffer beyond the expected output, in sample
// frames, for what the resampler still holds from earlier frames.
constexpr int kResampleHeadroom = 256;

// Waits for a frame of the current serial and takes it off the ring. The
// ring keeps the last frame it handed out, so the returned slot stays valid
// until the next take. nullptr when none arrives within half a device
// buffer of the last callback (the device would otherwise run dry).
ring_slot *take_current_frame(VideoState *is) {
  const int64_t patience_us =
      is->audio_tgt.bytes_per_sec > 0
          ? int64_t{1000000} * is->audio_hw_buf_size / is->audio_tgt.bytes_per_sec / 2
          : 0;
  ring_slot *slot;
  do {
    while (decoded_ring_remaining(&is->sampq) == 0) {
      if (av_gettime_relative() - process_output().audio_callback_time.load() > patience_us) return nullptr;
      av_usleep(1000);
    }
    slot = decoded_ring_peek_readable(&is->sampq);
    if (!slot) return nullptr;
    decoded_ring_advance(&is->sampq);
  } while (slot->serial != is->audioq.serial.load(std::memory_order_relaxed));
  return slot;
}

// The frame's layout when it names its channels, else the default layout
// for its channel count.
void frame_layout(const AVFrame *frame, AVChannelLayout *layout) {
  if (frame->ch_layout.order != AV_CHANNEL_ORDER_UNSPEC && av_channel_layout_check(&frame->ch_layout) &&
      av_channel_layout_copy(layout, &frame->ch_layout) == 0)
    return;
  av_channel_layout_default(layout, frame->ch_layout.nb_channels);
}

bool same_source(const audio_format_desc &source, const AVFrame *frame, const AVChannelLayout *layout) {
  return frame->format == source.fmt && frame->sample_rate == source.freq &&
         av_channel_layout_compare(layout, &source.ch_layout) == 0;
}

// Rebuilds the resampler for the frame's format; on success that format is
// the new source.
bool rebuild_resampler(VideoState *is, const AVFrame *frame, AVChannelLayout *layout) {
  const auto frame_format = static_cast<AVSampleFormat>(frame->format);
  swr_free(&is->swr_ctx);
  const int built = swr_alloc_set_opts2(&is->swr_ctx, &is->audio_tgt.ch_layout, is->audio_tgt.fmt,
                                        is->audio_tgt.freq, layout, frame_format, frame->sample_rate, 0,
                                        nullptr);
  if (built < 0 || !is->swr_ctx || swr_init(is->swr_ctx) < 0) {
    const char *from = av_get_sample_fmt_name(frame_format);
    const char *to = av_get_sample_fmt_name(is->audio_tgt.fmt);
    av_log(nullptr, AV_LOG_ERROR,
           "Cannot create sample rate converter for conversion of %d Hz %s %d channels to %d Hz %s %d "
           "channels!\n",
           frame->sample_rate, from ? from : "none", layout->nb_channels, is->audio_tgt.freq,
           to ? to : "none", is->audio_tgt.ch_layout.nb_channels);
    swr_free(&is->swr_ctx);
    return false;
  }
  if (av_channel_layout_copy(&is->audio_src.ch_layout, layout) < 0) {
    swr_free(&is->swr_ctx);
    return false;
  }
  is->audio_src.freq = frame->sample_rate;
  is->audio_src.fmt = frame_format;
  return true;
}

// Converts the frame into the player's resample buffer; the byte count or
// a negative value (logged).
int resample(VideoState *is, const AVFrame *frame) {
  const int64_t out_samples64 =
      int64_t{frame->nb_samples} * is->audio_tgt.freq / frame->sample_rate + kResampleHeadroom;
  const int out_samples = out_samples64 > INT_MAX ? -1 : static_cast<int>(out_samples64);
  const int out_size = out_samples < 0 ? -1
                                       : av_samples_get_buffer_size(nullptr, is->audio_tgt.ch_layout.nb_channels,
                                                                    out_samples, is->audio_tgt.fmt, 0);
  if (out_size < 0) {
    av_log(nullptr, AV_LOG_ERROR, "av_samples_get_buffer_size() failed\n");
    return -1;
  }
  av_fast_malloc(&is->audio_buf1, &is->audio_buf1_size, static_cast<size_t>(out_size));
  if (!is->audio_buf1) return AVERROR(ENOMEM);

  uint8_t *out = is->audio_buf1;
  const int converted = swr_convert(is->swr_ctx, &out, out_samples,
                                    const_cast<const uint8_t **>(frame->extended_data), frame->nb_samples);
  if (converted < 0) {
    av_log(nullptr, AV_LOG_ERROR, "swr_convert() failed\n");
    return -1;
  }
  if (converted == out_samples) {
    // The resampler may still hold samples it had no room for: start it
    // afresh rather than let them pile up.
    av_log(nullptr, AV_LOG_WARNING, "audio buffer is probably too small\n");
    if (swr_init(is->swr_ctx) < 0) swr_free(&is->swr_ctx);
  }
  is->audio_buf = is->audio_buf1;
  return converted * is->audio_tgt.ch_layout.nb_channels * av_get_bytes_per_sample(is->audio_tgt.fmt);
}

}  // namespace

int audio_fetch_frame(VideoState *is) {
  if (is->paused) return -1;

  ring_slot *slot = take_current_frame(is);
  if (!slot) return -1;
  const AVFrame *frame = slot->frame;
  if (frame->nb_samples <= 0) return -1;

  AVChannelLayout layout{};
  frame_layout(frame, &layout);
  // Without a resampler the frame is played as it is, which only a frame
  // already in the device's format allows (the resampler may have been
  // dropped after a failure, leaving the source format behind).
  const bool needs_resampler = frame->sample_rate <= 0 || !same_source(is->audio_src, frame, &layout) ||
                               (!is->swr_ctx && !same_source(is->audio_tgt, frame, &layout));
  if (needs_resampler && !rebuild_resampler(is, frame, &layout)) {
    av_channel_layout_uninit(&layout);
    return -1;
  }
  av_channel_layout_uninit(&layout);

  int size;
  if (is->swr_ctx) {
    size = resample(is, frame);
    if (size < 0) return size;
  } else {
    // Already in the device's format: play the frame's own samples.
    is->audio_buf = frame->data[0];
    size = av_samples_get_buffer_size(nullptr, frame->ch_layout.nb_channels, frame->nb_samples,
                                      static_cast<AVSampleFormat>(frame->format), 1);
    if (size < 0) return size;
  }

  is->audio_clock = std::isnan(slot->pts)
                        ? NAN
                        : slot->pts + static_cast<double>(frame->nb_samples) / frame->sample_rate;
  is->audio_clock_serial = slot->serial;
  return size;
}

}  // namespace cinelock
