#include "player/decoder_threads.h"

#include <cmath>

#include "player/stream_decoder.h"
#include "player/video_state.h"
#include "presenter/presenter.h"

extern "C" {
#include <libavutil/log.h>
}

namespace cinelock {

namespace {

struct FrameHolder {
  AVFrame *frame = av_frame_alloc();
  ~FrameHolder() { av_frame_free(&frame); }
};

double seconds_or_nan(int64_t timestamp, AVRational time_base) {
  return timestamp == AV_NOPTS_VALUE ? NAN : static_cast<double>(timestamp) * av_q2d(time_base);
}

}  // namespace

int audio_decoder(void *state) {
  auto *is = static_cast<VideoState *>(state);
  FrameHolder holder;
  AVFrame *frame = holder.frame;
  if (!frame) return AVERROR(ENOMEM);
  for (;;) {
    const int got = decoder_decode_frame(&is->auddec, frame, nullptr);
    if (got < 0) break;
    if (got == 0) continue;
    ring_slot *slot = decoded_ring_peek_writable(&is->sampq);
    if (!slot) break;
    const AVRational sample_time{1, frame->sample_rate};
    slot->pts = seconds_or_nan(frame->pts, sample_time);
    slot->pos = frame->pkt_pos;
    slot->serial = is->auddec.packet_serial;
    slot->duration = av_q2d(AVRational{frame->nb_samples, frame->sample_rate});
    av_frame_move_ref(slot->frame, frame);
    decoded_ring_push(&is->sampq);
  }
  return 0;
}

int video_decoder(void *state) {
  auto *is = static_cast<VideoState *>(state);
  FrameHolder holder;
  AVFrame *frame = holder.frame;
  if (!frame) return AVERROR(ENOMEM);
  AVFormatContext *ic = is->ic;
  const AVRational time_base = is->video_st->time_base;
  const AVRational frame_rate = av_guess_frame_rate(ic, is->video_st, nullptr);
  const double duration =
      frame_rate.num && frame_rate.den ? av_q2d(AVRational{frame_rate.den, frame_rate.num}) : 0;
  for (;;) {
    const int got = decoder_decode_frame(&is->viddec, frame, nullptr);
    if (got < 0) break;
    if (got == 0) continue;
    // Every decoded picture is queued: the presenter shows late pictures
    // late rather than dropping them.
    frame->sample_aspect_ratio = av_guess_sample_aspect_ratio(ic, is->video_st, frame);
    ring_slot *slot = decoded_ring_peek_writable(&is->pictq);
    if (!slot) break;
    slot->sample_aspect_ratio = frame->sample_aspect_ratio;
    slot->uploaded = 0;
    slot->width = frame->width;
    slot->height = frame->height;
    slot->format = frame->format;
    slot->pts = seconds_or_nan(frame->pts, time_base);
    slot->duration = duration;
    slot->pos = frame->pkt_pos;
    slot->serial = is->viddec.packet_serial;
    set_default_window_size(slot->width, slot->height, slot->sample_aspect_ratio);
    av_frame_move_ref(slot->frame, frame);
    decoded_ring_push(&is->pictq);
  }
  return 0;
}

int subtitle_decoder(void *state) {
  auto *is = static_cast<VideoState *>(state);
  for (;;) {
    ring_slot *slot = decoded_ring_peek_writable(&is->subpq);
    if (!slot) break;
    const int got = decoder_decode_frame(&is->subdec, nullptr, &slot->subtitle);
    if (got < 0) break;
    if (got && slot->subtitle.format == 0) {
      // Bitmap subtitles only; their times are in microseconds.
      slot->pts = slot->subtitle.pts != AV_NOPTS_VALUE
                      ? static_cast<double>(slot->subtitle.pts) / AV_TIME_BASE
                      : 0;
      slot->serial = is->subdec.packet_serial;
      slot->width = is->subdec.codec->width;
      slot->height = is->subdec.codec->height;
      slot->uploaded = 0;
      decoded_ring_push(&is->subpq);
    } else if (got) {
      avsubtitle_free(&slot->subtitle);
    }
  }
  return 0;
}

}  // namespace cinelock
