// The Morlan program's controls used on a private X server as a user
// would use them, the effect read from the screen: the clip's frame
// number shows where playback is, the control bar's pixels show its
// labels, window boxes show full screen and where the bar went.
#include <gtest/gtest.h>

#include "player_on_screen.h"

namespace morlan_test {
namespace {

constexpr int kBarHeight = 70;
constexpr double kClipSeconds = 30.0;  // seekClip()

class ControlsOnScreen : public PlayerOnScreen {
 protected:
  // The second on screen once one can be read.
  double currentSecond() {
    double second = -1;
    EXPECT_TRUE(waitForSecond([&](double shown) { return (second = shown), true; }))
        << "no frame number on screen";
    return second;
  }

  // Moves the pointer into the window's lower half and waits for the bar.
  bool showBar(WindowBox &bar) {
    const WindowBox box = session_->box();
    session_->xdotool({"mousemove", std::to_string(box.x + box.width / 2),
                       std::to_string(box.y + box.height * 3 / 4)});
    return folio_test::wait_until([&] {
      for (const WindowId window : session_->visibleWindows())
        if (window != session_->window()) {
          bar = session_->boxOf(window);
          return bar.width > 0;
        }
      return false;
    });
  }

  void clickAt(int x, int y) {
    session_->xdotool({"mousemove", std::to_string(x), std::to_string(y)});
    session_->xdotool({"click", "1"});
  }

  // The pixels of the elapsed-time labels, left of the slider.
  std::vector<std::uint32_t> elapsedLabels(const WindowBox &bar) {
    return session_->pixels({bar.x, bar.y, 75, kBarHeight / 2 + 10});
  }

  // The share of black pixels (0, 0, 0) in a strip along the top of the
  // bar, left of its middle, read from the screen: where the bar is on
  // top, its own background (its translucent black shows as black without
  // a compositor); where the video covers the bar, the clip's picture,
  // whose tinted gradient is seldom exactly black.
  double barBackgroundShare(const WindowBox &bar) {
    const auto strip = session_->pixels({bar.x + bar.width / 2 - 300, bar.y + 2, 240, 8});
    if (strip.empty()) return 0;
    std::size_t dark = 0;
    for (const std::uint32_t pixel : strip)
      if ((pixel & 0xffffff) == 0) ++dark;
    return static_cast<double>(dark) / strip.size();
  }

  // Whether the bar's background comes onto the screen and stays there for
  // two seconds; the playing clip's gradient moves by three shades a frame.
  // (Once the program has ended the screen is black: that is no bar.)
  bool barStaysOnTop(const WindowBox &bar) {
    folio_test::wait_until([&] { return barBackgroundShare(bar) > 0.95 || !session_->running(); });
    for (int read = 0; read < 20; ++read) {
      if (!session_->running() || barBackgroundShare(bar) <= 0.95) return false;
      pauseBriefly(100);
    }
    return session_->running();
  }

