// Protecting and restoring gives back the source's packets and pictures,
// for the kinds of media a host hands the library.
#include <gtest/gtest.h>

#include <algorithm>

#include "protected_clips.h"
#include "support/media/same_pictures.h"

extern "C" {
#include <libavcodec/codec_id.h>
#include <libavutil/avutil.h>
}

namespace folio_test {
namespace {

struct Variant {
  const char *name;
  const char *source;    // file name, container from its extension
  const char *restored;  // the same for the restored file
  // Whether the restored packets carry the source's bitstream unchanged
  // (false where a container change turns H.264 start codes into lengths).
  bool same_bitstream;
  media::ClipOptions options;
  // Pictures the restored file may show past the source's last one: with
  // variable frame rate the source's edit list hides its final picture,
  // and a re-muxed MP4 (ours or any stream copy) ends at the last sample.
  std::size_t extra_pictures_allowed = 0;
};

media::ClipOptions clip(void (*adjust)(media::ClipOptions &)) {
  media::ClipOptions options;
  options.seconds = 2.5;
  adjust(options);
  return options;
}

const Variant kVariants[] = {
    {"h264_b_frames_aac", "in.mp4", "out.mp4", true, clip([](media::ClipOptions &) {})},
    {"h264_30fps_mp2", "in.mp4", "out.mp4", true, clip([](media::ClipOptions &o) {
       o.fps = 30;
       o.audio = media::AudioCodec::mp2;
     })},
    {"restored_to_ts", "in.mp4", "out.ts", false, clip([](media::ClipOptions &o) {
       o.audio = media::AudioCodec::mp2;
     })},
    {"ts_source_start_codes", "in.ts", "out.mp4", false, clip([](media::ClipOptions &o) {
       o.audio = media::AudioCodec::mp2;
     })},
    {"mpeg4_variable_frame_rate", "in.mp4", "out.mp4", true, clip([](media::ClipOptions &o) {
       o.video = media::VideoCodec::mpeg4;
       o.variable_frame_rate = true;
     }), 1},
    {"video_only", "in.mp4", "out.mp4", true, clip([](media::ClipOptions &o) {
       o.audio = media::AudioCodec::none;
     })},
    {"audio_only", "in.mp4", "out.mp4", true, clip([](media::ClipOptions &o) {
       o.video = media::VideoCodec::none;
     })},
    {"subtitles", "in.mp4", "out.mp4", true, clip([](media::ClipOptions &o) { o.subtitles = true; })},
};

// Timestamps compared as offsets from the stream's first one: a container
// change may move the whole stream (MPEG-TS starts at 1.4 s).
std::int64_t from_first(std::int64_t timestamp, std::int64_t first) {
  return timestamp == AV_NOPTS_VALUE || first == AV_NOPTS_VALUE ? timestamp : timestamp - first;
}

class RoundTrip : public ::testing::TestWithParam<Variant> {};

TEST_P(RoundTrip, RestoredFileHasTheSourcePacketsAndPictures) {
  const Variant &variant = GetParam();
  ScratchDir dir;
  ASSERT_TRUE(make_clip_in(dir, variant.source, variant.options));
  const std::string source = dir.path(variant.source);
  const std::string sealed = dir.path("sealed.mp4");
  const std::string restored = dir.path(std::string("restored-") + variant.restored);
  ASSERT_EQ(protect(source, sealed), 0);
  ASSERT_EQ(restore(sealed, restored), 0);

  const media::MediaFile in = media::read_media(source);
  const media::MediaFile out = media::read_media(restored);
  ASSERT_EQ(out.streams.size(), in.streams.size()) << "the header stream must be gone";
  for (std::size_t s = 0; s < in.streams.size(); ++s) {
    const int type = in.streams[s].media_type;
    ASSERT_EQ(out.streams[s].media_type, type);
    const auto expected = packets_of(in, type);
    const auto actual = packets_of(out, type);
    ASSERT_EQ(actual.size(), expected.size()) << "media type " << type;
    const bool same_bytes = variant.same_bitstream || type != AVMEDIA_TYPE_VIDEO;
    for (std::size_t i = 0; i < expected.size(); ++i) {
      SCOPED_TRACE("media type " + std::to_string(type) + ", packet " + std::to_string(i));
      if (same_bytes) {
        EXPECT_EQ(actual[i].data, expected[i].data);
      }
      const std::int64_t actual_first = actual[0].dts;
      const std::int64_t expected_first = expected[0].dts;
      for (const auto member : {&media::PacketInfo::dts, &media::PacketInfo::pts}) {
        const std::int64_t got = from_first(actual[i].*member, actual_first);
        const std::int64_t want = from_first(expected[i].*member, expected_first);
        if (variant.same_bitstream) {
          EXPECT_TRUE(same_instant(got, out.streams[s], want, in.streams[s]));
        } else {
          // Another container's time base rounds each time by up to a tick.
          EXPECT_NEAR(seconds(got, out.streams[s]), seconds(want, in.streams[s]), 1e-4);
        }
      }
    }
  }
  if (variant.options.video != media::VideoCodec::none) {
    const auto pictures = media::decoded_frame_digests(source);
    EXPECT_FALSE(pictures.empty());
    EXPECT_TRUE(media::same_pictures(media::decoded_frame_digests(restored), pictures,
                                     variant.extra_pictures_allowed));
  }
}

INSTANTIATE_TEST_SUITE_P(Clips, RoundTrip, ::testing::ValuesIn(kVariants),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(RoundTripKeys, EveryAcceptedKeySizeRestoresWhatItSealed) {
  ScratchDir dir;
  media::ClipOptions options;
  options.seconds = 2.2;
  options.audio = media::AudioCodec::none;
  ASSERT_TRUE(make_clip_in(dir, "in.mp4", options));
  const auto pictures = media::decoded_frame_digests(dir.path("in.mp4"));
  for (const int keybits : {128, 192}) {
    SCOPED_TRACE(keybits);
    const std::string sealed = dir.path("sealed" + std::to_string(keybits) + ".mp4");
    const std::string restored = dir.path("restored" + std::to_string(keybits) + ".mp4");
    ASSERT_EQ(protect(dir.path("in.mp4"), sealed, keybits), 0);
    ASSERT_EQ(restore(sealed, restored, keybits), 0);
    EXPECT_TRUE(media::same_pictures(media::decoded_frame_digests(restored), pictures));
  }
}

}  // namespace
}  // namespace folio_test
