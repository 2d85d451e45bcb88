// One stream of a generated clip. The clip writer asks every track for the
// time of its next unit and lets the earliest write, so the muxer's
// interleaving queue stays short.
#ifndef FOLIO_TEST_MEDIA_CLIP_TRACK_H
#define FOLIO_TEST_MEDIA_CLIP_TRACK_H

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace folio_test::media {

// The time base data and subtitle tracks write in.
constexpr AVRational milliseconds{1, 1000};

class ClipTrack {
 public:
  virtual ~ClipTrack() = default;
  virtual bool finished() const = 0;
  virtual double next_time_seconds() const = 0;
  virtual void write_next() = 0;
  // Drains whatever the encoder still holds; called once after the last unit.
  virtual void finish() = 0;
};

// Sends frame (null: end of stream) to the encoder and writes every packet it
// gives back to stream through the interleaving writer.
void encode_and_write(AVCodecContext *encoder, const AVFrame *frame, AVStream *stream,
                      AVFormatContext *output, AVPacket *packet);

// Muxers such as MP4 and Matroska want codec headers out of band.
void request_global_header_if_needed(const AVFormatContext *output, AVCodecContext *encoder);

}  // namespace folio_test::media

#endif
