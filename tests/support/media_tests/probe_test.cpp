#include <gtest/gtest.h>

#include <stdexcept>

#include "support/media/media_fixtures.h"
#include "support/media/media_probe.h"
#include "support/oracle.h"
#include "support/scratch_dir.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {

using folio_test::ScratchDir;
using namespace folio_test::media;

// A Matroska file of YUV 4:2:0 pictures whose bytes the test chose,
// encoded losslessly (FFV1) straight through libavcodec and libavformat, so
// the probe is checked against known pixels rather than against the
// generator. FFV1's decoder hands out pictures with padded rows, which the
// digest must skip.
void write_lossless_pictures(const std::string &path, int width, int height,
                             const std::vector<std::vector<std::uint8_t>> &pictures) {
  const AVCodec *codec = avcodec_find_encoder(AV_CODEC_ID_FFV1);
  ASSERT_NE(codec, nullptr);
  AVCodecContext *encoder = avcodec_alloc_context3(codec);
  encoder->width = width;
  encoder->height = height;
  encoder->pix_fmt = AV_PIX_FMT_YUV420P;
  encoder->time_base = AVRational{1, 25};
  encoder->thread_count = 1;
  encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  ASSERT_GE(avcodec_open2(encoder, codec, nullptr), 0);

  AVFormatContext *output = nullptr;
  ASSERT_GE(avformat_alloc_output_context2(&output, nullptr, nullptr, path.c_str()), 0);
  AVStream *stream = avformat_new_stream(output, nullptr);
  ASSERT_NE(stream, nullptr);
  stream->time_base = encoder->time_base;
  ASSERT_GE(avcodec_parameters_from_context(stream->codecpar, encoder), 0);
  ASSERT_GE(avio_open(&output->pb, path.c_str(), AVIO_FLAG_WRITE), 0);
  ASSERT_GE(avformat_write_header(output, nullptr), 0);

  AVFrame *frame = av_frame_alloc();
  AVPacket *packet = av_packet_alloc();
  const int chroma_width = (width + 1) / 2;
  const int chroma_height = (height + 1) / 2;
  for (std::size_t n = 0; n <= pictures.size(); ++n) {
    AVFrame *to_send = nullptr;
    if (n < pictures.size()) {
      frame->format = encoder->pix_fmt;
      frame->width = width;
      frame->height = height;
      ASSERT_GE(av_frame_get_buffer(frame, 0), 0);
      // The picture's bytes are the planes one after another, rows unpadded.
      const std::uint8_t *from = pictures[n].data();
      for (int plane = 0; plane < 3; ++plane) {
        const int plane_width = plane == 0 ? width : chroma_width;
        const int plane_height = plane == 0 ? height : chroma_height;
        for (int row = 0; row < plane_height; ++row, from += plane_width) {
          std::copy(from, from + plane_width, frame->data[plane] + row * frame->linesize[plane]);
        }
      }
      frame->pts = static_cast<std::int64_t>(n);
      to_send = frame;
    }
    ASSERT_GE(avcodec_send_frame(encoder, to_send), 0);
    av_frame_unref(frame);
    while (avcodec_receive_packet(encoder, packet) >= 0) {
      av_packet_rescale_ts(packet, encoder->time_base, stream->time_base);
      packet->stream_index = 0;
      ASSERT_GE(av_interleaved_write_frame(output, packet), 0);
    }
  }
  ASSERT_GE(av_write_trailer(output), 0);
  av_packet_free(&packet);
  av_frame_free(&frame);
  avio_closep(&output->pb);
  avformat_free_context(output);
  avcodec_free_context(&encoder);
}

std::vector<std::uint8_t> picture_bytes(std::size_t size, int seed) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + static_cast<std::size_t>(seed) * 31);
  return bytes;
}

TEST(ProbeFrameDigests, AreMd5OfTheVisiblePlaneBytes) {
  ScratchDir dir;
  // 6x5: rows far narrower than the decoder's row alignment, and an odd
  // height whose chroma planes have ceil(5 / 2) = 3 rows: 30 + 9 + 9 bytes.
  const int width = 6;
  const int height = 5;
  const std::vector<std::vector<std::uint8_t>> pictures = {picture_bytes(48, 1), picture_bytes(48, 2)};
  write_lossless_pictures(dir.path("pictures.mkv"), width, height, pictures);
  if (HasFatalFailure()) return;

  const std::vector<std::string> digests = decoded_frame_digests(dir.path("pictures.mkv"));
  ASSERT_EQ(digests.size(), 2u);
  EXPECT_EQ(digests[0], folio_test::oracle::md5_hex(pictures[0]));
  EXPECT_EQ(digests[1], folio_test::oracle::md5_hex(pictures[1]));
}

TEST(ProbeReadMedia, ReportsStreamsPacketsAndDuration) {
  ScratchDir dir;
  ClipOptions options;
  options.seconds = 2.0;
  options.width = 64;
  options.height = 48;
  options.video = VideoCodec::mpeg4;
  options.audio = AudioCodec::aac;
  make_clip(dir.path("clip.mkv"), options);
  const MediaFile file = read_media(dir.path("clip.mkv"));

  ASSERT_EQ(file.streams.size(), 2u);
  EXPECT_EQ(file.streams[0].media_type, AVMEDIA_TYPE_VIDEO);
  EXPECT_EQ(file.streams[1].media_type, AVMEDIA_TYPE_AUDIO);
  for (const StreamInfo &stream : file.streams) EXPECT_GT(stream.time_base_num, 0);
  std::size_t video = 0;
  for (const PacketInfo &packet : file.packets) {
    if (packet.stream == 0) ++video;
    EXPECT_FALSE(packet.data.empty());
  }
  EXPECT_EQ(video, 50u);
  EXPECT_NEAR(static_cast<double>(file.duration_us), 2e6, 0.1e6);
}

TEST(ProbeRefusals, MissingFilesAndMissingStreamsThrow) {
  ScratchDir dir;
  EXPECT_THROW(read_media(dir.path("absent.mp4")), std::runtime_error);
  ClipOptions sound_only;
  sound_only.seconds = 0.5;
  sound_only.video = VideoCodec::none;
  make_clip(dir.path("sound.mkv"), sound_only);
  EXPECT_THROW(decoded_frame_digests(dir.path("sound.mkv")), std::runtime_error);
  EXPECT_FALSE(decoded_audio(dir.path("sound.mkv")).empty());
}

}  // namespace
