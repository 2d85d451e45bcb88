// A page too large to hold whole at its zoom is drawn part by part as the
// view shows it: what the view shows is the page's pixels at the point
// under them, after scrolling and turning, and no whole-page image exists.
// A zoom without memory for it keeps the scale the page had.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>

#include <QApplication>
#include <QGraphicsView>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "../document/message_capture.h"
#include "image_widget.h"
#include "protected_samples.h"
#include "support/scratch_dir.h"
#include "viewer_window.h"

namespace {

constexpr int kBlock = 10;  // source pixels of one colour, each way

// Blocks of strongly different colours: a misplaced part shows.
QRgb blockColour(int x, int y) {
  const int bx = x / kBlock, by = y / kBlock;
  return qRgb((bx * 67) % 256, (by * 101) % 256, ((bx + by) * 43) % 256);
}

QImage blocks(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.setPixel(x, y, blockColour(x, y));
  return image;
}

bool near(QRgb a, QRgb b) {
  // The watermark's faint grey moves a colour by at most about 25.
  return std::abs(qRed(a) - qRed(b)) <= 30 && std::abs(qGreen(a) - qGreen(b)) <= 30 &&
         std::abs(qBlue(a) - qBlue(b)) <= 30;
}

struct Turn {
  int presses;  // of the rotate button
};

class ImageInParts : public ::testing::TestWithParam<Turn> {};

INSTANTIATE_TEST_SUITE_P(Rotations, ImageInParts, ::testing::Values(Turn{0}, Turn{1}, Turn{2}));

TEST_P(ImageInParts, ViewShowsThePixelsUnderIt) {
  folio_test::ScratchDir scratch;
  const int width = 900, height = 700;
  window_test::writeProtectedImage(scratch.path("pic"), blocks(width, height));
  auto window = window_test::openWindow(scratch.path("pic"), true);
  for (int press = 0; press < GetParam().presses; ++press)
    QTest::mouseClick(window->form().Btn_Rolate, Qt::LeftButton);
  window_test::typeScale(*window, QStringLiteral("800%"));
  ASSERT_EQ(window->scale(), 8.0f);
  const ImageWidget *item = window->pageItem();
  ASSERT_NE(item, nullptr);
  EXPECT_TRUE(item->pixmap().isNull()) << "a 7200 x 5600 page is not held whole";
  const bool turned = GetParam().presses % 2 == 1;
  EXPECT_EQ(item->pageSize(), turned ? QSize(8 * height, 8 * width) : QSize(8 * width, 8 * height));

  // Far into the page: past the part drawn first.
  for (int step = 0; step < 6; ++step) window_test::pressKeyInView(*window, Qt::Key_PageDown);
  for (int step = 0; step < 50; ++step) window_test::pressKeyInView(*window, Qt::Key_Right);
  window_test::flushDeletions();
  ASSERT_GT(window->pageItem()->offsets().topOffset(), 2000);
  ASSERT_LT(window->pageItem()->offsets().horizontalOffset(), -1000);

  const QImage shown = window->form().graphicsView->viewport()->grab().toImage();
  const int rotation = window->rotation();
  int checked = 0, wrong = 0;
  for (int y = 20; y < shown.height() - 20; y += 37) {
    for (int x = 20; x < shown.width() - 20; x += 41) {
      const QPointF point = window_test::pagePointUnder(*window, QPoint(x, y));
      // Back to the unturned page at 800 %, then to the source pixel.
      const int px = static_cast<int>(point.x()), py = static_cast<int>(point.y());
      int sx = px, sy = py;
      if (rotation == -90) {
        sx = 8 * width - 1 - py;
        sy = px;
      } else if (rotation == -180) {
        sx = 8 * width - 1 - px;
        sy = 8 * height - 1 - py;
      }
      sx /= 8;
      sy /= 8;
      // Block edges are left out: a pixel either side is the other block.
      if (sx % kBlock == 0 || sx % kBlock == kBlock - 1 || sy % kBlock == 0 ||
          sy % kBlock == kBlock - 1)
        continue;
      ++checked;
      if (!near(shown.pixel(x, y), blockColour(sx, sy))) ++wrong;
    }
  }
  EXPECT_GT(checked, 200);
  EXPECT_EQ(wrong, 0) << "of " << checked;
}

// A PDF page zoomed to 800 % of a poster-sized page: drawn in parts, the
// scale reached, and the view filled with the page, not left grey.
TEST(PdfInParts, PosterAtEightHundredPercentShowsThePage) {
  folio_test::ScratchDir scratch;
  window_test::writeProtectedPdf(scratch.path("poster.pdf"), 1, 2268, 4032);
  auto window = window_test::openWindow(scratch.path("poster.pdf"), false);
  window_test::typeScale(*window, QStringLiteral("800%"));
  ASSERT_EQ(window->scale(), 8.0f);
  ASSERT_NE(window->pageItem(), nullptr);
  EXPECT_TRUE(window->pageItem()->pixmap().isNull());
  EXPECT_EQ(window->pageItem()->pageSize(),
            QSize(window_test::pagePixels(2268) * 8, window_test::pagePixels(4032) * 8));
  const QImage shown = window->form().graphicsView->viewport()->grab().toImage();
  int grey = 0;
  for (int y = 0; y < shown.height(); y += 10)
    for (int x = 0; x < shown.width(); x += 10)
      if (shown.pixel(x, y) == qRgb(153, 153, 153)) ++grey;
  EXPECT_EQ(grey, 0) << "the view's background shows where the page should be";
}

}  // namespace

