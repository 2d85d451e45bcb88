// The wheel over the page: one action per 300 ms, and Ctrl+wheel zooming
// about the point under the cursor. Time comes from a test clock.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGraphicsView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "image_widget.h"
#include "protected_samples.h"
#include "support/scratch_dir.h"
#include "viewer_window.h"

namespace {

using window_test::advanceClock;
using window_test::wheelOverView;

class TallPage : public ::testing::Test {
 protected:
  void SetUp() override {
    window_test::useTestClock();
    // Wider and taller than the view at 100 %.
    window_test::writeProtectedPdf(scratch.path("doc.pdf"), 2, 1400, 1600);
    window = window_test::openWindow(scratch.path("doc.pdf"), false);
    ASSERT_NE(window->pageItem(), nullptr);
    ASSERT_EQ(window->scale(), 1.0f);
    advanceClock(1000);
  }
  QPoint viewCentre() const { return window->form().graphicsView->viewport()->rect().center(); }
  int top() const { return window->pageItem()->offsets().topOffset(); }
  folio_test::ScratchDir scratch;
  std::unique_ptr<PictureShowDlg> window;
};

TEST_F(TallPage, TwoWheelEventsWithin300MsScrollOnce) {
  wheelOverView(*window, viewCentre(), -120);
  EXPECT_EQ(top(), 30);
  advanceClock(299);
  wheelOverView(*window, viewCentre(), -120);
  EXPECT_EQ(top(), 30);
  advanceClock(1);
  wheelOverView(*window, viewCentre(), -120);
  EXPECT_EQ(top(), 60);
  advanceClock(300);
  wheelOverView(*window, viewCentre(), 120);
  EXPECT_EQ(top(), 30);
}

TEST_F(TallPage, WheelEventsRightAfterStartAreIgnored) {
  window_test::useTestClock();  // the limits restart now, as at start-up
  wheelOverView(*window, viewCentre(), -120);
  EXPECT_EQ(top(), 0);
}

TEST_F(TallPage, HorizontalWheelPansTheWidePage) {
  ASSERT_TRUE(window->form().horizontalScrollBar->isVisible());
  wheelOverView(*window, viewCentre(), -120, false);
  EXPECT_EQ(window->pageItem()->offsets().horizontalOffset(), -30);
  EXPECT_EQ(window->form().horizontalScrollBar->value(), 30);
}

TEST_F(TallPage, HorizontalBarPansThePage) {
  window->form().horizontalScrollBar->setValue(100);
  EXPECT_EQ(window->pageItem()->offsets().horizontalOffset(), -100);
  const int maximum = window->form().horizontalScrollBar->maximum();
  window->form().horizontalScrollBar->setValue(maximum);
  EXPECT_EQ(window->pageItem()->offsets().horizontalOffset(), -maximum);
  EXPECT_EQ(window->pageItem()->offsets().rightRemainder(), 0);
}

TEST_F(TallPage, CtrlWheelZoomKeepsThePagePointUnderTheCursor) {
  // Scroll into the page first so that both offsets take part.
  window->form().horizontalScrollBar->setValue(200);
  window_test::pressKeyInView(*window, Qt::Key_PageDown);
  const QPoint cursor(300, 250);
  const QPointF before = window_test::pagePointUnder(*window, cursor) / window->scale();
  QTest::keyPress(window->form().graphicsView, Qt::Key_Control);
  ASSERT_TRUE(window->ctrlHeld());
  wheelOverView(*window, cursor, 120);
  EXPECT_EQ(window->scale(), 1.25f);
  QPointF after = window_test::pagePointUnder(*window, cursor) / window->scale();
  EXPECT_NEAR(after.x(), before.x(), 2.0);
  EXPECT_NEAR(after.y(), before.y(), 2.0);

  advanceClock(300);
  wheelOverView(*window, cursor, -120);
  EXPECT_EQ(window->scale(), 1.0f);
  after = window_test::pagePointUnder(*window, cursor) / window->scale();
  EXPECT_NEAR(after.x(), before.x(), 2.0);
  EXPECT_NEAR(after.y(), before.y(), 2.0);
  QTest::keyRelease(window->form().graphicsView, Qt::Key_Control);
  EXPECT_FALSE(window->ctrlHeld());
}

TEST_F(TallPage, CtrlWheelZoomsAtMostOncePer300Ms) {
  QTest::keyPress(window->form().graphicsView, Qt::Key_Control);
  wheelOverView(*window, viewCentre(), 120);
  EXPECT_EQ(window->scale(), 1.25f);
  advanceClock(300);  // the wheel limit passes, the zoom limit just so
  wheelOverView(*window, viewCentre(), 120);
  EXPECT_EQ(window->scale(), 1.5f);
  advanceClock(100);
  wheelOverView(*window, viewCentre(), 120);
  EXPECT_EQ(window->scale(), 1.5f);
  QTest::keyRelease(window->form().graphicsView, Qt::Key_Control);
}

// Mouse drags over the page's viewport: press, one move, release.
void drag(PictureShowDlg &window, QPoint from, QPoint to) {
  QWidget *viewport = window.form().graphicsView->viewport();
  QMouseEvent press(QEvent::MouseButtonPress, from, viewport->mapToGlobal(from), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(viewport, &press);
  QMouseEvent move(QEvent::MouseMove, to, viewport->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QApplication::sendEvent(viewport, &move);
  QMouseEvent release(QEvent::MouseButtonRelease, to, viewport->mapToGlobal(to), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(viewport, &release);
}

TEST_F(TallPage, DraggingMovesThePageWithTheCursor) {
  const QPoint from = viewCentre();
  const QPointF before = window_test::pagePointUnder(*window, from);
  drag(*window, from, from + QPoint(-40, -50));
  EXPECT_EQ(window->pageItem()->offsets().horizontalOffset(), -40);
  EXPECT_EQ(top(), 50);
  EXPECT_EQ(window->form().horizontalScrollBar->value(), 40);
  // The page point that was under the cursor went along with it.
  const QPointF after = window_test::pagePointUnder(*window, from + QPoint(-40, -50));
  EXPECT_NEAR(after.x(), before.x(), 1.0);
  EXPECT_NEAR(after.y(), before.y(), 1.0);
  // A drag past the top-left edge is refused, not clamped.
  drag(*window, from, from + QPoint(100, 100));
  EXPECT_EQ(window->pageItem()->offsets().horizontalOffset(), -40);
  EXPECT_EQ(top(), 50);
}

// A page taller than the view but narrower, at 125 %: a wheel step over
// the grey area beside the page scrolls one step, as over the page.
TEST(NarrowTallPage, WheelOverTheGreyAreaScrollsOneStep) {
  window_test::useTestClock();
  folio_test::ScratchDir scratch;
  window_test::writeProtectedPdf(scratch.path("doc.pdf"), 2, 400, 1600);
  auto window = window_test::openWindow(scratch.path("doc.pdf"), false);
  window_test::typeScale(*window, QStringLiteral("125%"));
  ASSERT_EQ(window->scale(), 1.25f);
  const QRect viewport = window->form().graphicsView->viewport()->rect();
  ASSERT_LT(window->pageItem()->pixmap().width() + 10, viewport.width());
  advanceClock(1000);
  wheelOverView(*window, QPoint(viewport.left() + 3, viewport.center().y()), -120);
  EXPECT_EQ(window->pageItem()->offsets().topOffset(), 30);
  wheelOverView(*window, QPoint(viewport.right() - 3, viewport.center().y()), -120);
  EXPECT_EQ(window->pageItem()->offsets().topOffset(), 60);
}

TEST(SmallPage, DraggingAPageThatFitsTheViewMovesNothing) {
  folio_test::ScratchDir scratch;
  window_test::writeProtectedImage(scratch.path("pic"), QImage(200, 150, QImage::Format_RGB32));
  auto window = window_test::openWindow(scratch.path("pic"), true);
  const QPointF position = window->pageItem()->pos();
  const QPoint centre = window->form().graphicsView->viewport()->rect().center();
  drag(*window, centre, centre + QPoint(30, 30));
  EXPECT_EQ(window->pageItem()->pos(), position);
}

// Two fingers spreading or closing over the window zoom about the middle
// of where they started.
class PinchZoom : public TallPage {
 protected:
  void SetUp() override {
    TallPage::SetUp();
    device = QTest::createTouchDevice();
  }
  // Both fingers down at x 400 and 600, then each moved outward by spread
  // (inward when negative).
  void pinch(int spread) {
    const QPoint left(400, 400);
    const QPoint right(600, 400);
    QWidget *w = window.get();
    QTest::touchEvent(w, device).press(0, left, w).press(1, right, w);
    advanceClock(300);
    QTest::touchEvent(w, device)
        .move(0, left - QPoint(spread, 0), w)
        .move(1, right + QPoint(spread, 0), w);
    QTest::touchEvent(w, device).release(0, left, w).release(1, right, w);
  }
  QTouchDevice *device = nullptr;
};

TEST_F(PinchZoom, SpreadingBeyond30PixelsZoomsInClosingZoomsOut) {
  // The fingers start about (500, 400) of the window.
  const QPoint middle =
      window->form().graphicsView->viewport()->mapFrom(window.get(), QPoint(500, 400));
  const QPointF before = window_test::pagePointUnder(*window, middle) / window->scale();
  pinch(40);
  EXPECT_EQ(window->scale(), 1.25f);
  const QPointF after = window_test::pagePointUnder(*window, middle) / window->scale();
  EXPECT_NEAR(after.x(), before.x(), 2.0);
  EXPECT_NEAR(after.y(), before.y(), 2.0);
  EXPECT_FALSE(window->ctrlHeld());  // a pinch leaves no Ctrl behind
  advanceClock(300);
  pinch(-40);
  EXPECT_EQ(window->scale(), 1.0f);
}

TEST_F(PinchZoom, SmallSpreadDoesNothing) {
  pinch(20);
  EXPECT_EQ(window->scale(), 1.0f);
}

}  // namespace
