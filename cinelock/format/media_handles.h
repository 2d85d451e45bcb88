// Owners for FFmpeg's demuxer, muxer and packet objects, so that every
// path out of a format function closes what it opened.
#ifndef CINELOCK_MEDIA_HANDLES_H
#define CINELOCK_MEDIA_HANDLES_H

#include "format/file_output.h"

extern "C" {
#include <libavcodec/packet.h>
#include <libavformat/avformat.h>
}

namespace cinelock {

class InputMedia {
 public:
  InputMedia() = default;
  ~InputMedia() { avformat_close_input(&context_); }
  InputMedia(const InputMedia &) = delete;
  InputMedia &operator=(const InputMedia &) = delete;

  // avformat_open_input with no forced format and no options.
  int open(const char *path) { return avformat_open_input(&context_, path, nullptr, nullptr); }
  AVFormatContext *get() const { return context_; }
  AVFormatContext *operator->() const { return context_; }

 private:
  AVFormatContext *context_ = nullptr;
};

class OutputMedia {
 public:
  OutputMedia() = default;
  ~OutputMedia() { close(); }
  OutputMedia(const OutputMedia &) = delete;
  OutputMedia &operator=(const OutputMedia &) = delete;

  // The muxer the file name selects; false when FFmpeg knows none.
  bool allocate(const char *path) {
    avformat_alloc_output_context2(&context_, nullptr, nullptr, path);
    return context_ != nullptr;
  }
  // Opens the file unless the format writes none.
  int open_file(const char *path) {
    if (context_->oformat->flags & AVFMT_NOFILE) return 0;
    return open_file_output(path, &context_->pb);
  }
  // Closes the file (flushing what is buffered) and frees the muxer; the
  // result of the close, so that a failing final flush is seen.
  int close() {
    int result = 0;
    if (context_ && !(context_->oformat->flags & AVFMT_NOFILE)) result = close_file_output(&context_->pb);
    avformat_free_context(context_);
    context_ = nullptr;
    return result;
  }
  AVFormatContext *get() const { return context_; }
  AVFormatContext *operator->() const { return context_; }

 private:
  AVFormatContext *context_ = nullptr;
};

class Packet {
 public:
  Packet() : packet_(av_packet_alloc()) {}
  ~Packet() { av_packet_free(&packet_); }
  Packet(const Packet &) = delete;
  Packet &operator=(const Packet &) = delete;

  explicit operator bool() const { return packet_ != nullptr; }
  AVPacket *get() const { return packet_; }
  AVPacket *operator->() const { return packet_; }

 private:
  AVPacket *packet_;
};

}  // namespace cinelock

#endif
