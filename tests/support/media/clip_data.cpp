#include "support/media/clip_data.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>

#include "support/media/av_error.h"

namespace folio_test::media {

namespace {

constexpr int packet_interval_ms = 1000 / clip_data_packets_per_second;

// Universal label of a local set (SMPTE 336M); any registered-looking key
// does, nothing interprets the value.
constexpr std::uint8_t klv_key[16] = {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x0B, 0x01, 0x01,
                                      0x0E, 0x01, 0x03, 0x01, 0x01, 0x00, 0x00, 0x00};

}  // namespace

std::vector<std::uint8_t> clip_data_packet(int packet_number) {
  const std::string value = "data packet " + std::to_string(packet_number);
  std::vector<std::uint8_t> bytes(std::begin(klv_key), std::end(klv_key));
  bytes.push_back(static_cast<std::uint8_t>(value.size()));  // short-form BER, under 128
  bytes.insert(bytes.end(), value.begin(), value.end());
  return bytes;
}

DataClipTrack::DataClipTrack(AVFormatContext *output, const ClipOptions &options) : output_(output) {
  // 0 is a definite no; MPEG-TS answers "unknown" yet stores KLV.
  if (avformat_query_codec(output->oformat, AV_CODEC_ID_SMPTE_KLV, FF_COMPLIANCE_NORMAL) == 0) {
    throw std::runtime_error(std::string("the ") + output->oformat->name +
                             " container cannot store a KLV data stream; use .ts");
  }
  stream_ = avformat_new_stream(output, nullptr);
  if (!stream_) throw std::runtime_error("cannot add a data stream");
  stream_->codecpar->codec_type = AVMEDIA_TYPE_DATA;
  stream_->codecpar->codec_id = AV_CODEC_ID_SMPTE_KLV;
  stream_->time_base = milliseconds;
  packet_count_ = std::max(1, static_cast<int>(std::lround(options.seconds * clip_data_packets_per_second)));
  packet_ = make_packet();
}

double DataClipTrack::next_time_seconds() const { return next_packet_ * packet_interval_ms / 1000.0; }

void DataClipTrack::write_next() {
  const std::vector<std::uint8_t> bytes = clip_data_packet(next_packet_);
  check_av(av_new_packet(packet_.get(), static_cast<int>(bytes.size())), "allocating a data packet");
  std::memcpy(packet_->data, bytes.data(), bytes.size());
  const std::int64_t time_ms = std::int64_t{next_packet_} * packet_interval_ms;
  packet_->pts = time_ms;
  packet_->dts = time_ms;
  packet_->duration = packet_interval_ms;
  packet_->flags |= AV_PKT_FLAG_KEY;
  av_packet_rescale_ts(packet_.get(), milliseconds, stream_->time_base);
  packet_->stream_index = stream_->index;
  check_av(av_interleaved_write_frame(output_, packet_.get()), "muxing a data packet");
  ++next_packet_;
}

}  // namespace folio_test::media
