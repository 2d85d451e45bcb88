// Page images of the PDF document: the page-size image at screen
// resolution, and pages rendered through the encrypted source, which must be
// pixel for pixel what PDFium renders from the clear file.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>

#include "clear_render.h"
#include "document/pdf_picture.h"
#include "protected_fixtures.h"

using namespace pageview_test;

namespace {

// Page sizes in points of mixed.pdf, as make-sample-pdf was told.
const QSizeF kLetter(612, 792);
const QSizeF kA4Landscape(842, 595);

QSize atScreenDpi(const QSizeF &points) {
  const double dpi = static_cast<float>(QGuiApplication::primaryScreen()->logicalDotsPerInch());
  return {static_cast<int>(std::lround(points.width() * dpi / 72)),
          static_cast<int>(std::lround(points.height() * dpi / 72))};
}

// Equality of every pixel's four bytes, however the rows are laid out.
::testing::AssertionResult samePixels(const QImage &actual, const QImage &expected) {
  if (actual.size() != expected.size())
    return ::testing::AssertionFailure() << "sizes differ";
  const QImage a = actual.convertToFormat(QImage::Format_RGBA8888);
  const QImage e = expected.convertToFormat(QImage::Format_RGBA8888);
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if (a.pixel(x, y) != e.pixel(x, y))
        return ::testing::AssertionFailure()
               << "first difference at (" << x << ", " << y << "): " << std::hex << a.pixel(x, y)
               << " instead of " << e.pixel(x, y);
  return ::testing::AssertionSuccess();
}

// Within one step of each channel: PDFium turns 0.2 into 51 or 52.
::testing::AssertionResult closeTo(QColor actual, QColor expected, int tolerance = 2) {
  if (std::abs(actual.red() - expected.red()) <= tolerance &&
      std::abs(actual.green() - expected.green()) <= tolerance &&
      std::abs(actual.blue() - expected.blue()) <= tolerance &&
      std::abs(actual.alpha() - expected.alpha()) <= tolerance)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "rgba(" << actual.red() << ", " << actual.green() << ", " << actual.blue() << ", "
         << actual.alpha() << ") instead of rgba(" << expected.red() << ", " << expected.green()
         << ", " << expected.blue() << ", " << expected.alpha() << ")";
}

// The first bar of every sample page: x 80..130 points, y 200..260 points
// (from the bottom), colour (0.2, 0.4, 0.8).
QPoint firstBarCentre(const QSize &pixels, const QSizeF &points) {
  const double scaleX = pixels.width() / points.width();
  const double scaleY = pixels.height() / points.height();
  return {static_cast<int>(105 * scaleX), static_cast<int>((points.height() - 230) * scaleY)};
}
const QColor kFirstBarColour(51, 102, 204);

class ProtectedPdf : public ::testing::Test {
 protected:
  std::unique_ptr<PdfPicture> open(const std::string &name) {
    const std::string path = writeFixture(dir, name + ".v1", v1Container(fixture(name)));
    return std::make_unique<PdfPicture>(qpath(path), contentKey().data(), contentNonce().data(),
                                        "v1");
  }

  folio_test::ScratchDir dir;
};

class PdfPageSize : public ProtectedPdf {};
class PdfRendering : public ProtectedPdf {};

}  // namespace

TEST_F(PdfPageSize, IsThePagesPointsAtTheScreensLogicalDpi) {
  auto document = open("mixed.pdf");
  ASSERT_EQ(document->pageCount(), 4);
  // Visited out of order: each page's own size, never the last one's.
  for (int page : {1, 0, 3, 2, 0}) {
    SCOPED_TRACE(page);
    const QImage *image = document->pageSizeImage(page);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->size(), atScreenDpi(page % 2 ? kA4Landscape : kLetter));
    EXPECT_EQ(image->format(), QImage::Format_RGBA8888);
  }
}

TEST_F(PdfPageSize, FollowsThePageAskedForAfterRenderingIt) {
  auto document = open("mixed.pdf");
  ASSERT_NE(document->pageSizeImage(0), nullptr);
  ASSERT_NE(document->pageImage(1, 200, 100), nullptr);
  const QImage *image = document->pageSizeImage(1);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->size(), atScreenDpi(kA4Landscape));
}

