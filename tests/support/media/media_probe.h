// Reading media files back for assertions: streams, packets as stored,
// and digests of decoded frames.
#ifndef FOLIO_TEST_MEDIA_PROBE_H
#define FOLIO_TEST_MEDIA_PROBE_H

#include <cstdint>
#include <string>
#include <vector>

struct AVFrame;

namespace folio_test::media {

struct StreamInfo {
  int index = 0;
  int media_type = 0;   // AVMediaType
  int codec_id = 0;     // AVCodecID
  int time_base_num = 0;
  int time_base_den = 1;
  std::vector<std::uint8_t> extradata;  // the codec's global header, if any
};

struct PacketInfo {
  int stream = 0;
  std::int64_t pts = INT64_MIN;
  std::int64_t dts = INT64_MIN;
  std::int64_t duration = 0;
  bool key = false;
  std::vector<std::uint8_t> data;
};

struct MediaFile {
  std::vector<StreamInfo> streams;
  std::vector<PacketInfo> packets;   // in file order, as av_read_frame returns them
  std::int64_t duration_us = INT64_MIN;
};

// Throws std::runtime_error when the file cannot be opened or read.
MediaFile read_media(const std::string &path);

// One digest (MD5, hex) per decoded picture of the first video stream, in
// presentation order, of the raw pixel planes. Decoding is exact, so equal
// packets give equal digests. Each plane contributes its visible rows
// only: width in bytes per row (no line padding), chroma planes with the
// format's subsampled height rounded up. Decoding is single-threaded.
// Throws std::runtime_error when there is no video stream or a packet
// does not decode.
std::vector<std::string> decoded_frame_digests(const std::string &path);

// The digest decoded_frame_digests gives one decoded picture (an AVFrame).
std::string picture_md5(const AVFrame *frame);

// Decoded samples of the first audio stream, interleaved as the decoder
// gives them (bytes of all planes in order).
// Per decoded frame: for planar formats every channel's plane in turn, for
// packed formats the interleaved samples; in the decoder's own sample
// format (FFmpeg's AAC decoder: 32-bit float). Throws std::runtime_error
// when there is no audio stream or a packet does not decode.
std::vector<std::uint8_t> decoded_audio(const std::string &path);

}  // namespace folio_test::media

#endif
