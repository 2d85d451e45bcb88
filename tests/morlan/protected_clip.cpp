#include "protected_clip.h"

#include <stdexcept>

#include "cinelock.h"
#include "launch_material.h"
#include "support/media/media_fixtures.h"
#include "support/media/media_probe.h"

extern "C" {
#include <libavutil/avutil.h>
}

namespace morlan_test {

using namespace folio_test;

ProtectedClip makeProtectedClip(const ScratchDir &dir, double seconds, const std::string &name) {
  ProtectedClip clip;
  clip.clearPath = dir.path(name + ".mp4");
  clip.protectedPath = dir.path(name + "_sealed.mp4");
  clip.key = random_bytes(32, 0x4d6f726c);
  clip.headerBlock = headerBlockWithNonce(random_bytes(8, 0x6e6f6e63));
  media::ClipOptions options;
  options.seconds = seconds;
  options.width = kClipWidth;
  options.height = kClipHeight;
  options.frame_number_band = true;
  media::make_clip(clip.clearPath, options);
  if (video_crypt_encrypt(clip.clearPath.c_str(), clip.protectedPath.c_str(), clip.key.data(), 256,
                          clip.headerBlock.data() + 96, clip.headerBlock.data(),
                          static_cast<int>(clip.headerBlock.size())) != CINELOCK_OK)
    throw std::runtime_error("the clip could not be protected");
  return clip;
}

std::vector<Bytes> videoPackets(const std::string &path) {
  const media::MediaFile file = media::read_media(path);
  int video = -1;
  for (const media::StreamInfo &stream : file.streams)
    if (stream.media_type == AVMEDIA_TYPE_VIDEO) {
      video = stream.index;
      break;
    }
  std::vector<Bytes> packets;
  for (const media::PacketInfo &packet : file.packets)
    if (packet.stream == video) packets.emplace_back(packet.data.begin(), packet.data.end());
  return packets;
}

}  // namespace morlan_test
