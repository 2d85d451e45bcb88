#include <stdexcept>

#include "support/media/media_fixtures.h"
#include "support/media/media_probe.h"

extern "C" {
#include <libavcodec/codec_id.h>
#include <libavutil/avutil.h>
}

namespace folio_test::media {

SyntheticVideoPayloads synthetic_video_payloads(const std::string &scratch_path, int count) {
  if (count <= 0) throw std::runtime_error("ask for at least one picture");
  ClipOptions options;
  options.video = VideoCodec::h264;
  options.audio = AudioCodec::none;
  options.b_frames = 0;
  options.width = 64;
  options.height = 48;
  options.seconds = static_cast<double>(count) / options.fps;
  // Written as MPEG-TS so that the payloads already have the shape the
  // synthetic writer's muxer wants (Annex B with delimiters).
  make_clip(scratch_path, options);

  const MediaFile clip = read_media(scratch_path);
  SyntheticVideoPayloads payloads;
  for (const StreamInfo &stream : clip.streams) {
    if (stream.media_type == AVMEDIA_TYPE_VIDEO) payloads.codec_id = stream.codec_id;
  }
  for (const PacketInfo &packet : clip.packets) {
    if (clip.streams[static_cast<std::size_t>(packet.stream)].media_type == AVMEDIA_TYPE_VIDEO &&
        static_cast<int>(payloads.pictures.size()) < count) {
      payloads.pictures.push_back(packet.data);
    }
  }
  if (static_cast<int>(payloads.pictures.size()) != count) {
    throw std::runtime_error("the scratch clip gave " + std::to_string(payloads.pictures.size()) + " pictures, not " +
                             std::to_string(count));
  }
  return payloads;
}

}  // namespace folio_test::media
