// The Morlan program playing protected clips on a private X server, driven
// through the server as a user would: the picture on screen, Space to
// pause and resume, a close request while paused, the control bar over
// the lower half, and encrypt-then-play writing a copy the video library
// deciphers back to the source's video.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "cinelock.h"
#include "launch_material.h"
#include "protected_clip.h"
#include "screen_session.h"
#include "support/files.h"
#include "support/scratch_dir.h"

extern "C" {
#include <libavutil/log.h>
}

namespace morlan_test {
namespace {

using folio_test::Bytes;

constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 720;
// Ample limits for a 3-second clip on a loaded machine; reaching one is a
// hang, not slowness.
constexpr int kEndLimitSeconds = 30;
constexpr int kPictureColours = 20;

void pauseBriefly(int milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

class PlayerOnScreen : public testing::Test {
 protected:
  static void SetUpTestSuite() { clipDir_ = new folio_test::ScratchDir; }
  static void TearDownTestSuite() {
    delete shortClip_;
    delete longClip_;
    delete clipDir_;
  }

  // Played to its end.
  static const ProtectedClip &shortClip() {
    if (!shortClip_) shortClip_ = new ProtectedClip(makeProtectedClip(*clipDir_, 3.0, "short"));
    return *shortClip_;
  }
  // Paused early: long enough that a slow (sanitizer) build is still
  // playing when the test gets to pause it.
  static const ProtectedClip &longClip() {
    if (!longClip_) longClip_ = new ProtectedClip(makeProtectedClip(*clipDir_, 10.0, "long"));
    return *longClip_;
  }

  void SetUp() override {
    std::string missing;
    if (!screenToolsPresent(missing)) GTEST_SKIP() << missing << " is not installed";
    session_ = std::make_unique<ScreenSession>(dir_, kScreenWidth, kScreenHeight);
  }

  // Starts the player on the protected clip and waits for its window and
  // for a picture in it.
  void startPlaying(const ProtectedClip &clip) {
    session_->start({clip.protectedPath, tokenFor(tokenTextFor(clip.key)),
                     headerArgumentFor(clip.headerBlock)});
    const std::string name = clip.protectedPath.substr(clip.protectedPath.rfind('/') + 1);
    ASSERT_TRUE(session_->findWindow(name)) << session_->output();
    ASSERT_TRUE(waitForPicture()) << "no video in the window; output:\n" << session_->output() << session_->errors();
  }

  bool waitForPicture() {
    for (int attempt = 0; attempt < 100; ++attempt) {
      if (session_->coloursInWindow() > kPictureColours) return true;
      pauseBriefly(50);
    }
    return false;
  }

  // Keyboard input goes to the window under the pointer without a window
  // manager; the pointer is kept in the upper half, where it leaves the
  // control bar hidden.
  void pointAtUpperHalf() {
    const WindowBox box = session_->box();
    session_->xdotool({"mousemove", std::to_string(box.x + box.width / 2),
                       std::to_string(box.y + box.height / 4)});
    session_->xdotool({"windowfocus", session_->window()});
  }

  void pressSpace() { session_->xdotool({"key", "space"}); }

  // Two reads of the window's upper half a while apart: a playing clip
  // changes every frame, a paused one not at all.
  bool pictureStands() {
    const auto before = session_->upperPicture();
    pauseBriefly(400);
    return session_->upperPicture() == before;
  }

  bool waitUntilPictureStands() {
    for (int attempt = 0; attempt < 20; ++attempt)
      if (pictureStands()) return true;
    return false;
  }

  std::size_t visibleProgramWindows() {
    const xvfb_test::ToolRun search =
        session_->xdotool({"search", "--onlyvisible", "--classname", "^Morlan$"});
    std::size_t count = 0;
    for (char c : search.out) count += c == '\n';
    return count;
  }

  static folio_test::ScratchDir *clipDir_;
  static ProtectedClip *shortClip_;
  static ProtectedClip *longClip_;
  folio_test::ScratchDir dir_;
  std::unique_ptr<ScreenSession> session_;
};

folio_test::ScratchDir *PlayerOnScreen::clipDir_ = nullptr;
ProtectedClip *PlayerOnScreen::shortClip_ = nullptr;
ProtectedClip *PlayerOnScreen::longClip_ = nullptr;

TEST_F(PlayerOnScreen, ShowsTheVideoAndExitsZeroAtItsEnd) {
  startPlaying(shortClip());
  const WindowBox box = session_->box();
  EXPECT_EQ(box.width, 1024);
  EXPECT_EQ(box.height, 576);
  EXPECT_EQ(session_->waitForExit(kEndLimitSeconds), 0) << session_->errors();
  EXPECT_EQ(session_->output(), "");
}

TEST_F(PlayerOnScreen, SpacePausesAndSpaceResumes) {
  startPlaying(longClip());
  pointAtUpperHalf();
  EXPECT_FALSE(pictureStands()) << "the clip is not playing";
  pressSpace();
  ASSERT_TRUE(waitUntilPictureStands()) << "Space did not pause";
  EXPECT_TRUE(pictureStands()) << "the paused picture moved";
  ASSERT_TRUE(session_->running()) << "the picture stands because the program ended";
  pressSpace();
  bool moved = false;
  for (int attempt = 0; attempt < 20 && !moved && session_->running(); ++attempt)
    moved = !pictureStands();
  EXPECT_TRUE(moved) << "Space did not resume";
  session_->requestClose();
  EXPECT_EQ(session_->waitForExit(kEndLimitSeconds), 0) << session_->errors();
}

// Paused, the clip would never end by itself: only the close request can
// end the player, and the program then exits 0 on its own.
TEST_F(PlayerOnScreen, CloseRequestEndsThePlayerAndTheProgram) {
  startPlaying(longClip());
  pointAtUpperHalf();
  pressSpace();
  ASSERT_TRUE(waitUntilPictureStands()) << "Space did not pause";
  session_->requestClose();
  EXPECT_EQ(session_->waitForExit(kEndLimitSeconds), 0) << session_->errors();
  EXPECT_EQ(session_->output(), "");
}

TEST_F(PlayerOnScreen, ControlBarShowsOnlyOverTheLowerHalf) {
  startPlaying(longClip());
  pointAtUpperHalf();
  pressSpace();
  ASSERT_TRUE(waitUntilPictureStands()) << "Space did not pause";
  EXPECT_EQ(visibleProgramWindows(), 1u);
  const WindowBox box = session_->box();
  session_->xdotool({"mousemove", std::to_string(box.x + box.width / 2),
                     std::to_string(box.y + box.height * 3 / 4)});
  bool shown = false;
  for (int attempt = 0; attempt < 40 && !shown; ++attempt, pauseBriefly(50))
    shown = visibleProgramWindows() == 2u;
  EXPECT_TRUE(shown) << "the bar did not appear";
  session_->xdotool({"mousemove", std::to_string(box.x + box.width / 2),
                     std::to_string(box.y + box.height / 4)});
  bool hidden = false;
  for (int attempt = 0; attempt < 40 && !hidden; ++attempt, pauseBriefly(50))
    hidden = visibleProgramWindows() == 1u;
  EXPECT_TRUE(hidden) << "the bar did not go";
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
