#include "player/stream_decoder.h"

#include "flush_marker.h"

extern "C" {
#include <libavutil/log.h>
}

namespace cinelock {

namespace {

// Receives what the codec has ready; AVERROR(EAGAIN) when it needs a packet.
int receive(stream_decoder *decoder, AVFrame *frame) {
  AVCodecContext *codec = decoder->codec;
  const int result = avcodec_receive_frame(codec, frame);
  if (result < 0) return result;
  if (codec->codec_type == AVMEDIA_TYPE_VIDEO) {
    frame->pts = frame->best_effort_timestamp;
  } else if (codec->codec_type == AVMEDIA_TYPE_AUDIO) {
    const AVRational sample_time{1, frame->sample_rate};
    if (frame->pts != AV_NOPTS_VALUE)
      frame->pts = av_rescale_q(frame->pts, codec->pkt_timebase, sample_time);
    else if (decoder->next_pts != AV_NOPTS_VALUE)
      frame->pts = av_rescale_q(decoder->next_pts, decoder->next_pts_tb, sample_time);
    if (frame->pts != AV_NOPTS_VALUE) {
      decoder->next_pts = frame->pts + frame->nb_samples;
      decoder->next_pts_tb = sample_time;
    }
  }
  return result;
}

void restart(stream_decoder *decoder) {
  avcodec_flush_buffers(decoder->codec);
  decoder->finished = 0;
  decoder->next_pts = decoder->start_pts;
  decoder->next_pts_tb = decoder->start_pts_tb;
}

}  // namespace

int decoder_init(stream_decoder *decoder, AVCodecContext *codec, packet_fifo *fifo,
                 SDL_cond *empty_fifo_cond) {
  decoder->pending = av_packet_alloc();
  if (!decoder->pending) return AVERROR(ENOMEM);
  decoder->codec = codec;
  decoder->fifo = fifo;
  decoder->empty_fifo_cond = empty_fifo_cond;
  decoder->start_pts = AV_NOPTS_VALUE;
  decoder->packet_serial = -1;
  decoder->finished = 0;
  decoder->packet_pending = 0;
  return 0;
}

int decoder_decode_frame(stream_decoder *decoder, AVFrame *frame, AVSubtitle *subtitle) {
  const bool is_subtitle = decoder->codec->codec_type == AVMEDIA_TYPE_SUBTITLE;
  // For subtitles this carries the outcome of the last decode into the
  // receiving step, where nothing else is received.
  int result = AVERROR(EAGAIN);
  for (;;) {
    if (decoder->fifo->serial == decoder->packet_serial) {
      do {
        if (decoder->fifo->aborted) return -1;
        if (!is_subtitle) result = receive(decoder, frame);
        if (result == AVERROR_EOF) {
          decoder->finished = decoder->packet_serial;
          avcodec_flush_buffers(decoder->codec);
          return 0;
        }
        if (result >= 0) return 1;
      } while (result != AVERROR(EAGAIN));
    }

    do {
      if (decoder->fifo->packet_count == 0) SDL_CondSignal(decoder->empty_fifo_cond);
      if (decoder->packet_pending) {
        decoder->packet_pending = 0;
      } else {
        const int old_serial = decoder->packet_serial;
        if (packet_fifo_get(decoder->fifo, decoder->pending, true, &decoder->packet_serial) < 0)
          return -1;
        if (old_serial != decoder->packet_serial) restart(decoder);
      }
      if (decoder->fifo->serial == decoder->packet_serial) break;
      av_packet_unref(decoder->pending);
    } while (true);

    AVPacket *packet = decoder->pending;
    if (is_flush_marker(packet)) {
      restart(decoder);
      av_packet_unref(packet);
    } else if (is_subtitle) {
      int got = 0;
      result = avcodec_decode_subtitle2(decoder->codec, subtitle, &got, packet);
      if (result < 0) {
        result = AVERROR(EAGAIN);
      } else {
        // A subtitle out of an empty packet: the codec may have more, so
        // the empty packet is offered again.
        if (got && !packet->data) decoder->packet_pending = 1;
        result = got ? 0 : (packet->data ? AVERROR(EAGAIN) : AVERROR_EOF);
      }
      if (!decoder->packet_pending) av_packet_unref(packet);
    } else if (avcodec_send_packet(decoder->codec, packet) == AVERROR(EAGAIN)) {
      av_log(nullptr, AV_LOG_ERROR,
             "Receive_frame and send_packet both returned EAGAIN, which is an API violation.\n");
      decoder->packet_pending = 1;
    } else {
      av_packet_unref(packet);
    }
  }
}

int decoder_start(stream_decoder *decoder, int (*run)(void *), const char *name, void *argument) {
  if (packet_fifo_start(decoder->fifo) < 0) return AVERROR(ENOMEM);
  decoder->thread = SDL_CreateThread(run, name, argument);
  if (!decoder->thread) {
    av_log(nullptr, AV_LOG_ERROR, "SDL_CreateThread(): %s\n", SDL_GetError());
    return AVERROR(ENOMEM);
  }
  return 0;
}

void decoder_abort(stream_decoder *decoder, decoded_ring *ring) {
  packet_fifo_abort(decoder->fifo);
  decoded_ring_signal(ring);
  SDL_WaitThread(decoder->thread, nullptr);
  decoder->thread = nullptr;
  packet_fifo_flush(decoder->fifo);
}

void decoder_destroy(stream_decoder *decoder) {
  av_packet_free(&decoder->pending);
  avcodec_free_context(&decoder->codec);
}

}  // namespace cinelock
