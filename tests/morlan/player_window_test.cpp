// The main window in process, without a player: its form, the bar
// following it, the keyboard's play toggle, double-click full screen and a
// close request while a player runs.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>

#include "morlan_window.h"
#include "playback_flags.h"

namespace morlan_test {
namespace {

class PlayerWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    morlan::g_paused = true;
    morlan::g_playerRunning = false;
    window_ = std::make_unique<Morlan>();
  }
  void TearDown() override { morlan::g_playerRunning = false; }

  BottomWidget &bar() { return window_->controlBar(); }
  QRect expectedBarGeometry() {
    const QRect g = window_->geometry();
    return QRect(g.x(), g.y() + g.height() - 70, g.width(), 70);
  }

  void key(QEvent::Type type, int code) {
    QKeyEvent event(type, code, Qt::NoModifier);
    QCoreApplication::sendEvent(window_.get(), &event);
  }

  void doubleClick() {
    QMouseEvent event(QEvent::MouseButtonDblClick, QPointF(10, 10), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(window_.get(), &event);
    QCoreApplication::processEvents();
  }

  std::unique_ptr<Morlan> window_;
};

using PlayerWindowForm = PlayerWindowTest;

TEST_F(PlayerWindowForm, NamedSizedAndNeverPaintingItself) {
  EXPECT_EQ(window_->objectName(), "Morlan");
  EXPECT_EQ(window_->windowTitle(), "Morlan");
  EXPECT_EQ(window_->size(), QSize(1024, 576));
  EXPECT_FALSE(window_->updatesEnabled());
  EXPECT_TRUE(window_->hasMouseTracking());
  EXPECT_FALSE(window_->windowIcon().isNull());
  EXPECT_TRUE(bar().isWindow()) << "the bar is a window of its own";
  // Its parent makes it transient for the main window, so that a window
  // manager stacks it above the main window, full screen included.
  EXPECT_EQ(bar().parentWidget(), window_.get());
  EXPECT_TRUE(bar().isHidden());
}

using BarFollowsWindow = PlayerWindowTest;

TEST_F(BarFollowsWindow, CoversTheBottomAfterMovesAndResizes) {
  window_->show();
  QCoreApplication::processEvents();
  window_->move(120, 40);
  QCoreApplication::processEvents();
  EXPECT_EQ(bar().geometry(), expectedBarGeometry());
  window_->resize(800, 450);
  QCoreApplication::processEvents();
  EXPECT_EQ(bar().geometry(), expectedBarGeometry());
}

TEST_F(BarFollowsWindow, DoubleClickTogglesFullScreenAndBack) {
  window_->show();
  QCoreApplication::processEvents();
  const QRect normal = window_->geometry();
  doubleClick();
  EXPECT_TRUE(window_->isFullScreen());
  EXPECT_EQ(bar().geometry(), expectedBarGeometry());
  doubleClick();
  EXPECT_FALSE(window_->isFullScreen());
  EXPECT_EQ(window_->geometry().size(), normal.size());
  EXPECT_EQ(bar().geometry(), expectedBarGeometry());
}

using KeyboardPlayToggle = PlayerWindowTest;

TEST_F(KeyboardPlayToggle, SpaceReturnAndEnterToggleOnPress) {
  morlan::g_paused = false;
  bar().setPlayStatus(true);
  key(QEvent::KeyPress, Qt::Key_Space);
  EXPECT_TRUE(morlan::g_paused);
  EXPECT_FALSE(bar().isPlaying());
  key(QEvent::KeyRelease, Qt::Key_Space);
  EXPECT_TRUE(morlan::g_paused) << "a release does not toggle";
  key(QEvent::KeyPress, Qt::Key_Return);
  EXPECT_FALSE(morlan::g_paused);
  EXPECT_TRUE(bar().isPlaying());
  key(QEvent::KeyPress, Qt::Key_Enter);
  EXPECT_TRUE(morlan::g_paused);
  key(QEvent::KeyPress, Qt::Key_A);
  EXPECT_TRUE(morlan::g_paused);
}

TEST_F(KeyboardPlayToggle, BarButtonSetsThePausedFlag) {
  morlan::g_paused = false;
  bar().setPlayStatus(true);
  bar().form().playButton->click();
  EXPECT_TRUE(morlan::g_paused);
  bar().form().playButton->click();
  EXPECT_FALSE(morlan::g_paused);
}

using CloseDuringPlayback = PlayerWindowTest;

TEST_F(CloseDuringPlayback, FirstRequestOnlyEndsThePlayer) {
  window_->show();
  morlan::g_playerRunning = true;
  EXPECT_FALSE(window_->close());
  EXPECT_TRUE(window_->isVisible());
  EXPECT_FALSE(morlan::g_playerRunning);
  // Once playback has ended the same request closes the window.
  EXPECT_TRUE(window_->close());
  EXPECT_FALSE(window_->isVisible());
}

TEST_F(CloseDuringPlayback, FinishSlotIsACloseRequest) {
  window_->show();
  morlan::g_playerRunning = true;
  QMetaObject::invokeMethod(window_.get(), "finish");
  EXPECT_TRUE(window_->isVisible());
  EXPECT_FALSE(morlan::g_playerRunning);
}

}  // namespace
}  // namespace morlan_test