namespace {

// No memory for a zoom: the page stays as it was shown, the log says why,
// and the controls keep working. The zoom asks for about 28 MiB of page
// (held whole), or several MiB of it in parts, while the address space is
// limited to what the process holds plus 2 MiB. Run in a fresh process
// (a death test re-executes this program): memory an earlier test freed
// would otherwise be handed out again without counting against the limit.
// Exits 0 when the view was kept, else 1 after saying what went wrong.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
void zoomUnderAnAddressSpaceLimit() {
  const auto fail = [](const std::string &why) {
    std::fprintf(stderr, "%s\n", why.c_str());
    std::exit(1);
  };
  folio_test::ScratchDir scratch;
  window_test::writeProtectedPdf(scratch.path("doc.pdf"), 2, 612, 792);
  auto window = window_test::openWindow(scratch.path("doc.pdf"), false);
  window_test::typeScale(*window, QStringLiteral("100%"));
  if (window->scale() != 1.0f) fail("the page is not at 100 %");
  const double pageBytes = 4.0 * window_test::pagePixels(612) * window_test::pagePixels(792);
  const int percent = static_cast<int>(100 * std::sqrt((28 << 20) / pageBytes));
  const ImageWidget *shown = window->pageItem();

  MessageCapture capture;
  long pages = 0;
  std::FILE *statm = std::fopen("/proc/self/statm", "r");
  if (!statm || std::fscanf(statm, "%ld", &pages) != 1) fail("no /proc/self/statm");
  std::fclose(statm);
  rlimit previous{};
  getrlimit(RLIMIT_AS, &previous);
  rlimit limited = previous;
  limited.rlim_cur = static_cast<rlim_t>(pages) * sysconf(_SC_PAGESIZE) + (2u << 20);
  if (setrlimit(RLIMIT_AS, &limited) != 0) fail("the limit cannot be set");
  window_test::typeScale(*window, QStringLiteral("%1%").arg(percent));
  setrlimit(RLIMIT_AS, &previous);

  if (window->scale() != 1.0f) fail("the scale changed to " + std::to_string(window->scale()));
  if (window->form().lineEditScale->text() != QStringLiteral("100%")) fail("the scale box changed");
  if (window->pageItem() != shown || window->form().graphicsView->scene() != window->scene() ||
      window->showsNoPageMessage())
    fail("the page shown was not kept");
  const std::string expected =
      "zoom to " + std::to_string(percent) + "% failed: not enough memory";
  bool logged = false;
  for (const std::string &text : capture.debugTexts())
    logged = logged || text.find(expected) != std::string::npos;
  if (!logged) fail("no message: " + expected);
  QTest::mouseClick(window->form().Btn_ZoomIn, Qt::LeftButton);
  if (window->scale() != 1.25f) fail("the zoom button no longer works");
  std::fprintf(stderr, "kept the page as it was shown\n");
  std::exit(0);
}
#endif

TEST(ZoomWithoutMemory, KeepsThePageAsItWasShown) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "a sanitizer reserves more address space than any limit this test could set";
#else
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(zoomUnderAnAddressSpaceLimit(), ::testing::ExitedWithCode(0),
              "kept the page as it was shown");
#endif
}

}  // namespace
