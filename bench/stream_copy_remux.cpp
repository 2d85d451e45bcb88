#include "stream_copy_remux.h"

#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

namespace folio_bench {

namespace {

std::string failure(const char *what, int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return std::string(what) + ": " + text;
}

}  // namespace

std::string stream_copy_remux(const std::string &input_path, const std::string &output_path) {
  AVFormatContext *input = nullptr;
  AVFormatContext *output = nullptr;
  AVPacket *packet = av_packet_alloc();
  std::string error;
  int result = avformat_open_input(&input, input_path.c_str(), nullptr, nullptr);
  if (result < 0) {
    error = failure("open input", result);
  } else if ((result = avformat_find_stream_info(input, nullptr)) < 0) {
    error = failure("stream information", result);
  } else if (avformat_alloc_output_context2(&output, nullptr, nullptr, output_path.c_str()) < 0 ||
             !output) {
    error = "no muxer for " + output_path;
  }
  std::vector<int> map;
  for (unsigned i = 0; error.empty() && i < input->nb_streams; ++i) {
    const AVMediaType type = input->streams[i]->codecpar->codec_type;
    if (type != AVMEDIA_TYPE_VIDEO && type != AVMEDIA_TYPE_AUDIO && type != AVMEDIA_TYPE_SUBTITLE) {
      map.push_back(-1);
      continue;
    }
    AVStream *stream = avformat_new_stream(output, nullptr);
    if (!stream || avcodec_parameters_copy(stream->codecpar, input->streams[i]->codecpar) < 0) {
      error = "output stream";
      break;
    }
    stream->codecpar->codec_tag = 0;
    map.push_back(stream->index);
  }
  bool header_written = false;
  if (error.empty() && (result = avio_open(&output->pb, output_path.c_str(), AVIO_FLAG_WRITE)) < 0)
    error = failure("open output", result);
  if (error.empty()) {
    if ((result = avformat_write_header(output, nullptr)) < 0)
      error = failure("container header", result);
    else
      header_written = true;
  }
  while (error.empty() && av_read_frame(input, packet) >= 0) {
    const int source = packet->stream_index;
    if (map[source] < 0) {
      av_packet_unref(packet);
      continue;
    }
    packet->stream_index = map[source];
    av_packet_rescale_ts(packet, input->streams[source]->time_base,
                         output->streams[map[source]]->time_base);
    packet->pos = -1;
    if ((result = av_interleaved_write_frame(output, packet)) < 0) error = failure("mux", result);
  }
  if (header_written && (result = av_write_trailer(output)) < 0 && error.empty())
    error = failure("trailer", result);
  if (output && output->pb) avio_closep(&output->pb);
  avformat_free_context(output);
  avformat_close_input(&input);
  av_packet_free(&packet);
  return error;
}

}  // namespace folio_bench
