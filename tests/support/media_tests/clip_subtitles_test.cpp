#include <gtest/gtest.h>

#include <string>

#include "support/media/media_fixtures.h"
#include "support/media/media_probe.h"
#include "support/scratch_dir.h"

extern "C" {
#include <libavcodec/codec_id.h>
#include <libavutil/avutil.h>
#include <libavutil/mathematics.h>
}

namespace {

using folio_test::ScratchDir;
using namespace folio_test::media;

ClipOptions three_cues() {
  ClipOptions options;
  options.seconds = 3.0;
  options.video = VideoCodec::none;
  options.audio = AudioCodec::none;
  options.subtitles = true;
  return options;
}

std::string text_of(const PacketInfo &packet) { return std::string(packet.data.begin(), packet.data.end()); }

// The MP4 muxer fills the gaps between mov_text cues with empty samples
// (a 16-bit text length of 0 and no text); those are not cues.
std::vector<PacketInfo> cues_of(const MediaFile &file) {
  std::vector<PacketInfo> cues;
  for (const PacketInfo &packet : file.packets) {
    const bool empty_mov_text = packet.data.size() == 2 && packet.data[0] == 0 && packet.data[1] == 0;
    if (!empty_mov_text) cues.push_back(packet);
  }
  return cues;
}

// Each cue n shows "Cue n" from second n; checks the file holds exactly that.
void expect_a_cue_every_second(const MediaFile &file) {
  ASSERT_EQ(file.streams.size(), 1u);
  EXPECT_EQ(file.streams[0].media_type, AVMEDIA_TYPE_SUBTITLE);
  const std::vector<PacketInfo> cues = cues_of(file);
  ASSERT_EQ(cues.size(), 3u);
  const AVRational time_base{file.streams[0].time_base_num, file.streams[0].time_base_den};
  for (int cue = 0; cue < 3; ++cue) {
    const PacketInfo &packet = cues[static_cast<std::size_t>(cue)];
    EXPECT_EQ(av_rescale_q(packet.pts, time_base, AVRational{1, 1000}), cue * 1000) << "cue " << cue;
    EXPECT_EQ(av_rescale_q(packet.duration, time_base, AVRational{1, 1000}), 800) << "cue " << cue;
    EXPECT_NE(text_of(packet).find("Cue " + std::to_string(cue)), std::string::npos) << "cue " << cue;
  }
}

TEST(ClipSubtitles, MatroskaGetsSubRipCues) {
  ScratchDir dir;
  make_clip(dir.path("cues.mkv"), three_cues());
  const MediaFile file = read_media(dir.path("cues.mkv"));

  EXPECT_EQ(file.streams.at(0).codec_id, AV_CODEC_ID_SUBRIP);
  expect_a_cue_every_second(file);
}

TEST(ClipSubtitles, Mp4GetsMovTextCues) {
  ScratchDir dir;
  make_clip(dir.path("cues.m4v"), three_cues());
  const MediaFile file = read_media(dir.path("cues.m4v"));

  EXPECT_EQ(file.streams.at(0).codec_id, AV_CODEC_ID_MOV_TEXT);
  expect_a_cue_every_second(file);
}

TEST(ClipSubtitles, TransportStreamRefusesTextSubtitles) {
  ScratchDir dir;
  EXPECT_THROW(make_clip(dir.path("cues.ts"), three_cues()), std::runtime_error);
}

}  // namespace
