// The stored form of a protected video, packet by packet against its
// source, with the keystream of every sealed packet taken from OpenSSL.
#include <gtest/gtest.h>

#include <memory>

#include "protected_clips.h"
#include "support/oracle.h"

extern "C" {
#include <libavcodec/codec_id.h>
#include <libavutil/avutil.h>
}

namespace folio_test {
namespace {

using media::MediaFile;
using media::PacketInfo;

class StoredForm : public ::testing::Test {
 protected:
  // One source for the suite: 3 s at 25 fps without B-frames, so decode
  // times are exactly 0.00, 0.04, ..., with sound and subtitles.
  static void SetUpTestSuite() {
    dir_ = std::make_unique<ScratchDir>();
    media::ClipOptions options;
    options.seconds = 3;
    options.fps = 25;
    options.b_frames = 0;
    options.subtitles = true;
    if (!make_clip_in(*dir_, "source.mp4", options)) return;
    if (protect(dir_->path("source.mp4"), dir_->path("protected.mp4")) != 0) return;
    source_ = std::make_unique<MediaFile>(media::read_media(dir_->path("source.mp4")));
    stored_ = std::make_unique<MediaFile>(media::read_media(dir_->path("protected.mp4")));
  }
  static void TearDownTestSuite() {
    source_.reset();
    stored_.reset();
    dir_.reset();
  }
  void SetUp() override { ASSERT_TRUE(stored_) << "the source could not be made or protected"; }

  static std::unique_ptr<ScratchDir> dir_;
  static std::unique_ptr<MediaFile> source_;
  static std::unique_ptr<MediaFile> stored_;
};

std::unique_ptr<ScratchDir> StoredForm::dir_;
std::unique_ptr<MediaFile> StoredForm::source_;
std::unique_ptr<MediaFile> StoredForm::stored_;

TEST_F(StoredForm, HeaderStreamComesFirstAndHoldsTheBlockVerbatim) {
  ASSERT_EQ(stored_->streams.size(), source_->streams.size() + 1);
  EXPECT_EQ(stored_->streams[0].media_type, AVMEDIA_TYPE_DATA);
  EXPECT_EQ(stored_->streams[0].codec_id, AV_CODEC_ID_BIN_DATA);
  for (std::size_t i = 0; i < source_->streams.size(); ++i)
    EXPECT_EQ(stored_->streams[i + 1].media_type, source_->streams[i].media_type) << "stream " << i;

  int header_packets = 0;
  for (const auto &packet : stored_->packets) {
    if (packet.stream != 0) continue;
    ++header_packets;
    EXPECT_EQ(packet.data, test_header_block());
  }
  EXPECT_EQ(header_packets, 1);
}

TEST_F(StoredForm, VideoPacketsPastTheLeadInAreSealedAtTheirDecodeTime) {
  const auto source = packets_of(*source_, AVMEDIA_TYPE_VIDEO);
  const auto stored = packets_of(*stored_, AVMEDIA_TYPE_VIDEO);
  const media::StreamInfo &stream = *first_stream(*stored_, AVMEDIA_TYPE_VIDEO);
  ASSERT_EQ(stored.size(), source.size());
  ASSERT_EQ(source.size(), 75u);

  int clear = 0;
  for (std::size_t i = 0; i < stored.size(); ++i) {
    SCOPED_TRACE("video packet " + std::to_string(i) + " at " +
                 std::to_string(seconds(stored[i].dts, stream)) + " s");
    if (seconds(stored[i].dts, stream) < 1.5) {
      ++clear;
      EXPECT_EQ(stored[i].data, source[i].data);
      continue;
    }
    ASSERT_EQ(stored[i].data.size(), source[i].data.size() + 8);
    EXPECT_EQ(trailer_offset(stored[i]), stored[i].dts);
    const Bytes body(stored[i].data.begin(), stored[i].data.end() - 8);
    EXPECT_EQ(oracle::aes_ctr(test_key(), test_nonce(), static_cast<std::uint64_t>(stored[i].dts), body),
              source[i].data);
  }
  // 0.00 .. 1.48 s stay clear: 1.48 rounds to 1 second, 1.52 to 2.
  EXPECT_EQ(clear, 38);
}

TEST_F(StoredForm, SoundAndSubtitlePacketsAreUnchanged) {
  for (const int type : {AVMEDIA_TYPE_AUDIO, AVMEDIA_TYPE_SUBTITLE}) {
    const auto source = packets_of(*source_, type);
    const auto stored = packets_of(*stored_, type);
    ASSERT_FALSE(source.empty()) << "media type " << type;
    ASSERT_EQ(stored.size(), source.size()) << "media type " << type;
    for (std::size_t i = 0; i < source.size(); ++i)
      EXPECT_EQ(stored[i].data, source[i].data) << "media type " << type << ", packet " << i;
  }
}

TEST(ClearLeadIn, ClipOfOneSecondHasNoSealedPacket) {
  ScratchDir dir;
  media::ClipOptions options;
  options.seconds = 1;
  options.b_frames = 0;
  ASSERT_TRUE(make_clip_in(dir, "short.mp4", options));
  ASSERT_EQ(protect(dir.path("short.mp4"), dir.path("protected.mp4")), 0);
  const auto source = packets_of(media::read_media(dir.path("short.mp4")), AVMEDIA_TYPE_VIDEO);
  const auto stored = packets_of(media::read_media(dir.path("protected.mp4")), AVMEDIA_TYPE_VIDEO);
  ASSERT_EQ(stored.size(), source.size());
  for (std::size_t i = 0; i < source.size(); ++i) EXPECT_EQ(stored[i].data, source[i].data) << i;
}

}  // namespace
}  // namespace folio_test
