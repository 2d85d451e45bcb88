// The demux thread: reads packets, deciphers protected video packets on
// the way, and keeps the three fifos filled up to the back-pressure bound;
// carries out seeks; ends the player at the end of play.
#include <climits>
#include <cmath>
#include <memory>

#include "control/player_events.h"
#include "crypto/aes.h"
#include "flush_marker.h"
#include "format/packet_cipher.h"
#include "format/stream_kinds.h"
#include "player/player.h"
#include "presenter/presenter.h"

extern "C" {
#include <libavutil/log.h>
#include <libavutil/time.h>
}

namespace cinelock {

namespace {

constexpr int kMaxQueuedBytes = 15 * 1024 * 1024;
constexpr int kMinFrames = 25;

int decode_interrupt(void *state) { return static_cast<VideoState *>(state)->abort_request; }

bool has_enough_packets(const AVStream *stream, int stream_index, const packet_fifo *fifo) {
  return stream_index < 0 || fifo->aborted || (stream->disposition & AV_DISPOSITION_ATTACHED_PIC) ||
         (fifo->packet_count > kMinFrames &&
          (!fifo->duration_total ||
           av_q2d(stream->time_base) * static_cast<double>(fifo->duration_total) > 1.0));
}

bool is_attached_picture(const AVStream *stream) {
  return stream && (stream->disposition & AV_DISPOSITION_ATTACHED_PIC);
}

// Waits up to 10 ms for a decoder or a seek to want more.
void nap(VideoState *is, SDL_mutex *wait_mutex) {
  SDL_LockMutex(wait_mutex);
  SDL_CondWaitTimeout(is->continue_read_thread, wait_mutex, 10);
  SDL_UnlockMutex(wait_mutex);
}

// The packet trailer rule of the protected format, deciphering in place.
// False for a packet too short to carry its trailer, which is dropped.
bool decipher(const VideoState *is, const PacketCipher *cipher, AVPacket *packet) {
  if (!cipher || !past_clear_lead(packet->dts, is->video_st->time_base)) return true;
  return cipher->open(packet);
}

void do_seek(VideoState *is) {
  AVFormatContext *ic = is->ic;
  const int64_t target = is->seek_pos;
  const int64_t span = is->seek_rel;
  const int64_t minimum = span > 0 ? target - span + 2 : INT64_MIN;
  const int64_t maximum = span < 0 ? target - span - 2 : INT64_MAX;
  if (avformat_seek_file(ic, -1, minimum, target, maximum, 0) < 0) {
    av_log(nullptr, AV_LOG_ERROR, "%s: error while seeking\n", ic->url);
  } else {
    if (is->audio_stream >= 0) {
      packet_fifo_flush(&is->audioq);
      packet_fifo_put(&is->audioq, flush_marker());
    }
    if (is->subtitle_stream >= 0) {
      packet_fifo_flush(&is->subtitleq);
      packet_fifo_put(&is->subtitleq, flush_marker());
    }
    if (is->video_stream >= 0) {
      packet_fifo_flush(&is->videoq);
      packet_fifo_put(&is->videoq, flush_marker());
    }
    clock_set(&is->extclk, static_cast<double>(target) / 1'000'000.0, 0);
  }
  is->seek_req = 0;
  is->queue_attachments_req = 1;
  is->eof = 0;
  if (is->paused) step_to_next_frame(is);
}

// The body of the thread; its result decides whether the player is ended.
int demux(VideoState *is, AVPacket *packet, SDL_mutex *wait_mutex) {
  is->video_stream = -1;
  is->audio_stream = -1;
  is->subtitle_stream = -1;
  is->eof = 0;

  AVFormatContext *ic = avformat_alloc_context();
  if (!ic) {
    av_log(nullptr, AV_LOG_FATAL, "Could not allocate context.\n");
    return AVERROR(ENOMEM);
  }
  ic->interrupt_callback.callback = decode_interrupt;
  ic->interrupt_callback.opaque = is;
  if (avformat_open_input(&ic, is->filename.c_str(), nullptr, nullptr) < 0) {
    // avformat_open_input frees the context on failure.
    av_log(nullptr, AV_LOG_ERROR, "can't open video file %s/n", is->filename.c_str());
    return -1;
  }
  is->ic = ic;
  av_format_inject_global_side_data(ic);
  if (is->keybits != 0 || find_header_stream(ic) >= 0) {
    // Stream parsers would take enciphered packets for bitstream; a
    // protected MP4 stores every packet whole with its times.
    ic->flags |= AVFMT_FLAG_NOPARSE;
  }
  if (avformat_find_stream_info(ic, nullptr) < 0) {
    av_log(nullptr, AV_LOG_WARNING, "%s: could not find codec parameters\n", is->filename.c_str());
    return -1;
  }
  if (ic->pb) ic->pb->eof_reached = 0;
  is->max_frame_duration = (ic->iformat->flags & AVFMT_TS_DISCONT) ? 10.0 : 3600.0;

  const int video = av_find_best_stream(ic, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  const int audio = av_find_best_stream(ic, AVMEDIA_TYPE_AUDIO, -1, video, nullptr, 0);
  const int subtitle =
      av_find_best_stream(ic, AVMEDIA_TYPE_SUBTITLE, -1, audio >= 0 ? audio : video, nullptr, 0);

  is->show_mode = DisplayMode::none;
  if (video >= 0) {
    const AVStream *stream = ic->streams[video];
    const AVCodecParameters *parameters = stream->codecpar;
    const AVRational sar = av_guess_sample_aspect_ratio(ic, const_cast<AVStream *>(stream), nullptr);
    if (parameters->width) set_default_window_size(parameters->width, parameters->height, sar);
  }
  if (audio >= 0) stream_component_open(is, audio);
  int video_result = -1;
  if (video >= 0) video_result = stream_component_open(is, video);
  if (is->show_mode == DisplayMode::none)
    is->show_mode = video_result >= 0 ? DisplayMode::video : DisplayMode::spectrum;
  if (subtitle >= 0) stream_component_open(is, subtitle);

  if (is->video_stream < 0 && is->audio_stream < 0) {
    av_log(nullptr, AV_LOG_FATAL, "Failed to open file '%s' or configure filtergraph\n",
           is->filename.c_str());
    return -1;
  }

  PacketCipher *cipher = nullptr;
  std::unique_ptr<PacketCipher> owned;
  if (is->keybits != 0) {
    owned = std::make_unique<PacketCipher>(is->key, is->keybits, is->nonce);
    cipher = owned.get();
  }

  for (;;) {
    if (is->abort_request) return 0;
    if (is->paused != is->last_paused) {
      is->last_paused = is->paused;
      if (is->paused)
        is->read_pause_return = av_read_pause(ic);
      else
        av_read_play(ic);
    }
    if (is->seek_req) do_seek(is);
    if (is->queue_attachments_req) {
      if (is->video_st && is_attached_picture(is->video_st)) {
        AVPacket *copy = av_packet_alloc();
        if (!copy) return AVERROR(ENOMEM);
        const int result = av_packet_ref(copy, &is->video_st->attached_pic);
        if (result < 0) {
          av_packet_free(&copy);
          return result;
        }
        packet_fifo_put(&is->videoq, copy);
        av_packet_free(&copy);
        packet_fifo_put_empty(&is->videoq, is->video_stream);
      }
      is->queue_attachments_req = 0;
    }

    if (is->audioq.byte_total + is->videoq.byte_total + is->subtitleq.byte_total > kMaxQueuedBytes ||
        (has_enough_packets(is->audio_st, is->audio_stream, &is->audioq) &&
         has_enough_packets(is->video_st, is->video_stream, &is->videoq) &&
         has_enough_packets(is->subtitle_st, is->subtitle_stream, &is->subtitleq))) {
      nap(is, wait_mutex);
      continue;
    }

    if (!is->paused &&
        (!is->audio_st || (is->auddec.finished == is->audioq.serial &&
                           decoded_ring_remaining(&is->sampq) == 0)) &&
        (!is->video_st || (is->viddec.finished == is->videoq.serial &&
                           decoded_ring_remaining(&is->pictq) == 0))) {
      return AVERROR_EOF;
    }

    const int result = av_read_frame(ic, packet);
    if (result < 0) {
      if ((result == AVERROR_EOF || avio_feof(ic->pb)) && !is->eof) {
        if (is->video_stream >= 0) packet_fifo_put_empty(&is->videoq, is->video_stream);
        if (is->audio_stream >= 0) packet_fifo_put_empty(&is->audioq, is->audio_stream);
        if (is->subtitle_stream >= 0) packet_fifo_put_empty(&is->subtitleq, is->subtitle_stream);
        is->eof = 1;
      }
      if (ic->pb && ic->pb->error) return 0;
      nap(is, wait_mutex);
      continue;
    }
    is->eof = 0;

    const int index = packet->stream_index;
    if (index == is->audio_stream) {
      packet_fifo_put(&is->audioq, packet);
    } else if (index == is->video_stream && !is_attached_picture(is->video_st)) {
      if (decipher(is, cipher, packet)) {
        packet_fifo_put(&is->videoq, packet);
      } else {
        av_log(nullptr, AV_LOG_ERROR,
               "Dropped a protected video packet of %d bytes: too short for its trailer\n",
               packet->size);
        av_packet_unref(packet);
      }
    } else if (index == is->subtitle_stream) {
      packet_fifo_put(&is->subtitleq, packet);
    } else {
      av_packet_unref(packet);
    }
  }
}

}  // namespace

int read_thread(void *state) {
  auto *is = static_cast<VideoState *>(state);
  SDL_mutex *wait_mutex = SDL_CreateMutex();
  if (!wait_mutex) {
    av_log(nullptr, AV_LOG_FATAL, "SDL_CreateMutex(): %s\n", SDL_GetError());
    post_player_event(EVENT_QUIT, 0, is);
    return 0;
  }
  AVPacket *packet = av_packet_alloc();
  const int result = packet ? demux(is, packet, wait_mutex) : AVERROR(ENOMEM);
  av_packet_free(&packet);
  if (result != 0) post_player_event(EVENT_QUIT, 0, is);
  SDL_DestroyMutex(wait_mutex);
  return 0;
}

}  // namespace cinelock
