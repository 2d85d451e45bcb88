// The audio stream of a generated clip: a steady sine tone per channel
// (440 Hz on the first, a fifth higher on each further one), encoded with
// the native AAC encoder or MP2 in the encoder's own frame size.
#ifndef FOLIO_TEST_MEDIA_CLIP_AUDIO_H
#define FOLIO_TEST_MEDIA_CLIP_AUDIO_H

#include <cstdint>

#include "support/media/av_handles.h"
#include "support/media/clip_track.h"
#include "support/media/media_fixtures.h"

namespace folio_test::media {

// Frequency of the tone on channel (0-based) of a generated clip.
double clip_tone_hz(int channel);

class AudioClipTrack : public ClipTrack {
 public:
  // Adds the stream to output; call before the container header is written.
  AudioClipTrack(AVFormatContext *output, const ClipOptions &options);

  bool finished() const override { return next_sample_ >= total_samples_; }
  double next_time_seconds() const override;
  void write_next() override;
  void finish() override;

 private:
  void fill_tone(int samples);

  AVFormatContext *output_;
  CodecContextPtr encoder_;
  AVStream *stream_ = nullptr;
  FramePtr frame_;
  PacketPtr packet_;
  int frame_size_ = 0;
  std::int64_t total_samples_ = 0;
  std::int64_t next_sample_ = 0;
};

}  // namespace folio_test::media

#endif
