#include <gtest/gtest.h>

#include <algorithm>
#include <set>

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

ClipOptions one_second_of_video() {
  ClipOptions options;
  options.seconds = 1.0;
  options.width = 64;
  options.height = 48;
  options.fps = 25;
  options.audio = AudioCodec::none;
  return options;
}

std::vector<PacketInfo> video_packets(const MediaFile &file) {
  std::vector<PacketInfo> out;
  for (const PacketInfo &packet : file.packets) {
    if (file.streams[static_cast<std::size_t>(packet.stream)].media_type == AVMEDIA_TYPE_VIDEO) out.push_back(packet);
  }
  return out;
}

TEST(ClipVideoOrder, BFramesPutSomeDecodeTimesBelowPresentationTimes) {
  ScratchDir dir;
  ClipOptions options = one_second_of_video();
  options.b_frames = 2;
  make_clip(dir.path("b.mp4"), options);
  const MediaFile file = read_media(dir.path("b.mp4"));

  ASSERT_EQ(file.streams.size(), 1u);
  EXPECT_EQ(file.streams[0].codec_id, h264_encoder_available() ? AV_CODEC_ID_H264 : AV_CODEC_ID_MPEG4);
  const std::vector<PacketInfo> packets = video_packets(file);
  ASSERT_EQ(packets.size(), 25u);
  const auto reordered = std::count_if(packets.begin(), packets.end(),
                                       [](const PacketInfo &p) { return p.dts < p.pts; });
  EXPECT_GT(reordered, 0);
}

TEST(ClipVideoOrder, WithoutBFramesPresentationFollowsFileOrder) {
  ScratchDir dir;
  ClipOptions options = one_second_of_video();
  options.b_frames = 0;
  make_clip(dir.path("ip.mp4"), options);
  const std::vector<PacketInfo> packets = video_packets(read_media(dir.path("ip.mp4")));

  ASSERT_EQ(packets.size(), 25u);
  for (std::size_t i = 1; i < packets.size(); ++i) EXPECT_GT(packets[i].pts, packets[i - 1].pts) << "packet " << i;
}

TEST(ClipVideoOrder, Mpeg4CanBeForced) {
  ScratchDir dir;
  ClipOptions options = one_second_of_video();
  options.video = VideoCodec::mpeg4;
  make_clip(dir.path("m.ts"), options);
  const MediaFile file = read_media(dir.path("m.ts"));

  ASSERT_EQ(file.streams.size(), 1u);
  EXPECT_EQ(file.streams[0].codec_id, AV_CODEC_ID_MPEG4);
  const std::vector<PacketInfo> packets = video_packets(file);
  EXPECT_EQ(packets.size(), 25u);
  EXPECT_TRUE(std::any_of(packets.begin(), packets.end(), [](const PacketInfo &p) { return p.dts < p.pts; }));
}

TEST(ClipVideoPictures, EveryFrameDecodesAndDiffersFromTheOneBefore) {
  ScratchDir dir;
  make_clip(dir.path("v.mkv"), one_second_of_video());
  const std::vector<std::string> digests = decoded_frame_digests(dir.path("v.mkv"));

  ASSERT_EQ(digests.size(), 25u);
  for (std::size_t i = 1; i < digests.size(); ++i) EXPECT_NE(digests[i], digests[i - 1]) << "frame " << i;
}

TEST(ClipVideoPictures, SameOptionsGiveSamePictures) {
  ScratchDir dir;
  ClipOptions options = one_second_of_video();
  options.video = VideoCodec::mpeg4;
  make_clip(dir.path("first.mp4"), options);
  make_clip(dir.path("second.mp4"), options);
  const std::vector<std::string> first = decoded_frame_digests(dir.path("first.mp4"));

  EXPECT_EQ(first.size(), 25u);
  EXPECT_EQ(first, decoded_frame_digests(dir.path("second.mp4")));
}

// Gaps between consecutive presentation times, in file time base units.
std::set<std::int64_t> presentation_gaps(const std::vector<PacketInfo> &packets) {
  std::vector<std::int64_t> times;
  for (const PacketInfo &packet : packets) times.push_back(packet.pts);
  std::sort(times.begin(), times.end());
  std::set<std::int64_t> gaps;
  for (std::size_t i = 1; i < times.size(); ++i) gaps.insert(times[i] - times[i - 1]);
  return gaps;
}

TEST(ClipVideoFrameRate, VariableRateAlternatesShortAndLongFrames) {
  ScratchDir dir;
  ClipOptions options = one_second_of_video();
  options.variable_frame_rate = true;
  make_clip(dir.path("vfr.mp4"), options);
  const std::set<std::int64_t> gaps = presentation_gaps(video_packets(read_media(dir.path("vfr.mp4"))));

  ASSERT_EQ(gaps.size(), 2u);
  EXPECT_EQ(*gaps.rbegin(), 3 * *gaps.begin());
}

TEST(ClipVideoFrameRate, ConstantRateHasOneFrameInterval) {
  ScratchDir dir;
  make_clip(dir.path("cfr.mp4"), one_second_of_video());
  const MediaFile file = read_media(dir.path("cfr.mp4"));
  const std::set<std::int64_t> gaps = presentation_gaps(video_packets(file));

  ASSERT_EQ(gaps.size(), 1u);
  // One twenty-fifth of a second in the stream's time base.
  EXPECT_EQ(*gaps.begin() * 25 * file.streams[0].time_base_num, file.streams[0].time_base_den);
}

TEST(ClipVideoRefusals, OddPictureSizeAndMissingStreamsThrow) {
  ScratchDir dir;
  ClipOptions odd = one_second_of_video();
  odd.width = 65;
  EXPECT_THROW(make_clip(dir.path("odd.mp4"), odd), std::runtime_error);

  ClipOptions nothing = one_second_of_video();
  nothing.video = VideoCodec::none;
  EXPECT_THROW(make_clip(dir.path("empty.mp4"), nothing), std::runtime_error);
}

}  // namespace
