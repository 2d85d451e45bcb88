#include "video/media_source_check.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include "video/media_log.h"
#include "commands/messages.h"
#include "video/video_container.h"

namespace folio_host {

namespace {

class OpenedMedia {
 public:
  explicit OpenedMedia(const std::string &path) {
    if (avformat_open_input(&context_, ffmpeg_file_url(path).c_str(), nullptr, nullptr) < 0) {
      context_ = nullptr;
      return;
    }
    if (avformat_find_stream_info(context_, nullptr) < 0) avformat_close_input(&context_);
  }
  ~OpenedMedia() {
    if (context_) avformat_close_input(&context_);
  }
  OpenedMedia(const OpenedMedia &) = delete;
  OpenedMedia &operator=(const OpenedMedia &) = delete;

  const AVFormatContext *get() const { return context_; }

 private:
  AVFormatContext *context_ = nullptr;
};

bool has_kept_stream(const AVFormatContext &media) {
  for (unsigned i = 0; i < media.nb_streams; ++i) {
    const AVMediaType type = media.streams[i]->codecpar->codec_type;
    if (type == AVMEDIA_TYPE_VIDEO || type == AVMEDIA_TYPE_AUDIO || type == AVMEDIA_TYPE_SUBTITLE)
      return true;
  }
  return false;
}

}  // namespace

void check_media_source(const std::string &path) {
  const MediaLogSilenced quiet;
  const OpenedMedia media(path);
  if (!media.get()) throw Failure(path, "is not a media file FFmpeg can read");
  if (!has_kept_stream(*media.get()))
    throw Failure(path, "holds no video, audio or subtitle stream");
}

}  // namespace folio_host
