// The Morlan program playing protected clips on a private X server, driven
// through the server as a user would: the picture on screen, Space to
// pause and resume, a close request while paused, the control bar over
// the lower half, and encrypt-then-play writing a copy the video library
// deciphers back to the source's video.
#include <gtest/gtest.h>

#include "cinelock.h"
#include "player_on_screen.h"
#include "support/files.h"

extern "C" {
#include <libavutil/log.h>
}

namespace morlan_test {
namespace {

using folio_test::Bytes;

TEST_F(PlayerOnScreen, ShowsTheVideoAndExitsZeroAtItsEnd) {
  ASSERT_NO_FATAL_FAILURE(startPlaying(shortClip()));
  const WindowBox box = session_->box();
  EXPECT_EQ(box.width, 1024);
  EXPECT_EQ(box.height, 576);
  EXPECT_EQ(session_->waitForExit(kEndLimitSeconds), 0) << session_->errors();
  EXPECT_EQ(session_->output(), "");
}

TEST_F(PlayerOnScreen, SpacePausesAndSpaceResumes) {
  ASSERT_NO_FATAL_FAILURE(startPlaying(longClip()));
  pointAtUpperHalf();
  EXPECT_TRUE(waitUntilPictureMoves()) << "the clip is not playing";
  pressSpace();
  ASSERT_TRUE(waitUntilPictureStands()) << "Space did not pause";
  EXPECT_TRUE(pictureStands()) << "the paused picture moved";
  ASSERT_TRUE(session_->running()) << "the picture stands because the program ended";
  pressSpace();
  EXPECT_TRUE(waitUntilPictureMoves()) << "Space did not resume";
  session_->requestClose();
  EXPECT_EQ(session_->waitForExit(kEndLimitSeconds), 0) << session_->errors();
}

// Paused, the clip would never end by itself: only the close request can
// end the player, and the program then exits 0 on its own.
TEST_F(PlayerOnScreen, CloseRequestEndsThePlayerAndTheProgram) {
  ASSERT_NO_FATAL_FAILURE(startPlaying(longClip()));
  pointAtUpperHalf();
  pressSpace();
  ASSERT_TRUE(waitUntilPictureStands()) << "Space did not pause";
  session_->requestClose();
  EXPECT_EQ(session_->waitForExit(kEndLimitSeconds), 0) << session_->errors();
  EXPECT_EQ(session_->output(), "");
}

TEST_F(PlayerOnScreen, ControlBarShowsOnlyOverTheLowerHalf) {
  ASSERT_NO_FATAL_FAILURE(startPlaying(longClip()));
  pointAtUpperHalf();
  pressSpace();
  ASSERT_TRUE(waitUntilPictureStands()) << "Space did not pause";
  EXPECT_EQ(visibleProgramWindows(), 1u);
  const WindowBox box = session_->box();
  session_->xdotool({"mousemove", std::to_string(box.x + box.width / 2),
                     std::to_string(box.y + box.height * 3 / 4)});
  EXPECT_TRUE(folio_test::wait_until([&] { return visibleProgramWindows() == 2u; }))
      << "the bar did not appear";
  session_->xdotool({"mousemove", std::to_string(box.x + box.width / 2),
                     std::to_string(box.y + box.height / 4)});
  EXPECT_TRUE(folio_test::wait_until([&] { return visibleProgramWindows() == 1u; }))
      << "the bar did not go";
  session_->requestClose();
  EXPECT_EQ(session_->waitForExit(kEndLimitSeconds), 0) << session_->errors();
}

// Mode 1: the source is protected beside itself under the token key, with
// a fresh nonce in the header the copy carries, and the copy is played.
TEST(EncryptThenPlay, WritesACopyThatDeciphersToTheSourceVideo) {
  std::string missing;
  if (!screenToolsPresent(missing)) GTEST_SKIP() << missing << " is not installed";
  folio_test::ScratchDir dir;
  const ProtectedClip clip = makeProtectedClip(dir, 2.0, "clip");
  const std::string copyPath = dir.path("clip_e.mp4");
  {
    ScreenSession session(dir, kScreenWidth, kScreenHeight);
    // The token's key and header are checked but not used in this mode.
    session.start({clip.clearPath, tokenFor(tokenTextFor(clip.key)),
                   headerArgumentFor(clip.headerBlock), "1"});
    EXPECT_EQ(session.waitForExit(kEndLimitSeconds), 0) << session.errors();
    EXPECT_EQ(session.output(), "");
  }
  ASSERT_TRUE(folio_test::file_exists(copyPath));

  unsigned char header[512];
  int length = sizeof header;
  ASSERT_EQ(video_crypt_getheader(copyPath.c_str(), header, &length), CINELOCK_OK);
  ASSERT_EQ(length, 512);
  const Bytes nonce(header + 96, header + 104);
  EXPECT_NE(nonce, Bytes(clip.headerBlock.begin() + 96, clip.headerBlock.begin() + 104))
      << "the copy reuses the command line's nonce";
  const Bytes key = tokenKey();
  const std::string restoredPath = dir.path("restored.mp4");
  ASSERT_EQ(video_crypt_decrypt(copyPath.c_str(), restoredPath.c_str(), key.data(), 256, nonce.data()),
            CINELOCK_OK);
  const std::vector<Bytes> source = videoPackets(clip.clearPath);
  ASSERT_FALSE(source.empty());
  EXPECT_EQ(videoPackets(restoredPath), source);
  // Read as stored, enciphered packets make the parser complain; that is
  // expected here, so FFmpeg is kept quiet for this read.
  const int logLevel = av_log_get_level();
  av_log_set_level(AV_LOG_QUIET);
  const std::vector<Bytes> stored = videoPackets(copyPath);
  av_log_set_level(logLevel);
  EXPECT_NE(stored, source) << "the copy is not enciphered";
}

}  // namespace
}  // namespace morlan_test
