// The text subtitle stream of a generated clip: cue n ("Cue n") shows from
// second n for 800 ms. mov_text where the container takes it (MP4 family),
// else SubRip (Matroska), else plain UTF-8 text (NUT).
#ifndef FOLIO_TEST_MEDIA_CLIP_SUBTITLES_H
#define FOLIO_TEST_MEDIA_CLIP_SUBTITLES_H

#include <string>

#include "support/media/av_handles.h"
#include "support/media/clip_track.h"
#include "support/media/media_fixtures.h"

namespace folio_test::media {

constexpr int clip_cue_milliseconds = 800;
std::string clip_cue_text(int cue);

class SubtitleClipTrack : public ClipTrack {
 public:
  // Adds the stream to output; throws std::runtime_error for containers
  // without text subtitles (MPEG-TS among them).
  SubtitleClipTrack(AVFormatContext *output, const ClipOptions &options);

  bool finished() const override { return next_cue_ >= cue_count_; }
  double next_time_seconds() const override { return next_cue_; }
  void write_next() override;
  void finish() override {}

 private:
  AVFormatContext *output_;
  CodecContextPtr encoder_;
  AVStream *stream_ = nullptr;
  PacketPtr packet_;
  int cue_count_ = 0;
  int next_cue_ = 0;
};

}  // namespace folio_test::media

#endif
