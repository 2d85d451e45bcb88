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

ClipOptions one_second_of_data() {
  ClipOptions options;
  options.seconds = 1.0;
  options.data_stream_only = true;
  return options;
}

TEST(ClipDataOnly, TransportStreamHoldsOneKlvStreamWithRisingTimes) {
  ScratchDir dir;
  make_clip(dir.path("data.ts"), one_second_of_data());
  const MediaFile file = read_media(dir.path("data.ts"));

  ASSERT_EQ(file.streams.size(), 1u);
  EXPECT_EQ(file.streams[0].media_type, AVMEDIA_TYPE_DATA);
  EXPECT_EQ(file.streams[0].codec_id, AV_CODEC_ID_SMPTE_KLV);
  EXPECT_NE(file.streams[0].codec_id, AV_CODEC_ID_BIN_DATA);
  ASSERT_EQ(file.packets.size(), 10u);
  for (std::size_t i = 0; i < file.packets.size(); ++i) {
    const PacketInfo &packet = file.packets[i];
    // SMPTE universal labels begin 06 0E 2B 34.
    ASSERT_GE(packet.data.size(), 17u);
    EXPECT_EQ(packet.data[0], 0x06);
    EXPECT_EQ(packet.data[3], 0x34);
    EXPECT_EQ(packet.data[16], packet.data.size() - 17) << "BER length of packet " << i;
    if (i > 0) {
      EXPECT_GT(packet.dts, file.packets[i - 1].dts) << "packet " << i;
    }
  }
}

TEST(ClipDataOnly, ContainersWithoutDataStreamsRefuse) {
  ScratchDir dir;
  EXPECT_THROW(make_clip(dir.path("data.mkv"), one_second_of_data()), std::runtime_error);
  EXPECT_THROW(make_clip(dir.path("data.mp4"), one_second_of_data()), std::runtime_error);
}

}  // namespace
