#include "video_sample.h"

#include <gtest/gtest.h>

#include "key_file_fields.h"
#include "support/files.h"
#include "support/oracle.h"

using namespace folio_test;

namespace host_test {

media::ClipOptions small_clip(double seconds) {
  media::ClipOptions options;
  options.seconds = seconds;
  options.width = 160;
  options.height = 120;
  return options;
}

ProtectedVideo protect_video_sample(const ScratchDir &dir, const std::string &source_name,
                                    const std::string &protected_name,
                                    const media::ClipOptions &options) {
  ProtectedVideo sample;
  sample.source_path = dir.path(source_name);
  sample.protected_path = dir.path(protected_name);
  sample.key_path = sample.protected_path + ".key";
  media::make_clip(sample.source_path, options);
  sample.run = run_host({"protect-video", sample.source_path, sample.protected_path});
  EXPECT_EQ(sample.run.exit_code, 0) << sample.run.err;
  return sample;
}

std::vector<media::PacketInfo> packets_of(const media::MediaFile &file, int stream) {
  std::vector<media::PacketInfo> packets;
  for (const media::PacketInfo &packet : file.packets)
    if (packet.stream == stream) packets.push_back(packet);
  return packets;
}

VideoKey read_video_key(const std::string &key_path) {
  const auto fields = key_file_fields(read_text(key_path));
  return {from_hex(fields.at("key")), oracle::base64_decode(fields.at("nonce"))};
}

}  // namespace host_test
