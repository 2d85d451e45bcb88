// A short clip made for a test and protected with the video library under
// a key and a header block carrying the nonce, as a host would hand them
// to the player.
#ifndef FOLIO_TESTS_MORLAN_PROTECTED_CLIP_H
#define FOLIO_TESTS_MORLAN_PROTECTED_CLIP_H

#include <string>

#include "support/scratch_dir.h"
#include "support/test_bytes.h"

namespace morlan_test {

struct ProtectedClip {
  std::string clearPath;
  std::string protectedPath;
  folio_test::Bytes key;          // 32 bytes
  folio_test::Bytes headerBlock;  // 512 bytes, the nonce at byte 96
};

constexpr int kClipWidth = 160;
constexpr int kClipHeight = 120;

// 160 x 120, 25 frames a second, with sound, the frame numbers in a band
// across the top of the picture: dir/<name>.mp4 and its
// protected form dir/<name>_sealed.mp4. Throws std::runtime_error when the
// clip cannot be made or protected.
ProtectedClip makeProtectedClip(const folio_test::ScratchDir &dir, double seconds,
                                const std::string &name = "clear");

// The video packets of a file's first video stream, in file order.
std::vector<folio_test::Bytes> videoPackets(const std::string &path);

}  // namespace morlan_test

#endif
