// Media clips protected by the tool in a scratch directory, and reading
// protected videos back by hand (FFmpeg's demuxers through the media
// probe, OpenSSL through the oracle), never through the video library.
#ifndef FOLIO_TESTS_HOST_VIDEO_SAMPLE_H
#define FOLIO_TESTS_HOST_VIDEO_SAMPLE_H

#include <cstddef>
#include <string>
#include <vector>

#include "host_process.h"
#include "support/media/media_fixtures.h"
#include "support/media/media_probe.h"
#include "support/scratch_dir.h"
#include "support/test_bytes.h"

namespace host_test {

// The size of a protected video's header block.
constexpr std::size_t kHeaderBlockBytes = 512;

// Short and small, so that every test stays fast.
folio_test::media::ClipOptions small_clip(double seconds = 2.0);

struct ProtectedVideo {
  std::string source_path;
  std::string protected_path;
  std::string key_path;
  RunResult run;  // of protect-video
};

// Makes <dir>/<source_name> with options and runs protect-video on it into
// <dir>/<protected_name> (key file: the default, <protected>.key).
ProtectedVideo protect_video_sample(const folio_test::ScratchDir &dir,
                                    const std::string &source_name,
                                    const std::string &protected_name,
                                    const folio_test::media::ClipOptions &options);

// The packets of one stream, in file order.
std::vector<folio_test::media::PacketInfo> packets_of(const folio_test::media::MediaFile &file,
                                                      int stream);

// The key file's content key and nonce, decoded by the tests' own readers.
struct VideoKey {
  folio_test::Bytes key;
  folio_test::Bytes nonce;
};
VideoKey read_video_key(const std::string &key_path);

}  // namespace host_test

#endif
