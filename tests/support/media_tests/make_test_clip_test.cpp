#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "support/media/media_probe.h"
#include "support/scratch_dir.h"

extern "C" {
#include <libavcodec/codec_id.h>
#include <libavutil/avutil.h>
}

namespace {

using folio_test::ScratchDir;
using namespace folio_test::media;

int run_make_test_clip(const std::string &arguments) {
  const std::string command = std::string(MAKE_TEST_CLIP_PATH) + " " + arguments + " >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(MakeTestClipCommand, WritesTheStreamsAskedFor) {
  ScratchDir dir;
  const std::string out = dir.path("clip.mkv");
  ASSERT_EQ(run_make_test_clip(out + " --seconds 1 --video mpeg4 --audio mp2 --subtitles --size 64x48 --fps 30"), 0);
  const MediaFile file = read_media(out);

  ASSERT_EQ(file.streams.size(), 3u);
  EXPECT_EQ(file.streams[0].codec_id, AV_CODEC_ID_MPEG4);
  EXPECT_EQ(file.streams[1].codec_id, AV_CODEC_ID_MP2);
  EXPECT_EQ(file.streams[2].media_type, AVMEDIA_TYPE_SUBTITLE);
  std::size_t video = 0;
  for (const PacketInfo &packet : file.packets) video += packet.stream == 0 ? 1 : 0;
  EXPECT_EQ(video, 30u);
}

TEST(MakeTestClipCommand, BadRequestsExitWithOne) {
  ScratchDir dir;
  EXPECT_EQ(run_make_test_clip(""), 1);
  EXPECT_EQ(run_make_test_clip(dir.path("a.mp4") + " --video dirac"), 1);
  EXPECT_EQ(run_make_test_clip(dir.path("a.mp4") + " --size 64"), 1);
  EXPECT_EQ(run_make_test_clip(dir.path("a.mp4") + " --seconds"), 1);
  EXPECT_EQ(run_make_test_clip(dir.path("a.ts") + " --subtitles"), 1);
}

}  // namespace
