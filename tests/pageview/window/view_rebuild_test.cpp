// Rebuilding the view: a resize fits the whole page, rotation turns the
// image a quarter counter-clockwise each time, original size shows the
// image as decoded.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QGraphicsView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <algorithm>

#include "image_widget.h"
#include "protected_samples.h"
#include "support/scratch_dir.h"
#include "viewer_window.h"

namespace {

TEST(ResizeFit, ResizingShowsTheWholePageAndChecksWholePage) {
  folio_test::ScratchDir scratch;
  window_test::writeProtectedPdf(scratch.path("doc.pdf"), 1, 612, 792);
  auto window = window_test::openWindow(scratch.path("doc.pdf"), false);
  // Narrow enough that the horizontal bar stays hidden and the view keeps
  // its size across the fit.
  window->form().lineEditScale->setText(QStringLiteral("50%"));
  QTest::keyClick(window->form().lineEditScale, Qt::Key_Return);
  ASSERT_EQ(window->scale(), 0.5f);

  window->resize(1200, 640);
  QApplication::processEvents();
  const QSize view = window->form().graphicsView->size();
  const QSize page(window_test::pagePixels(612), window_test::pagePixels(792));
  const float whole = std::min(static_cast<float>(view.height()) / page.height(),
                               static_cast<float>(view.width()) / page.width());
  EXPECT_EQ(window->scale(), whole);
  const QSize shown = window->pageItem()->pixmap().size();
  EXPECT_LE(shown.width(), view.width());
  EXPECT_LE(shown.height(), view.height());
  EXPECT_GE(shown.height(), view.height() - 1);  // tall page: the height fits
  for (QAction *action : window->scaleMenu()->actions()) {
    if (action->isSeparator()) continue;
    EXPECT_EQ(action->isChecked(), action->data().toInt() == 16) << action->data().toInt();
  }
  EXPECT_FALSE(window->form().verticalScrollBar->isVisible());  // one page
}

// Four quadrants of different colours show which way the image turned.
QImage quadrants() {
  QImage image(240, 120, QImage::Format_RGB32);
  const QRgb colours[4] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 0)};
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      image.setPixel(x, y, colours[(x < 120 ? 0 : 1) + (y < 60 ? 0 : 2)]);
  return image;
}

TEST(Rotation, EachPressTurnsAQuarterCounterClockwiseAndFourReturn) {
  folio_test::ScratchDir scratch;
  window_test::writeProtectedImage(scratch.path("pic"), quadrants());
  auto window = window_test::openWindow(scratch.path("pic"), true);
  const QImage original =
      window->pageItem()->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(original.size(), QSize(240, 120));

  QTest::mouseClick(window->form().Btn_Rolate, Qt::LeftButton);
  EXPECT_EQ(window->rotation(), -90);
  const QImage turned = window->pageItem()->pixmap().toImage();
  ASSERT_EQ(turned.size(), QSize(120, 240));
  // Counter-clockwise: the top-right quadrant (green) comes to the top left.
  EXPECT_EQ(turned.pixel(10, 10), qRgb(0, 255, 0));
  EXPECT_EQ(turned.pixel(10, 230), qRgb(255, 0, 0));

  for (int press = 2; press <= 4; ++press)
    QTest::mouseClick(window->form().Btn_Rolate, Qt::LeftButton);
  EXPECT_EQ(window->rotation(), 0);
  EXPECT_EQ(window->pageItem()->pixmap().toImage().convertToFormat(QImage::Format_RGB32), original);
}

TEST(OriginalSize, ShowsTheDecodedImageAtOneHundredPercent) {
  folio_test::ScratchDir scratch;
  window_test::writeProtectedImage(scratch.path("pic"), quadrants());
  auto window = window_test::openWindow(scratch.path("pic"), true);
  QTest::mouseClick(window->form().Btn_ZoomIn, Qt::LeftButton);
  QTest::mouseClick(window->form().Btn_ZoomIn, Qt::LeftButton);
  ASSERT_EQ(window->scale(), 1.5f);
  QTest::mouseClick(window->form().Btn_OriginalPicture, Qt::LeftButton);
  EXPECT_EQ(window->scale(), 1.0f);
  EXPECT_EQ(window->pageItem()->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
            quadrants());
}

}  // namespace
