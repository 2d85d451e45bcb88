// The watermark grid and what it leaves on a page.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "watermark.h"

using namespace pageview;

namespace {

// Pixels whose colour differs from white, in one rectangle of the image.
int markedPixels(const QImage &image, const QRect &area) {
  int marked = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (image.pixel(x, y) != qRgb(255, 255, 255)) ++marked;
  return marked;
}

// A white page drawn the way the page item draws it: centred on the origin.
QImage watermarkedPage(QSize size, const QString &text) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.translate(size.width() / 2, size.height() / 2);
  paintWatermark(painter, size, text);
  return image;
}

}  // namespace

TEST(WatermarkGrid, SpacingIsTheTextSizePlusEighty) {
  const std::vector<QPoint> points = watermarkPositions({400, 300}, 120.5, 30.0);
  ASSERT_FALSE(points.empty());
  EXPECT_EQ(points.front(), QPoint(-1200 - 200, -1200 - 150));
  EXPECT_EQ(points[1], QPoint(-1400, -1350 + 110)) << "rows: line height + 80";
  const auto next_column = std::find_if(points.begin(), points.end(),
                                        [&](const QPoint &p) { return p.x() != points.front().x(); });
  ASSERT_NE(next_column, points.end());
  EXPECT_EQ(next_column->x(), -1199) << "columns: text width + 80, -1199.5 truncated towards zero";
  for (const QPoint &p : points) {
    EXPECT_LE(p.x(), 400 + 1199);
    EXPECT_LE(p.y(), 300 + 1199);
  }
}

TEST(WatermarkGrid, EmptyTextStillSpacesColumnsByEighty) {
  const std::vector<QPoint> points = watermarkPositions({100, 100}, 0.0, 0.0);
  const std::size_t per_column = (100 + 1199 - (-1200 - 50)) / 80 + 1;
  const std::size_t columns = (100 + 1199 - (-1200 - 50)) / 80 + 1;
  EXPECT_EQ(points.size(), per_column * columns);
}

TEST(WatermarkPaint, TextCoversEveryPartOfThePage) {
  const QSize size(600, 800);
  const QImage page = watermarkedPage(size, QStringLiteral("CONFIDENTIAL 机密 user@example"));
  const int w = size.width() / 3, h = size.height() / 3;
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 3; ++column)
      EXPECT_GT(markedPixels(page, QRect(column * w, row * h, w, h)), 50)
          << "part " << row << "," << column << " has no watermark";
}

TEST(WatermarkPaint, TextIsFaint) {
  const QImage page = watermarkedPage({300, 300}, QStringLiteral("WATERMARK"));
  int darkest = 255;
  for (int y = 0; y < page.height(); ++y)
    for (int x = 0; x < page.width(); ++x) darkest = std::min(darkest, qGray(page.pixel(x, y)));
  EXPECT_LT(darkest, 255) << "something is drawn";
  EXPECT_GT(darkest, 200) << "grey 153 at alpha 40 over white stays light";
}

// Drawing only the texts that reach a visible part gives that part the
// same pixels as drawing them all.
TEST(WatermarkPaint, VisiblePartLooksAsWhenEverythingIsDrawn) {
  const QSize size(900, 700);
  const QImage everything = watermarkedPage(size, QStringLiteral("demo@example.com"));
  for (const QRect part : {QRect(0, 0, 200, 150), QRect(333, 271, 120, 90), QRect(700, 600, 200, 100)}) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.translate(size.width() / 2, size.height() / 2);
    paintWatermark(painter, size, QStringLiteral("demo@example.com"),
                   QRectF(part).translated(-size.width() / 2, -size.height() / 2));
    painter.end();
    EXPECT_EQ(image.copy(part), everything.copy(part));
    EXPECT_LT(markedPixels(image, QRect(QPoint(0, 0), size)), markedPixels(everything, QRect(QPoint(0, 0), size)));
  }
}

TEST(WatermarkPaint, EmptyTextLeavesThePageAlone) {
  const QImage page = watermarkedPage({300, 200}, QString());
  EXPECT_EQ(markedPixels(page, page.rect()), 0);
}

int main(int argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
