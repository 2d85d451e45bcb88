// Opening and closing the decoder of one stream.
#include "audio/audio_output.h"
#include "output/process_output.h"
#include "player/decoder_threads.h"
#include "player/player.h"
#include "player/stream_decoder.h"

extern "C" {
#include <libavcodec/avfft.h>
#include <libavutil/dict.h>
#include <libavutil/log.h>
}

namespace cinelock {

namespace {

// Demuxers that can seek by none of these means, nor by a function of
// their own, give the audio decoder the stream's start as its first time.
bool cannot_seek(const AVInputFormat *format) {
  return (format->flags & (AVFMT_NOBINSEARCH | AVFMT_NOGENSEARCH | AVFMT_NO_BYTE_SEEK)) &&
         !format->read_seek;
}

int open_codec(VideoState *is, AVStream *stream, AVCodecContext **opened) {
  AVCodecContext *codec = avcodec_alloc_context3(nullptr);
  if (!codec) return AVERROR(ENOMEM);
  int result = avcodec_parameters_to_context(codec, stream->codecpar);
  if (result < 0) {
    avcodec_free_context(&codec);
    return result;
  }
  codec->pkt_timebase = stream->time_base;
  const AVCodec *decoder = avcodec_find_decoder(codec->codec_id);
  if (!decoder) {
    av_log(nullptr, AV_LOG_WARNING, "No decoder could be found for codec %s\n",
           avcodec_get_name(codec->codec_id));
    avcodec_free_context(&codec);
    return AVERROR(EINVAL);
  }
  codec->codec_id = decoder->id;
  AVDictionary *options = nullptr;
  av_dict_set(&options, "threads", "auto", AV_DICT_DONT_OVERWRITE);
  result = avcodec_open2(codec, decoder, &options);
  if (result >= 0) {
    if (const AVDictionaryEntry *left = av_dict_get(options, "", nullptr, AV_DICT_IGNORE_SUFFIX)) {
      av_log(nullptr, AV_LOG_ERROR, "Option %s not found.\n", left->key);
      result = AVERROR_OPTION_NOT_FOUND;
    }
  }
  av_dict_free(&options);
  if (result < 0) {
    avcodec_free_context(&codec);
    return result;
  }
  (void)is;
  *opened = codec;
  return 0;
}

}  // namespace

int stream_component_open(VideoState *is, int stream_index) {
  AVFormatContext *ic = is->ic;
  if (stream_index < 0 || stream_index >= static_cast<int>(ic->nb_streams)) return -1;
  AVStream *stream = ic->streams[stream_index];
  AVCodecContext *codec = nullptr;
  int result = open_codec(is, stream, &codec);
  if (result < 0) return result;

  is->eof = 0;
  stream->discard = AVDISCARD_DEFAULT;
  switch (codec->codec_type) {
    case AVMEDIA_TYPE_AUDIO: {
      AVChannelLayout layout{};
      if ((result = av_channel_layout_copy(&layout, &codec->ch_layout)) < 0) break;
      result = audio_open(is, &layout, codec->sample_rate, &is->audio_tgt);
      av_channel_layout_uninit(&layout);
      if (result < 0) break;
      is->audio_hw_buf_size = result;
      av_channel_layout_uninit(&is->audio_src.ch_layout);
      is->audio_src.freq = is->audio_tgt.freq;
      is->audio_src.fmt = is->audio_tgt.fmt;
      av_channel_layout_copy(&is->audio_src.ch_layout, &is->audio_tgt.ch_layout);
      is->audio_src.frame_size = is->audio_tgt.frame_size;
      is->audio_src.bytes_per_sec = is->audio_tgt.bytes_per_sec;
      is->audio_buf_size = 0;
      is->audio_buf_index = 0;
      is->audio_st = stream;
      if ((result = decoder_init(&is->auddec, codec, &is->audioq, is->continue_read_thread)) < 0) {
        audio_close();
        break;
      }
      codec = nullptr;
      if (cannot_seek(ic->iformat)) {
        is->auddec.start_pts = stream->start_time;
        is->auddec.start_pts_tb = stream->time_base;
      }
      if ((result = decoder_start(&is->auddec, audio_decoder, "audio_decoder", is)) < 0) {
        audio_close();
        decoder_destroy(&is->auddec);
        break;
      }
      // Published last: the presenter takes a set index for an open stream.
      is->audio_stream = stream_index;
      SDL_PauseAudioDevice(process_output().audio_dev, 0);
      return 0;
    }
    case AVMEDIA_TYPE_VIDEO:
      is->video_st = stream;
      if ((result = decoder_init(&is->viddec, codec, &is->videoq, is->continue_read_thread)) < 0) break;
      codec = nullptr;
      if ((result = decoder_start(&is->viddec, video_decoder, "video_decoder", is)) < 0) {
        decoder_destroy(&is->viddec);
        break;
      }
      is->video_stream = stream_index;
      is->queue_attachments_req = 1;
      return 0;
    case AVMEDIA_TYPE_SUBTITLE:
      is->subtitle_st = stream;
      if ((result = decoder_init(&is->subdec, codec, &is->subtitleq, is->continue_read_thread)) < 0)
        break;
      codec = nullptr;
      if ((result = decoder_start(&is->subdec, subtitle_decoder, "subtitle_decoder", is)) < 0) {
        decoder_destroy(&is->subdec);
        break;
      }
      is->subtitle_stream = stream_index;
      return 0;
    default:
      result = -1;
      break;
  }
  avcodec_free_context(&codec);
  return result;
}

void stream_component_close(VideoState *is, int stream_index) {
  AVFormatContext *ic = is->ic;
  if (stream_index < 0 || stream_index >= static_cast<int>(ic->nb_streams)) return;
  AVStream *stream = ic->streams[stream_index];
  switch (stream->codecpar->codec_type) {
    case AVMEDIA_TYPE_AUDIO:
      decoder_abort(&is->auddec, &is->sampq);
      audio_close();
      decoder_destroy(&is->auddec);
      swr_free(&is->swr_ctx);
      av_freep(&is->audio_buf1);
      is->audio_buf1_size = 0;
      is->audio_buf = nullptr;
      if (is->rdft) {
        av_rdft_end(is->rdft);
        av_freep(&is->rdft_data);
        is->rdft = nullptr;
        is->rdft_bits = 0;
      }
      break;
    case AVMEDIA_TYPE_VIDEO:
      decoder_abort(&is->viddec, &is->pictq);
      decoder_destroy(&is->viddec);
      break;
    case AVMEDIA_TYPE_SUBTITLE:
      decoder_abort(&is->subdec, &is->subpq);
      decoder_destroy(&is->subdec);
      break;
    default:
      break;
  }
  stream->discard = AVDISCARD_ALL;
  switch (stream->codecpar->codec_type) {
    case AVMEDIA_TYPE_AUDIO:
      is->audio_st = nullptr;
      is->audio_stream = -1;
      break;
    case AVMEDIA_TYPE_VIDEO:
      is->video_st = nullptr;
      is->video_stream = -1;
      break;
    case AVMEDIA_TYPE_SUBTITLE:
      is->subtitle_st = nullptr;
      is->subtitle_stream = -1;
      break;
    default:
      break;
  }
}

}  // namespace cinelock
