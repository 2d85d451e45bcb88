// The fixture of the tests that run the Morlan program on a private X
// server and drive it through the server as a user would: clips made once
// per test program, the program started on one of them, its picture and
// windows read back from the screen.
#ifndef FOLIO_TESTS_MORLAN_PLAYER_ON_SCREEN_H
#define FOLIO_TESTS_MORLAN_PLAYER_ON_SCREEN_H

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "launch_material.h"
#include "protected_clip.h"
#include "screen_session.h"
#include "support/scratch_dir.h"
#include "support/wait.h"

namespace morlan_test {

constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 720;
// Ample limits on a loaded machine; reaching one is a hang, not slowness.
constexpr int kEndLimitSeconds = 30;
constexpr int kPictureColours = 20;
constexpr int kClipFramesPerSecond = 25;

inline void pauseBriefly(int milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

class PlayerOnScreen : public testing::Test {
 protected:
  static void SetUpTestSuite() { clipDir_ = new folio_test::ScratchDir; }
  static void TearDownTestSuite() {
    delete shortClip_;
    delete longClip_;
    delete seekClip_;
    delete fullScreenClip_;
    delete clipDir_;
  }

  // Played to its end.
  static const ProtectedClip &shortClip() { return clip(shortClip_, 3.0, "short"); }
  // Paused early: long enough that a slow (sanitizer) build is still
  // playing when the test gets to pause it.
  static const ProtectedClip &longClip() { return clip(longClip_, 10.0, "long"); }
  // Room for seeks of ten seconds either way.
  static const ProtectedClip &seekClip() { return clip(seekClip_, 30.0, "seek"); }
  // Still playing after a window manager's full-screen round trip, which a
  // slow (sanitizer) build on a loaded machine takes over a minute to make.
  static const ProtectedClip &fullScreenClip() { return clip(fullScreenClip_, 180.0, "full-screen"); }

  void SetUp() override {
    std::string missing;
    if (!screenToolsPresent(missing)) GTEST_SKIP() << missing << " is not installed";
    session_ = std::make_unique<ScreenSession>(dir_, kScreenWidth, kScreenHeight);
  }

  // Starts the player on the protected clip and waits for its window and
  // for a picture in it. Its failures are fatal to the caller only when
  // called as ASSERT_NO_FATAL_FAILURE(startPlaying(...)).
  void startPlaying(const ProtectedClip &clip) {
    session_->start({clip.protectedPath, tokenFor(tokenTextFor(clip.key)),
                     headerArgumentFor(clip.headerBlock)});
    const std::string name = clip.protectedPath.substr(clip.protectedPath.rfind('/') + 1);
    ASSERT_TRUE(session_->findWindow(name)) << session_->output();
    ASSERT_TRUE(waitForPicture()) << "no video in the window; output:\n"
                                  << session_->output() << session_->errors();
  }

  bool waitForPicture() {
    return folio_test::wait_until([&] { return session_->coloursInWindow() > kPictureColours; });
  }

  // Keyboard input goes to the window under the pointer without a window
  // manager; the pointer is kept in the upper half, where it leaves the
  // control bar hidden.
  void pointAtUpperHalf() {
    const WindowBox box = session_->box();
    session_->xdotool({"mousemove", std::to_string(box.x + box.width / 2),
                       std::to_string(box.y + box.height / 4)});
    session_->xdotool({"windowfocus", std::to_string(session_->window())});
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
    return folio_test::wait_until([&] { return pictureStands(); });
  }

  // The opposite: a playing picture changes within a moment, but a loaded
  // machine may hold one frame for a while.
  bool waitUntilPictureMoves() {
    return folio_test::wait_until([&] { return !pictureStands() || !session_->running(); }) &&
           session_->running();
  }

  // The clip's second on screen (every protected clip carries its frame
  // numbers), -1 while none is readable.
  double secondShown() {
    const long frame = session_->frameShown(kClipWidth, kClipHeight);
    return frame < 0 ? -1.0 : static_cast<double>(frame) / kClipFramesPerSecond;
  }

  // Waits until the clip's second on screen satisfies the test; false
  // after a generous deadline.
  template <typename Test>
  bool waitForSecond(Test &&test) {
    return folio_test::wait_until(
        [&] {
          const double second = secondShown();
          return second >= 0 && test(second);
        },
        folio_test::kGenerousDeadline, std::chrono::milliseconds(40));
  }

  std::size_t visibleProgramWindows() { return session_->visibleWindows().size(); }

  folio_test::ScratchDir dir_;
  std::unique_ptr<ScreenSession> session_;

 private:
  static const ProtectedClip &clip(ProtectedClip *&slot, double seconds, const char *name) {
    if (!slot) slot = new ProtectedClip(makeProtectedClip(*clipDir_, seconds, name));
    return *slot;
  }

  inline static folio_test::ScratchDir *clipDir_ = nullptr;
  inline static ProtectedClip *shortClip_ = nullptr;
  inline static ProtectedClip *longClip_ = nullptr;
  inline static ProtectedClip *seekClip_ = nullptr;
  inline static ProtectedClip *fullScreenClip_ = nullptr;
};

}  // namespace morlan_test

#endif
