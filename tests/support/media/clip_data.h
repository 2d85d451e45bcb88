// The data stream of a data-only clip: SMPTE 336M KLV packets (codec
// AV_CODEC_ID_SMPTE_KLV), ten a second. MPEG-TS stores and reads back such
// a stream (as asynchronous KLV metadata); Matroska and MP4 refuse it.
#ifndef FOLIO_TEST_MEDIA_CLIP_DATA_H
#define FOLIO_TEST_MEDIA_CLIP_DATA_H

#include <cstdint>
#include <vector>

#include "support/media/av_handles.h"
#include "support/media/clip_track.h"
#include "support/media/media_fixtures.h"

namespace folio_test::media {

constexpr int clip_data_packets_per_second = 10;

// The bytes of data packet n: a 16-byte universal key, a BER length and a
// value naming n.
std::vector<std::uint8_t> clip_data_packet(int packet_number);

class DataClipTrack : public ClipTrack {
 public:
  DataClipTrack(AVFormatContext *output, const ClipOptions &options);

  bool finished() const override { return next_packet_ >= packet_count_; }
  double next_time_seconds() const override;
  void write_next() override;
  void finish() override {}

 private:
  AVFormatContext *output_;
  AVStream *stream_ = nullptr;
  PacketPtr packet_;
  int packet_count_ = 0;
  int next_packet_ = 0;
};

}  // namespace folio_test::media

#endif