TEST_F(PdfPageSize, PagesOutOfRangeHaveNone) {
  auto document = open("report.pdf");
  ASSERT_NE(document->pageSizeImage(0), nullptr);
  EXPECT_EQ(document->pageSizeImage(-1), nullptr);
  EXPECT_EQ(document->pageSizeImage(3), nullptr);
}

TEST_F(PdfRendering, MatchesPdfiumRenderingTheClearFile) {
  for (const std::string name : {"mixed.pdf", "translucent.pdf"}) {
    auto document = open(name);
    ASSERT_GT(document->pageCount(), 2) << name;
    for (int page = 0; page < document->pageCount(); ++page) {
      for (const QSize size : {atScreenDpi(page % 2 && name == "mixed.pdf" ? kA4Landscape : kLetter),
                               QSize(301, 157)}) {
        SCOPED_TRACE(name + " page " + std::to_string(page) + " at " +
                     std::to_string(size.width()) + "x" + std::to_string(size.height()));
        const QImage *rendered = document->pageImage(page, size.width(), size.height());
        ASSERT_NE(rendered, nullptr);
        EXPECT_EQ(rendered->format(), QImage::Format_RGBA8888);
        const QImage reference =
            renderClearPage(fixturePath(name), page, size.width(), size.height());
        ASSERT_FALSE(reference.isNull());
        EXPECT_TRUE(samePixels(*rendered, reference));
      }
    }
  }
}

TEST_F(PdfRendering, OpaquePageIsRgbaOnOpaqueWhite) {
  ASSERT_FALSE(clearPageHasTransparency(fixturePath("report.pdf"), 0));
  auto document = open("report.pdf");
  const QSize size = atScreenDpi(kLetter);
  const QImage *page = document->pageImage(0, size.width(), size.height());
  ASSERT_NE(page, nullptr);
  EXPECT_TRUE(closeTo(page->pixelColor(5, 5), QColor(255, 255, 255, 255)));
  EXPECT_TRUE(closeTo(page->pixelColor(firstBarCentre(size, kLetter)), kFirstBarColour));
}

TEST_F(PdfRendering, BackgroundFollowsThePagesTransparency) {
  // Half-transparent bars: over a transparent background they keep their
  // colour at half alpha (not premultiplied); over white they are blended.
  const bool transparent = clearPageHasTransparency(fixturePath("translucent.pdf"), 0);
  auto document = open("translucent.pdf");
  const QSize size = atScreenDpi(kLetter);
  const QImage *page = document->pageImage(0, size.width(), size.height());
  ASSERT_NE(page, nullptr);
  const QColor bar = page->pixelColor(firstBarCentre(size, kLetter));
  if (transparent) {
    EXPECT_EQ(page->pixelColor(5, 5).alpha(), 0);
    EXPECT_TRUE(closeTo(bar, QColor(51, 102, 204, 128), 3));
  } else {
    EXPECT_TRUE(closeTo(page->pixelColor(5, 5), QColor(255, 255, 255, 255)));
    EXPECT_TRUE(closeTo(bar, QColor(153, 178, 229, 255), 3));
  }
}

TEST_F(PdfRendering, EachCallRendersAtExactlyTheSizeAskedFor) {
  auto document = open("report.pdf");
  for (const QSize size : {QSize(1, 1), QSize(640, 480), QSize(37, 1000)}) {
    const QImage *page = document->pageImage(2, size.width(), size.height());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->size(), size);
  }
}

TEST_F(PdfRendering, NoImageForPagesOutOfRangeOrEmptySizes) {
  auto document = open("report.pdf");
  EXPECT_EQ(document->pageImage(3, 100, 100), nullptr);
  EXPECT_EQ(document->pageImage(-1, 100, 100), nullptr);
  EXPECT_EQ(document->pageImage(0, 0, 100), nullptr);
  EXPECT_EQ(document->pageImage(0, 100, -5), nullptr);
  // Nothing stale survives a failed render for scaledRender to scale.
  EXPECT_EQ(document->scaledRender(10, 10), nullptr);
}

