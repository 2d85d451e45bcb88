// Which input streams a protected video carries, and how its header
// stream is recognised.
#ifndef CINELOCK_STREAM_KINDS_H
#define CINELOCK_STREAM_KINDS_H

extern "C" {
#include <libavformat/avformat.h>
}

namespace cinelock {

// Video, audio and subtitle streams are copied; every other kind is left out.
inline bool is_carried(const AVStream *stream) {
  const AVMediaType type = stream->codecpar->codec_type;
  return type == AVMEDIA_TYPE_VIDEO || type == AVMEDIA_TYPE_AUDIO || type == AVMEDIA_TYPE_SUBTITLE;
}

// A data stream of codec AV_CODEC_ID_BIN_DATA marks a file as protected.
inline bool is_header_stream(const AVStream *stream) {
  return stream->codecpar->codec_type == AVMEDIA_TYPE_DATA &&
         stream->codecpar->codec_id == AV_CODEC_ID_BIN_DATA;
}

// The index of the header stream (the last one when there are several),
// or -1.
inline int find_header_stream(const AVFormatContext *media) {
  for (int i = static_cast<int>(media->nb_streams) - 1; i >= 0; --i)
    if (is_header_stream(media->streams[i])) return i;
  return -1;
}

}  // namespace cinelock

#endif
