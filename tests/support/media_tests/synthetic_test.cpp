#include <gtest/gtest.h>

#include "support/media/media_fixtures.h"
#include "support/media/media_probe.h"
#include "support/scratch_dir.h"

extern "C" {
#include <libavcodec/codec_id.h>
#include <libavutil/avutil.h>
}

namespace {

using folio_test::ScratchDir;
using namespace folio_test::media;

constexpr std::int64_t unset = INT64_MIN;
constexpr std::int64_t wrap = std::int64_t{1} << 33;  // MPEG-TS time stamps are 33 bits

SyntheticStream stream_of(SyntheticStream::Kind kind, int codec_id, int time_base_den) {
  SyntheticStream stream;
  stream.kind = kind;
  stream.codec_id = codec_id;
  stream.time_base_den = time_base_den;
  return stream;
}

SyntheticPacket packet_of(int stream, std::int64_t pts, std::int64_t dts, std::vector<std::uint8_t> data) {
  SyntheticPacket packet;
  packet.stream = stream;
  packet.pts = pts;
  packet.dts = dts;
  packet.data = std::move(data);
  return packet;
}

// Packets of one stream, in the order read.
std::vector<PacketInfo> packets_of(const MediaFile &file, int stream) {
  std::vector<PacketInfo> out;
  for (const PacketInfo &packet : file.packets) {
    if (packet.stream == stream) out.push_back(packet);
  }
  return out;
}

std::string describe(std::int64_t time) { return time == unset ? "unset" : std::to_string(time); }

void expect_same_packets(const std::vector<SyntheticPacket> &written, const std::vector<PacketInfo> &read,
                         std::int64_t time_scale) {
  ASSERT_EQ(read.size(), written.size());
  for (std::size_t i = 0; i < written.size(); ++i) {
    const auto scaled = [&](std::int64_t t) { return t == unset ? unset : t * time_scale; };
    EXPECT_EQ(describe(read[i].pts), describe(scaled(written[i].pts))) << "pts of packet " << i;
    EXPECT_EQ(describe(read[i].dts), describe(scaled(written[i].dts))) << "dts of packet " << i;
    EXPECT_EQ(read[i].data, written[i].data) << "bytes of packet " << i;
  }
}

TEST(SyntheticTimestamps, DataStreamsKeepBytesAndOddTimesInWrittenOrder) {
  ScratchDir dir;
  const std::string path = dir.path(std::string("data") + synthetic_container_extension());
  const std::vector<SyntheticStream> streams = {
      stream_of(SyntheticStream::Kind::data, AV_CODEC_ID_BIN_DATA, 90000),
      stream_of(SyntheticStream::Kind::data, 0, 90000)};
  const std::vector<SyntheticPacket> packets = {
      packet_of(0, unset, unset, {1, 2, 3}),
      packet_of(1, -900, -900, {4}),
      packet_of(1, 0, 0, {5, 6}),
      packet_of(1, 0, 0, {7, 8}),          // repeated
      packet_of(1, unset, unset, {9}),     // unset
      packet_of(1, 1800, 900, {10}),       // shown after it is decoded
      packet_of(1, 450, 450, {11, 12}),    // falling
      packet_of(0, 2700, 2700, {13, 14, 15})};
  write_synthetic(path, streams, packets);
  const MediaFile file = read_media(path);

  ASSERT_EQ(file.streams.size(), 2u);
  EXPECT_EQ(file.streams[0].media_type, AVMEDIA_TYPE_DATA);
  EXPECT_EQ(file.streams[0].codec_id, AV_CODEC_ID_BIN_DATA);
  EXPECT_EQ(file.streams[1].media_type, AVMEDIA_TYPE_DATA);
  EXPECT_EQ(file.streams[1].codec_id, AV_CODEC_ID_SMPTE_KLV);
  ASSERT_EQ(file.packets.size(), packets.size());
  for (std::size_t i = 0; i < packets.size(); ++i) EXPECT_EQ(file.packets[i].stream, packets[i].stream) << i;
  expect_same_packets(packets, file.packets, 1);
}

TEST(SyntheticTimestamps, H264VideoKeepsRepeatedFallingNegativeAndUnsetDecodeTimes) {
  ScratchDir dir;
  const SyntheticVideoPayloads payloads = synthetic_video_payloads(dir.path("source.ts"), 8);
  if (payloads.codec_id != AV_CODEC_ID_H264) GTEST_SKIP() << "libx264 missing; MPEG-4 loses unset times";
  ASSERT_EQ(payloads.pictures.size(), 8u);

  const std::string path = dir.path(std::string("video") + synthetic_container_extension());
  const std::vector<SyntheticStream> streams = {stream_of(SyntheticStream::Kind::video, 0, 1000)};
  const std::int64_t times_ms[8][2] = {{-80, -80}, {-40, -40}, {0, 0},    {0, 0},
                                       {unset, unset}, {40, 40}, {20, 20}, {120, 80}};
  std::vector<SyntheticPacket> packets;
  for (std::size_t i = 0; i < 8; ++i) {
    packets.push_back(packet_of(0, times_ms[i][0], times_ms[i][1], payloads.pictures[i]));
  }
  write_synthetic(path, streams, packets);
  const MediaFile file = read_media(path);

  ASSERT_EQ(file.streams.size(), 1u);
  EXPECT_EQ(file.streams[0].codec_id, AV_CODEC_ID_H264);
  ASSERT_EQ(file.streams[0].time_base_den, 90000);
  expect_same_packets(packets, packets_of(file, 0), 90);
}

TEST(SyntheticTimestampLimits, FormatLimitsAreAsDocumented) {
  ScratchDir dir;
  const std::string path = dir.path(std::string("limits") + synthetic_container_extension());
  const std::vector<SyntheticStream> streams = {stream_of(SyntheticStream::Kind::data, 0, 90000)};
  write_synthetic(path, streams,
                  {packet_of(0, 0, 0, {1}),
                   packet_of(0, -900, -900, {2}),
                   packet_of(0, 1800, unset, {3}),
                   packet_of(0, unset, 2700, {4})});
  const std::vector<PacketInfo> read = packets_of(read_media(path), 0);

  ASSERT_EQ(read.size(), 4u);
  // The file starts at 0, so a negative time reads as its 33-bit wrap.
  EXPECT_EQ(read[1].dts, wrap - 900);
  // A presentation time alone stands for both; a decode time alone is lost.
  EXPECT_EQ(read[2].pts, 1800);
  EXPECT_EQ(read[2].dts, 1800);
  EXPECT_EQ(read[3].pts, unset);
  EXPECT_EQ(read[3].dts, unset);
}

TEST(SyntheticRefusals, SubtitlesWrongNameAndUndeclaredStreamsThrow) {
  ScratchDir dir;
  const std::string path = dir.path(std::string("x") + synthetic_container_extension());
  const std::vector<SyntheticStream> data = {stream_of(SyntheticStream::Kind::data, 0, 1000)};

  EXPECT_THROW(write_synthetic(path, {stream_of(SyntheticStream::Kind::subtitle, 0, 1000)},
                               {packet_of(0, 0, 0, {1})}),
               std::runtime_error);
  EXPECT_THROW(write_synthetic(dir.path("x.mkv"), data, {packet_of(0, 0, 0, {1})}), std::runtime_error);
  EXPECT_THROW(write_synthetic(path, data, {packet_of(1, 0, 0, {1})}), std::runtime_error);
}

}  // namespace