TEST_F(PdfRendering, ScaledRenderScalesTheLastRenderedPage) {
  auto document = open("report.pdf");
  EXPECT_EQ(document->scaledRender(100, 100), nullptr) << "nothing rendered yet";
  const QSize size = atScreenDpi(kLetter);
  ASSERT_NE(document->pageImage(0, size.width(), size.height()), nullptr);
  const QImage *half = document->scaledRender(size.width() / 2, size.height() / 2);
  ASSERT_NE(half, nullptr);
  EXPECT_EQ(half->size(), QSize(size.width() / 2, size.height() / 2));
  EXPECT_TRUE(closeTo(half->pixelColor(firstBarCentre(half->size(), kLetter)), kFirstBarColour));
  EXPECT_EQ(document->scaledRender(0, 10), nullptr);
}

// Pixels within tolerance of each other in every channel.
::testing::AssertionResult nearPixels(const QImage &actual, const QImage &expected, int tolerance) {
  if (actual.size() != expected.size()) return ::testing::AssertionFailure() << "sizes differ";
  for (int y = 0; y < actual.height(); ++y)
    for (int x = 0; x < actual.width(); ++x) {
      const QColor a = actual.pixelColor(x, y), e = expected.pixelColor(x, y);
      if (std::abs(a.red() - e.red()) > tolerance || std::abs(a.green() - e.green()) > tolerance ||
          std::abs(a.blue() - e.blue()) > tolerance || std::abs(a.alpha() - e.alpha()) > tolerance)
        return ::testing::AssertionFailure() << "first difference at (" << x << ", " << y << ")";
    }
  return ::testing::AssertionSuccess();
}

// Parts of a page: the pixels of the whole page's render at the same
// scale, wherever the part lies (a transparency group blends its edge
// pixels at the part's border a step differently), and nothing outside
// the page.
TEST_F(PdfRendering, RegionIsTheSamePartOfTheWholePage) {
  for (const std::string name : {"mixed.pdf", "translucent.pdf"}) {
    auto document = open(name);
    const QSize scaled(1203, 1557);
    const QImage whole = document->pageImage(1, scaled.width(), scaled.height())->copy();
    for (const QRect region : {QRect(0, 0, 300, 200), QRect(517, 811, 401, 333),
                               QRect(903, 1357, 300, 200), QRect(0, 0, 1203, 1557)}) {
      SCOPED_TRACE(name + " at " + std::to_string(region.x()) + "," + std::to_string(region.y()));
      const QImage part = document->pageRegion(1, scaled, region);
      ASSERT_EQ(part.size(), region.size());
      EXPECT_TRUE(nearPixels(part, whole.copy(region), 2));
    }
    for (const QRect outside : {QRect(-1, 0, 10, 10), QRect(1200, 0, 10, 10), QRect(5, 5, 0, 3)})
      EXPECT_TRUE(document->pageRegion(1, scaled, outside).isNull());
    EXPECT_TRUE(document->pageRegion(9, scaled, QRect(0, 0, 5, 5)).isNull());
  }
}

// A filled form field and a stamp are drawn from their appearances, in the
// whole page and in any part of it.
TEST_F(PdfRendering, FormFieldsAndStampsAreDrawn) {
  auto document = open("annotated.pdf");
  const QSize scaled(612 * 2, 792 * 2);  // 2 pixels a point
  const QImage *whole = document->pageImage(0, scaled.width(), scaled.height());
  ASSERT_NE(whole, nullptr);
  // Centres of the field and the stamp, from the page's top-left corner.
  const QPoint field(2 * 172, 2 * (792 - 520));
  const QPoint stamp(2 * 350, 2 * (792 - 520));
  EXPECT_EQ(whole->pixelColor(field), QColor(0, 0, 255));
  EXPECT_EQ(whole->pixelColor(stamp), QColor(255, 0, 0));
  const QRect part(field - QPoint(50, 50), QSize(500, 100));
  const QImage drawn = document->pageRegion(0, scaled, part);
  ASSERT_FALSE(drawn.isNull());
  EXPECT_EQ(drawn.pixelColor(field - part.topLeft()), QColor(0, 0, 255));
  EXPECT_EQ(drawn.pixelColor(stamp - part.topLeft()), QColor(255, 0, 0));
}
