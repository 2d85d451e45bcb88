#include "format/remuxer.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "cinelock.h"
#include "format/media_log.h"
#include "format/stream_kinds.h"

namespace cinelock {

namespace {

// Microseconds of a protected file that stream analysis may read: every
// video packet up to about 1.5 s is clear.
constexpr std::int64_t kClearAnalysis = 1'400'000;

}  // namespace

int open_input_media(InputMedia &input, const char *path) {
  if (const int result = input.open(path); result < 0) {
    log_error("Could not open input file '%s'", path);
    return result;
  }
  if (find_header_stream(input.get()) >= 0) {
    // Stream parsers would read enciphered packets as bitstream; MP4 keeps
    // every packet whole with its times, so a protected file needs none.
    input->flags |= AVFMT_FLAG_NOPARSE;
    input->max_analyze_duration = kClearAnalysis;
  }
  if (const int result = avformat_find_stream_info(input.get(), nullptr); result < 0) {
    log_error("Failed to retrieve input stream information");
    return result;
  }
  return 0;
}

int Remuxer::open(const char *input_path, const char *output_path) {
  output_path_ = output_path;
  if (const int result = open_input_media(input_, input_path); result < 0) return result;
  av_dump_format(input_.get(), 0, input_path, 0);
  if (!output_.allocate(output_path)) {
    log_error("Could not create output context\n");
    return AVERROR_UNKNOWN;
  }
  return 0;
}

int Remuxer::add_copy_of(const AVStream *source) {
  AVStream *stream = avformat_new_stream(output_.get(), nullptr);
  if (!stream) {
    log_error("Failed allocating output stream\n");
    return AVERROR_UNKNOWN;
  }
  if (const int result = avcodec_parameters_copy(stream->codecpar, source->codecpar); result < 0) {
    log_error("Failed to copy codec parameters\n");
    return result;
  }
  stream->codecpar->codec_tag = 0;
  return 0;
}

int Remuxer::add_header_stream() {
  AVStream *stream = avformat_new_stream(output_.get(), nullptr);
  if (!stream) {
    log_error("Failed allocating output stream\n");
    return AVERROR_UNKNOWN;
  }
  stream->codecpar->codec_type = AVMEDIA_TYPE_DATA;
  stream->codecpar->codec_id = AV_CODEC_ID_BIN_DATA;
  stream->codecpar->codec_tag = 0;
  return 0;
}

int Remuxer::start_output() {
  av_dump_format(output_.get(), 0, output_path_, 1);
  if (const int result = output_.open_file(output_path_); result < 0) {
    log_error("Could not open output file '%s'", output_path_);
    return result;
  }
  file_opened_ = !(output_->oformat->flags & AVFMT_NOFILE);
  if (const int result = avformat_write_header(output_.get(), nullptr); result < 0) {
    log_error("Error occurred when opening output file\n");
    return result;
  }
  header_written_ = true;
  return 0;
}

int Remuxer::finish(int result) {
  const bool succeeded = result >= 0 || result == AVERROR_EOF;
  int ending = header_written_ ? av_write_trailer(output_.get()) : 0;
  const int closing = output_.close();
  if (ending >= 0) ending = closing;
  const int final_result = succeeded && ending < 0 ? ending : result;
  if (final_result < 0 && final_result != AVERROR_EOF) remove_output();
  return final_result;
}

void Remuxer::remove_output() {
  if (!file_opened_) return;
  file_opened_ = false;
  const char *path = output_path_;
  if (std::strncmp(path, "file:", 5) == 0) {
    path += 5;
  } else if (avio_find_protocol_name(path) && std::strcmp(avio_find_protocol_name(path), "file") != 0) {
    return;
  }
  std::remove(path);
}

int conclude(int result) {
  if (result >= 0 || result == AVERROR_EOF) return CINELOCK_OK;
  log_failure(result);
  return CINELOCK_FAILED;
}

}  // namespace cinelock
