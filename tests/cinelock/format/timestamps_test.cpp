// Packets with decode times no encoder makes (repeated, unset, going
// back), and a stored packet too short for its trailer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "cinelock.h"
#include "log_capture.h"
#include "protected_clips.h"
#include "support/files.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace folio_test {
namespace {

using media::SyntheticPacket;
using media::SyntheticStream;

constexpr std::int64_t kUnset = AV_NOPTS_VALUE;

// A stream of synthetic pictures at the given decode times (ms; kUnset for
// none), the first a key picture; written to path.
void write_timed_pictures(const ScratchDir &dir, const std::string &path,
                          const std::vector<std::int64_t> &dts,
                          media::SyntheticVideoPayloads &pictures) {
  pictures = media::synthetic_video_payloads(dir.path("pictures.ts"), static_cast<int>(dts.size()));
  ASSERT_EQ(pictures.pictures.size(), dts.size());
  std::vector<SyntheticPacket> packets;
  for (std::size_t i = 0; i < dts.size(); ++i) {
    SyntheticPacket packet;
    packet.dts = dts[i];
    packet.pts = dts[i] == kUnset ? 80 : dts[i];
    packet.key = i == 0;
    packet.data = pictures.pictures[i];
    packets.push_back(packet);
  }
  ASSERT_NO_THROW(media::write_synthetic(
      path, {{SyntheticStream::Kind::video, 1, 1000, pictures.codec_id}}, packets));
}

// A packet without a decode time is given the previous one's plus its
// duration and kept with every other picture.
TEST(DecodeTimes, UnsetTimesAreFilledInAndEveryPictureKept) {
  ScratchDir dir;
  const std::vector<std::int64_t> dts = {0, 40, kUnset, 120, 2000, 2040};
  media::SyntheticVideoPayloads pictures;
  const std::string source = dir.path("source.ts");
  ASSERT_NO_FATAL_FAILURE(write_timed_pictures(dir, source, dts, pictures));
  ASSERT_EQ(protect(source, dir.path("sealed.mp4")), 0);

  const media::MediaFile sealed = media::read_media(dir.path("sealed.mp4"));
  const auto video = packets_of(sealed, AVMEDIA_TYPE_VIDEO);
  const media::StreamInfo &stream = *first_stream(sealed, AVMEDIA_TYPE_VIDEO);
  ASSERT_EQ(video.size(), dts.size());
  for (std::size_t i = 0; i < video.size(); ++i) {
    SCOPED_TRACE(i);
    const bool sealed_packet = video[i].data.size() >= 8 && trailer_offset(video[i]) == video[i].dts;
    EXPECT_EQ(sealed_packet, dts[i] >= 2000);
    // MP4 stores the pictures with length prefixes: their last units match.
    const Bytes &picture = pictures.pictures[i];
    if (!sealed_packet) {
      EXPECT_TRUE(std::equal(picture.end() - 16, picture.end(), video[i].data.end() - 16));
    }
    if (dts[i] != kUnset) {
      EXPECT_NEAR(seconds(video[i].dts, stream), dts[i] / 1000.0, 1e-6);
    }
  }
  // The one without a time comes between 0.04 and 0.12 s.
  EXPECT_GT(seconds(video[2].dts, stream), 0.04);
  EXPECT_LT(seconds(video[2].dts, stream), 0.12);
}

// A repeated or falling decode time (takes joined without re-timing, a
// damaged file) would cost a picture: the protect fails and leaves nothing.
TEST(DecodeTimes, PicturesWhoseTimesGoBackAreRefusedNotDropped) {
  const std::vector<std::vector<std::int64_t>> cases = {
      {0, 40, 40, 80}, {0, 40, 120, 100, 160}, {0, 40, 80, 0, 40}};
  for (const auto &dts : cases) {
    SCOPED_TRACE(testing::PrintToString(dts));
    ScratchDir dir;
    media::SyntheticVideoPayloads pictures;
    const std::string source = dir.path("source.ts");
    ASSERT_NO_FATAL_FAILURE(write_timed_pictures(dir, source, dts, pictures));
    LogCapture log;
    EXPECT_NE(protect(source, dir.path("sealed.mp4")), 0);
    EXPECT_NE(log.text().find("decode times go back"), std::string::npos) << log.text();
    EXPECT_FALSE(file_exists(dir.path("sealed.mp4")));
  }
}

// An MP4 with a header stream and the H.264 video of a real clip: its first
// picture (clear) at 0, then packets of the given sizes at the given decode
// times (ms), written directly: the library itself never stores a sealed
// packet shorter than its trailer.
void write_protected_mp4(const ScratchDir &dir, const std::string &path,
                         const std::vector<std::pair<int, int>> &later) {
  media::ClipOptions options;
  options.seconds = 0.2;
  options.audio = media::AudioCodec::none;
  options.b_frames = 0;
  ASSERT_TRUE(make_clip_in(dir, "clip.mp4", options));
  const media::MediaFile clip = media::read_media(dir.path("clip.mp4"));
  const media::StreamInfo &source = *first_stream(clip, AVMEDIA_TYPE_VIDEO);
  const media::PacketInfo first = packets_of(clip, AVMEDIA_TYPE_VIDEO).front();

  AVFormatContext *output = nullptr;
  ASSERT_GE(avformat_alloc_output_context2(&output, nullptr, nullptr, path.c_str()), 0);
  AVStream *header = avformat_new_stream(output, nullptr);
  header->codecpar->codec_type = AVMEDIA_TYPE_DATA;
  header->codecpar->codec_id = AV_CODEC_ID_BIN_DATA;
  AVStream *stream = avformat_new_stream(output, nullptr);
  stream->codecpar->codec_type = AVMEDIA_TYPE_VIDEO;
  stream->codecpar->codec_id = static_cast<AVCodecID>(source.codec_id);
  stream->codecpar->width = options.width;
  stream->codecpar->height = options.height;
  stream->codecpar->extradata = static_cast<std::uint8_t *>(
      av_mallocz(source.extradata.size() + AV_INPUT_BUFFER_PADDING_SIZE));
  std::memcpy(stream->codecpar->extradata, source.extradata.data(), source.extradata.size());
  stream->codecpar->extradata_size = static_cast<int>(source.extradata.size());
  stream->time_base = {1, 1000};
  ASSERT_GE(avio_open(&output->pb, path.c_str(), AVIO_FLAG_WRITE), 0);
  ASSERT_GE(avformat_write_header(output, nullptr), 0);

  AVPacket *packet = av_packet_alloc();
  ASSERT_GE(av_new_packet(packet, 512), 0);
  packet->stream_index = 0;
  ASSERT_GE(av_write_frame(output, packet), 0);
  av_packet_unref(packet);  // av_write_frame leaves the packet to its caller
  std::vector<std::pair<Bytes, int>> video = {{first.data, 0}};
  for (const auto &[size, at] : later) video.push_back({Bytes(static_cast<std::size_t>(size), 0x5C), at});
  for (const auto &[data, at] : video) {
    ASSERT_GE(av_new_packet(packet, static_cast<int>(data.size())), 0);
    std::memcpy(packet->data, data.data(), data.size());
    packet->stream_index = 1;
    packet->dts = packet->pts = av_rescale_q(at, {1, 1000}, stream->time_base);
    packet->duration = av_rescale_q(40, {1, 1000}, stream->time_base);
    packet->flags = AV_PKT_FLAG_KEY;
    ASSERT_GE(av_interleaved_write_frame(output, packet), 0);
  }
  av_packet_free(&packet);
  ASSERT_GE(av_write_trailer(output), 0);
  avio_closep(&output->pb);
  avformat_free_context(output);
}

TEST(DecodeTimes, SealedPacketTooShortForItsTrailerIsDroppedOnRestore) {
  ScratchDir dir;
  const std::string sealed = dir.path("sealed.mp4");
  write_protected_mp4(dir, sealed, {{5, 2000}, {58, 2040}});
  if (HasFatalFailure()) return;

  ASSERT_EQ(packets_of(media::read_media(sealed), AVMEDIA_TYPE_VIDEO).size(), 3u);
  LogCapture log;
  ASSERT_EQ(restore(sealed, dir.path("restored.mp4")), 0) << log.text();
  EXPECT_TRUE(log.contains("Dropped a protected video packet of 5 bytes: too short for its trailer"))
      << log.text();
  const auto video = packets_of(media::read_media(dir.path("restored.mp4")), AVMEDIA_TYPE_VIDEO);
  ASSERT_EQ(video.size(), 2u) << log.text();
  EXPECT_EQ(video[1].data.size(), 50u) << "trailer removed from the 58-byte packet";
}

}  // namespace
}  // namespace folio_test