  void closeAndExpectExitZero() {
    session_->requestClose();
    EXPECT_EQ(session_->waitForExit(kEndLimitSeconds), 0) << session_->errors();
  }
};

// A held key does nothing until it is let go; then it seeks once. (Auto-
// repeat would send releases while the key is held, each one a seek.)
TEST_F(ControlsOnScreen, RightAndLeftSeekTenSecondsOnRelease) {
  ASSERT_NO_FATAL_FAILURE(startPlaying(seekClip()));
  session_->stopKeyRepeat();  // now: the server resets its settings when its last client goes
  pointAtUpperHalf();
  const double start = currentSecond();
  session_->xdotool({"keydown", "Right"});
  pauseBriefly(1000);
  EXPECT_LT(secondShown(), start + 5) << "the press sought already";
  session_->xdotool({"keyup", "Right"});
  ASSERT_TRUE(waitForSecond([&](double shown) { return shown >= start + 8; }))
      << "Right did not seek forward from " << start;
  const double forward = currentSecond();
  EXPECT_LT(forward, start + 15) << "one release sought more than once";
  session_->xdotool({"key", "Left"});
  ASSERT_TRUE(waitForSecond([&](double shown) { return shown <= forward - 7; }))
      << "Left did not seek back from " << forward;
  EXPECT_GE(currentSecond(), forward - 13);
  closeAndExpectExitZero();
}

// v = x / width x duration: three quarters along the slider is three
// quarters into the clip.
TEST_F(ControlsOnScreen, PressOnTheSliderSeeksToThatPlace) {
  ASSERT_NO_FATAL_FAILURE(startPlaying(seekClip()));
  pointAtUpperHalf();
  ASSERT_LT(currentSecond(), 10);
  WindowBox bar;
  ASSERT_TRUE(showBar(bar)) << "the bar did not appear";
  const int sliderWidth = bar.width - 150;
  clickAt(bar.x + 75 + sliderWidth * 3 / 4, bar.y + kBarHeight / 4 + 7);
  const double target = kClipSeconds * 3 / 4;
  EXPECT_TRUE(waitForSecond([&](double shown) { return shown >= target - 2 && shown <= target + 3; }))
      << "now at " << secondShown() << " s";
  closeAndExpectExitZero();
}

TEST_F(ControlsOnScreen, BarButtonPausesAndResumesAndTheElapsedTimeFollows) {
  ASSERT_NO_FATAL_FAILURE(startPlaying(seekClip()));
  pointAtUpperHalf();
  WindowBox bar;
  ASSERT_TRUE(showBar(bar)) << "the bar did not appear";
  const auto labels = elapsedLabels(bar);
  EXPECT_TRUE(folio_test::wait_until([&] { return elapsedLabels(bar) != labels; }))
      << "the elapsed time did not advance";

  clickAt(bar.x + bar.width / 2, bar.y + kBarHeight / 2 + 14);  // the button, centred in the lower half
  ASSERT_TRUE(waitUntilPictureStands()) << "the button did not pause";
  const double paused = currentSecond();
  const auto pausedLabels = elapsedLabels(bar);
  pauseBriefly(1300);
  EXPECT_EQ(secondShown(), paused) << "the position moved while paused";
  EXPECT_EQ(elapsedLabels(bar), pausedLabels) << "the elapsed time moved while paused";

  session_->xdotool({"click", "1"});
  EXPECT_TRUE(waitForSecond([&](double shown) { return shown > paused + 0.5; }))
      << "the button did not resume";
  closeAndExpectExitZero();
}

// Full screen is a request to the window manager, so this test runs one.
TEST_F(ControlsOnScreen, DoubleClickTogglesFullScreenAndTheBarFollows) {
  if (!session_->startWindowManager()) GTEST_SKIP() << "no window manager (openbox) to run";
  ASSERT_NO_FATAL_FAILURE(startPlaying(fullScreenClip()));
  pointAtUpperHalf();
  const WindowBox normal = session_->box();
  auto waitForBox = [&](int width, int height) {
    return folio_test::wait_until([&] {
      const WindowBox box = session_->box();
      return box.width == width && box.height == height;
    });
  };
  // Where the bar is, and that it is seen: stacked above the video window
  // (a window manager stacks a full-screen window above ordinary ones).
  auto expectBarAtTheBottom = [&](const char *state) {
    const WindowBox box = session_->box();
    WindowBox bar;
    ASSERT_TRUE(showBar(bar)) << "the bar did not appear " << state;
    EXPECT_EQ(bar.x, box.x) << state;
    EXPECT_EQ(bar.y, box.y + box.height - kBarHeight) << state;
    EXPECT_EQ(bar.width, box.width) << state;
    EXPECT_EQ(bar.height, kBarHeight) << state;
    EXPECT_TRUE(barStaysOnTop(bar)) << "the bar is mapped but not seen " << state
                                    << (session_->running() ? "" : " (the program ended first)");
    // The same strip with the bar hidden shows the picture.
    pointAtUpperHalf();
    EXPECT_TRUE(folio_test::wait_until([&] { return barBackgroundShare(bar) < 0.5; }))
        << "the strip looks like the bar without it " << state;
  };
  session_->xdotool({"click", "--repeat", "2", "--delay", "80", "1"});
  ASSERT_TRUE(waitForBox(kScreenWidth, kScreenHeight)) << "not full screen";
  expectBarAtTheBottom("in full screen");
  pointAtUpperHalf();
  session_->xdotool({"click", "--repeat", "2", "--delay", "80", "1"});
  ASSERT_TRUE(waitForBox(normal.width, normal.height)) << "not back to its former size";
  expectBarAtTheBottom("back in the normal state");
  closeAndExpectExitZero();
}

// The first close request only asks playback to end; the window goes once
// the playback call has returned, and the program exits 0.
TEST_F(ControlsOnScreen, CloseDuringPlaybackEndsPlaybackFirst) {
  ASSERT_NO_FATAL_FAILURE(startPlaying(seekClip()));
  pointAtUpperHalf();
  const double before = currentSecond();
  session_->requestClose();
  EXPECT_EQ(session_->waitForExit(kEndLimitSeconds), 0) << session_->errors();
  EXPECT_LT(before, kClipSeconds / 2) << "the clip had nearly ended by itself";
}

}  // namespace
}  // namespace morlan_test
