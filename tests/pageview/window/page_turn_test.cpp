// Page turns from buttons, page box, keys and wheel: where they stop at the
// document's edges in PDF mode, and that image mode never turns.
#include <gtest/gtest.h>

#include <QGraphicsView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "../document/message_capture.h"
#include "image_widget.h"
#include "protected_samples.h"
#include "support/scratch_dir.h"
#include "viewer_window.h"

namespace {

using window_test::openWindow;

std::vector<std::string> pageMessages(const MessageCapture &capture) {
  std::vector<std::string> result;
  for (const std::string &text : capture.debugTexts())
    if (text.rfind("on_Btn_", 0) == 0) result.push_back(text);
  return result;
}

class PdfPageTurns : public ::testing::Test {
 protected:
  void SetUp() override {
    window_test::writeProtectedPdf(scratch.path("doc.pdf"), 3, 612, 792);
    window = openWindow(scratch.path("doc.pdf"), false);
  }
  QPushButton *button(bool next) {
    return next ? window->form().Btn_Next : window->form().Btn_Last;
  }
  folio_test::ScratchDir scratch;
  std::unique_ptr<PictureShowDlg> window;
};

TEST_F(PdfPageTurns, ButtonsStopAtTheFirstAndLastPage) {
  MessageCapture capture;
  QTest::mouseClick(button(false), Qt::LeftButton);
  EXPECT_EQ(window->currentPage(), 0);
  QTest::mouseClick(button(true), Qt::LeftButton);
  QTest::mouseClick(button(true), Qt::LeftButton);
  EXPECT_EQ(window->currentPage(), 2);
  EXPECT_EQ(window->form().lineEdit->text(), "3");
  EXPECT_EQ(window->form().linePageNum->text(), "/3页");
  EXPECT_EQ(window->form().verticalScrollBar->value(), 2);
  QTest::mouseClick(button(true), Qt::LeftButton);
  EXPECT_EQ(window->currentPage(), 2);
  EXPECT_EQ(
      pageMessages(capture),
      (std::vector<std::string>{"on_Btn_Last_clicked invoked", "on_Btn_Next_clicked invoked",
                                "on_Btn_Next_clicked invoked", "on_Btn_Next_clicked invoked"}));
}

TEST_F(PdfPageTurns, PageBoxOutsideTheDocumentIsIgnoredAfterItsMessages) {
  MessageCapture capture;
  window->form().lineEdit->setText(QStringLiteral("4"));
  QTest::keyClick(window->form().lineEdit, Qt::Key_Return);
  EXPECT_EQ(window->currentPage(), 0);
  window->form().lineEdit->setText(QStringLiteral("3"));
  QTest::keyClick(window->form().lineEdit, Qt::Key_Return);
  EXPECT_EQ(window->currentPage(), 2);
  EXPECT_EQ(pageMessages(capture),
            (std::vector<std::string>{
                "on_Btn_GoTo_clicked invoked", "on_Btn_GoTo_clicked invoked, page =  4",
                "on_Btn_GoTo_clicked invoked", "on_Btn_GoTo_clicked invoked, page =  3"}));
}

TEST_F(PdfPageTurns, KeysTurnAWholePageShownInTheView) {
  // At the design window size a whole-page fit leaves the page narrower
  // and shorter than the view: every step key turns.
  window->resize(1100, 700);
  ASSERT_NE(window->pageItem(), nullptr);
  ASSERT_LT(window->pageItem()->pixmap().width(), window->form().graphicsView->width());
  window_test::pressKeyInView(*window, Qt::Key_Right);
  EXPECT_EQ(window->currentPage(), 1);
  window_test::pressKeyInView(*window, Qt::Key_Down);
  EXPECT_EQ(window->currentPage(), 2);
  window_test::pressKeyInView(*window, Qt::Key_Down);
  EXPECT_EQ(window->currentPage(), 2);
  window_test::pressKeyInView(*window, Qt::Key_Left);
  EXPECT_EQ(window->currentPage(), 1);
  window_test::pressKeyInView(*window, Qt::Key_PageUp);
  EXPECT_EQ(window->currentPage(), 0);
  window_test::pressKeyInView(*window, Qt::Key_PageUp);
  EXPECT_EQ(window->currentPage(), 0);
}

TEST_F(PdfPageTurns, WheelOverTheGreyAreaActsOnEveryEventOverThePageOncePer300Ms) {
  window_test::useTestClock();
  window_test::advanceClock(1000);
  window->resize(1100, 700);
  const QRect viewport = window->form().graphicsView->viewport()->rect();
  const QPoint grey(viewport.left() + 5, viewport.center().y());
  ASSERT_LT(window->pageItem()->pixmap().width() + 10, viewport.width());
  // A page that fits the view turns on every wheel step down, one page a
  // step (the window must not act on the view's step a second time).
  window_test::wheelOverView(*window, grey, -120);
  EXPECT_EQ(window->currentPage(), 1);
  window_test::wheelOverView(*window, grey, -120);
  EXPECT_EQ(window->currentPage(), 2);
  window_test::wheelOverView(*window, viewport.center(), 120);
  window_test::wheelOverView(*window, viewport.center(), 120);
  EXPECT_EQ(window->currentPage(), 1);
}

TEST_F(PdfPageTurns, PageSliderSelectsThePageWhileHeld) {
  QScrollBar *bar = window->form().verticalScrollBar;
  ASSERT_TRUE(bar->isVisible());
  EXPECT_EQ(bar->maximum(), 2);
  bar->setSliderDown(true);
  bar->setSliderPosition(2);
  EXPECT_EQ(window->currentPage(), 2);
  EXPECT_EQ(window->form().lineEdit->text(), "3");
  bar->setSliderDown(false);
  // A value set by the program (no mouse button down) only records the
  // page; it does not rebuild the view.
  const ImageWidget *shown = window->pageItem();
  bar->setValue(1);
  EXPECT_EQ(window->currentPage(), 1);
  EXPECT_EQ(window->pageItem(), shown);
}

TEST_F(PdfPageTurns, ScrollingATallPageReachesItsBottomBeforeTurning) {
  window->form().lineEditScale->setText(QStringLiteral("200%"));
  QTest::keyClick(window->form().lineEditScale, Qt::Key_Return);
  const ImageWidget *item = window->pageItem();
  ASSERT_NE(item, nullptr);
  const int overflow = item->offsets().verticalOverflow();
  ASSERT_GT(overflow, 0);
  window_test::pressKeyInView(*window, Qt::Key_Down);
  EXPECT_EQ(window->pageItem()->offsets().topOffset(), 30);
  for (int i = 0; i * window->form().graphicsView->height() <= overflow + 1; ++i)
    window_test::pressKeyInView(*window, Qt::Key_PageDown);
  EXPECT_EQ(window->currentPage(), 0);
  EXPECT_EQ(window->pageItem()->offsets().topOffset(), overflow);
  // At the bottom the Down key stays; Page Down turns.
  window_test::pressKeyInView(*window, Qt::Key_Down);
  EXPECT_EQ(window->currentPage(), 0);
  window_test::pressKeyInView(*window, Qt::Key_PageDown);
  EXPECT_EQ(window->currentPage(), 1);
  EXPECT_EQ(window->pageItem()->offsets().topOffset(), 0);
}

TEST(ImagePageTurns, NothingTurnsAndNothingBreaksAtTheImagesEdges) {
  folio_test::ScratchDir scratch;
  QImage image(400, 300, QImage::Format_RGB32);
  image.fill(Qt::darkCyan);
  window_test::writeProtectedImage(scratch.path("pic"), image);
  auto window = openWindow(scratch.path("pic"), true);
  MessageCapture capture;
  window->on_Btn_Next_clicked();
  window->on_Btn_Last_clicked();
  for (int key :
       {Qt::Key_Right, Qt::Key_Left, Qt::Key_Down, Qt::Key_Up, Qt::Key_PageDown, Qt::Key_PageUp})
    window_test::pressKeyInView(*window, key);
  EXPECT_EQ(window->currentPage(), 0);
  ASSERT_NE(window->pageItem(), nullptr);
  EXPECT_EQ(window->pageItem()->pixmap().size(), QSize(400, 300));
  EXPECT_EQ(pageMessages(capture), (std::vector<std::string>{"on_Btn_Next_clicked invoked",
                                                             "on_Btn_Last_clicked invoked"}));
}

}  // namespace
