#include "decode_only_peer.h"

#include <memory>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

namespace folio_bench {

namespace {

std::string failure(const std::string &what, int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return what + ": " + text;
}

struct CodecFree {
  void operator()(AVCodecContext *codec) const { avcodec_free_context(&codec); }
};
using CodecHandle = std::unique_ptr<AVCodecContext, CodecFree>;

struct InputClose {
  void operator()(AVFormatContext *input) const { avformat_close_input(&input); }
};
struct PacketFree {
  void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};
struct FrameFree {
  void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};

// The decoder for stream, opened with the options the player gives its own.
std::string open_decoder(const AVStream *stream, CodecHandle &opened) {
  const AVCodec *decoder = avcodec_find_decoder(stream->codecpar->codec_id);
  if (!decoder) return std::string("no decoder for ") + avcodec_get_name(stream->codecpar->codec_id);
  CodecHandle codec(avcodec_alloc_context3(decoder));
  if (!codec) return "decoder context";
  int result = avcodec_parameters_to_context(codec.get(), stream->codecpar);
  if (result < 0) return failure("decoder parameters", result);
  codec->pkt_timebase = stream->time_base;
  AVDictionary *options = nullptr;
  av_dict_set(&options, "threads", "auto", 0);
  result = avcodec_open2(codec.get(), decoder, &options);
  av_dict_free(&options);
  if (result < 0) return failure("open decoder", result);
  opened = std::move(codec);
  return "";
}

// Takes every frame the decoder has ready; a null packet drains it.
std::string decode(AVCodecContext *codec, const AVPacket *packet, AVFrame *frame,
                   std::int64_t &frames) {
  int result = avcodec_send_packet(codec, packet);
  if (result < 0) return failure("send packet", result);
  while ((result = avcodec_receive_frame(codec, frame)) >= 0) {
    ++frames;
    av_frame_unref(frame);
  }
  if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return "";
  return failure("decode", result);
}

}  // namespace

std::string decode_only(const std::string &path, DecodeCount &count) {
  count = DecodeCount{};
  AVFormatContext *opened_input = nullptr;
  int result = avformat_open_input(&opened_input, path.c_str(), nullptr, nullptr);
  if (result < 0) return failure("open " + path, result);
  const std::unique_ptr<AVFormatContext, InputClose> input(opened_input);
  if ((result = avformat_find_stream_info(input.get(), nullptr)) < 0)
    return failure("stream information", result);

  // Indexed by stream; null for streams that are not decoded.
  std::vector<CodecHandle> decoders(input->nb_streams);
  for (unsigned i = 0; i < input->nb_streams; ++i) {
    AVStream *stream = input->streams[i];
    const AVMediaType type = stream->codecpar->codec_type;
    if (type != AVMEDIA_TYPE_VIDEO && type != AVMEDIA_TYPE_AUDIO) {
      stream->discard = AVDISCARD_ALL;
      continue;
    }
    if (std::string error = open_decoder(stream, decoders[i]); !error.empty()) return error;
  }

  const std::unique_ptr<AVPacket, PacketFree> packet(av_packet_alloc());
  const std::unique_ptr<AVFrame, FrameFree> frame(av_frame_alloc());
  if (!packet || !frame) return "out of memory";
  auto frames_of = [&](unsigned stream) -> std::int64_t & {
    return input->streams[stream]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO ? count.video_frames
                                                                              : count.audio_frames;
  };
  while ((result = av_read_frame(input.get(), packet.get())) >= 0) {
    const unsigned stream = static_cast<unsigned>(packet->stream_index);
    std::string error;
    if (stream < decoders.size() && decoders[stream])
      error = decode(decoders[stream].get(), packet.get(), frame.get(), frames_of(stream));
    av_packet_unref(packet.get());
    if (!error.empty()) return error;
  }
  if (result != AVERROR_EOF) return failure("read", result);
  for (unsigned i = 0; i < decoders.size(); ++i) {
    if (!decoders[i]) continue;
    if (std::string error = decode(decoders[i].get(), nullptr, frame.get(), frames_of(i));
        !error.empty())
      return error;
  }
  return "";
}

}  // namespace folio_bench
