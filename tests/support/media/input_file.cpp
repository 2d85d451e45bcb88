#include "support/media/input_file.h"

#include <stdexcept>

namespace folio_test::media {

InputContextPtr open_input_file(const std::string &path) {
  AVFormatContext *raw = nullptr;
  const int opened = avformat_open_input(&raw, path.c_str(), nullptr, nullptr);
  if (opened < 0) throw_av_error("opening " + path, opened);
  InputContextPtr input(raw);
  check_av(avformat_find_stream_info(input.get(), nullptr), "reading the stream information of " + path);
  return input;
}

int first_stream_of_type(const AVFormatContext *input, AVMediaType type) {
  for (unsigned i = 0; i < input->nb_streams; ++i) {
    if (input->streams[i]->codecpar->codec_type == type) return static_cast<int>(i);
  }
  return -1;
}

CodecContextPtr open_decoder(const AVStream *stream) {
  const AVCodec *codec = avcodec_find_decoder(stream->codecpar->codec_id);
  if (!codec) {
    throw std::runtime_error(std::string("no decoder for ") + avcodec_get_name(stream->codecpar->codec_id));
  }
  CodecContextPtr decoder = make_codec_context(codec);
  check_av(avcodec_parameters_to_context(decoder.get(), stream->codecpar), "copying stream parameters to the decoder");
  decoder->pkt_timebase = stream->time_base;
  decoder->thread_count = 1;  // frame threads would only reorder work, but one is plainly repeatable
  check_av(avcodec_open2(decoder.get(), codec, nullptr), std::string("opening the ") + codec->name + " decoder");
  return decoder;
}

}  // namespace folio_test::media
