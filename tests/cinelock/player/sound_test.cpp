// What reaches the sound device, through SDL's disk audio driver: a
// protected file played without its key still sounds exactly like the
// clear file (only video packets are enciphered).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "cinelock.h"
#include "protected_clips.h"
#include "support/files.h"

namespace folio_test {
namespace {

// The device's 16-bit samples with every run of 64 or more zero samples
// taken out: the device gets silence whenever a frame is not ready in time,
// and where that happens depends on the machine's load, not on the file.
std::vector<std::int16_t> sound_without_gaps(const Bytes &bytes) {
  constexpr std::size_t kGap = 64;
  std::vector<std::int16_t> kept;
  std::size_t zeros = 0;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    std::int16_t sample;
    std::memcpy(&sample, &bytes[i], 2);
    if (sample == 0) {
      ++zeros;
      continue;
    }
    if (zeros < kGap) kept.insert(kept.end(), zeros, 0);
    zeros = 0;
    kept.push_back(sample);
  }
  return kept;
}

Bytes played_sound(const ScratchDir &dir, const std::string &path, const unsigned char *key) {
  const std::string device_file = dir.path("device-" + std::to_string(std::rand()) + ".raw");
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", device_file.c_str(), 1);
  EXPECT_EQ(video_create_window(320, 240, 1.0, nullptr), 0);
  video_player *player = video_crypt_player_create(path.c_str(), key, key ? 256 : 0, test_nonce().data());
  EXPECT_NE(player, nullptr);
  if (player) EXPECT_EQ(video_crypt_player_play(player), 0);
  video_destroy_window();
  return read_file(device_file);
}

TEST(Sound, ProtectedFileWithoutItsKeySoundsLikeTheClearFile) {
  ScratchDir dir;
  media::ClipOptions options;
  options.seconds = 2.5;
  ASSERT_TRUE(make_clip_in(dir, "clear.mp4", options));
  ASSERT_EQ(protect(dir.path("clear.mp4"), dir.path("sealed.mp4")), 0);

  const std::vector<std::int16_t> clear = sound_without_gaps(played_sound(dir, dir.path("clear.mp4"), nullptr));
  const std::vector<std::int16_t> sealed = sound_without_gaps(played_sound(dir, dir.path("sealed.mp4"), nullptr));
  // About 2.5 s of stereo sound at the device's rate.
  ASSERT_GT(clear.size(), 2u * 44100 * 2);
  EXPECT_TRUE(clear == sealed) << clear.size() << " samples against " << sealed.size();
}

}  // namespace
}  // namespace folio_test
