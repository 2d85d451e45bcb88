// The video stream of a generated clip: the moving test picture encoded
// with libx264 (or MPEG-4 Part 2), one thread, so output is repeatable.
#ifndef FOLIO_TEST_MEDIA_CLIP_VIDEO_H
#define FOLIO_TEST_MEDIA_CLIP_VIDEO_H

#include "support/media/av_handles.h"
#include "support/media/clip_track.h"
#include "support/media/media_fixtures.h"

namespace folio_test::media {

class VideoClipTrack : public ClipTrack {
 public:
  // Adds the stream to output; call before the container header is written.
  VideoClipTrack(AVFormatContext *output, const ClipOptions &options);

  bool finished() const override { return next_frame_ >= frame_count_; }
  double next_time_seconds() const override;
  void write_next() override;
  void finish() override;

 private:
  AVFormatContext *output_;
  CodecContextPtr encoder_;
  AVStream *stream_ = nullptr;
  FramePtr frame_;
  PacketPtr packet_;
  bool variable_frame_rate_;
  bool frame_number_band_;
  long frame_count_;
  long next_frame_ = 0;
  std::int64_t next_pts_ = 0;
};

}  // namespace folio_test::media

#endif
