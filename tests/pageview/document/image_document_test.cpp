// The image document: a protected PNG, JPEG, GIF, TIFF or BMP deciphered whole
// in memory and decoded by Qt's readers, shown as one page.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <memory>
#include <string>

#include "document/picture.h"
#include "message_capture.h"
#include "protected_fixtures.h"

using namespace pageview_test;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// 7 x 5 pixels, every one a different opaque colour.
QImage testPattern() {
  QImage image(7, 5, QImage::Format_ARGB32);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, qRgb(30 * x, 50 * y, 255 - 9 * (x + y)));
  return image;
}

Bytes encoded(const QImage &image, const char *format, int quality = -1) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, format, quality)) return {};
  return Bytes(bytes.begin(), bytes.end());
}

// A 4 x 2 GIF with the palette red, green, blue, white: top row in that
// order, bottom row reversed. Qt writes no GIF, so it is spelled out here
// (every pixel code follows a clear code, keeping all codes 3 bits wide).
const Bytes kGif = {
    0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x04, 0x00, 0x02, 0x00, 0x81, 0x00, 0x00, 0xff, 0x00, 0x00,
    0x00, 0xff, 0x00, 0x00, 0x00, 0xff, 0xff, 0xff, 0xff, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00,
    0x02, 0x00, 0x00, 0x02, 0x07, 0x04, 0x43, 0x71, 0x1c, 0xc5, 0x10, 0x05, 0x00, 0x3b};

::testing::AssertionResult samePixels(const QImage &actual, const QImage &expected) {
  if (actual.size() != expected.size())
    return ::testing::AssertionFailure() << "sizes differ";
  for (int y = 0; y < actual.height(); ++y)
    for (int x = 0; x < actual.width(); ++x)
      if (actual.pixel(x, y) != expected.pixel(x, y))
        return ::testing::AssertionFailure() << "first difference at (" << x << ", " << y << ")";
  return ::testing::AssertionSuccess();
}

class ImageDocument : public ::testing::Test {
 protected:
  std::unique_ptr<Picture> openProtected(const Bytes &clear, const char *variant = "v2") {
    const std::string path = writeFixture(dir, "image.protected", encipher(clear));
    return std::make_unique<Picture>(qpath(path), contentKey().data(), contentNonce().data(),
                                     variant);
  }

  folio_test::ScratchDir dir;
};

class ImageScaling : public ImageDocument {};

}  // namespace

TEST_F(ImageDocument, ProtectedPngDecodesToItsExactPixels) {
  const Bytes png = encoded(testPattern(), "png");
  ASSERT_FALSE(png.empty());
  auto picture = openProtected(png);
  ASSERT_NE(picture->pageSizeImage(0), nullptr);
  EXPECT_TRUE(samePixels(*picture->pageSizeImage(0), testPattern()));
  EXPECT_FALSE(picture->isEmpty());
  EXPECT_EQ(picture->pageCount(), 1);
}

// The lossless formats after PNG: TIFF is the last of the original
// readers, BMP is tried after it.
TEST_F(ImageDocument, ProtectedTiffAndBmpDecodeToTheirExactPixels) {
  for (const char *format : {"tiff", "bmp"}) {
    const Bytes file = encoded(testPattern(), format);
    ASSERT_FALSE(file.empty()) << format << ": Qt's plugin (qt5-image-formats-plugins) is missing";
    auto picture = openProtected(file);
    ASSERT_NE(picture->pageSizeImage(0), nullptr) << format;
    EXPECT_TRUE(samePixels(*picture->pageSizeImage(0), testPattern())) << format;
  }
}

TEST_F(ImageDocument, ProtectedJpegDecodesAsTheClearJpegDoes) {
  QImage halves(16, 8, QImage::Format_RGB32);
  halves.fill(QColor(200, 40, 40));
  for (int y = 0; y < 8; ++y)
    for (int x = 8; x < 16; ++x) halves.setPixel(x, y, qRgb(20, 60, 220));
  const Bytes jpeg = encoded(halves, "jpg", 100);
  ASSERT_FALSE(jpeg.empty());
  auto picture = openProtected(jpeg);
  const QImage *image = picture->pageSizeImage(0);
  ASSERT_NE(image, nullptr);
  const QImage clearDecode = QImage::fromData(jpeg.data(), static_cast<int>(jpeg.size()), "jpg");
  EXPECT_TRUE(samePixels(*image, clearDecode));
  // Lossy, yet flat blocks come back within a few steps of their colour.
  const QColor left = image->pixelColor(2, 4), right = image->pixelColor(13, 4);
  EXPECT_NEAR(left.red(), 200, 6);
  EXPECT_NEAR(left.blue(), 40, 6);
  EXPECT_NEAR(right.red(), 20, 6);
  EXPECT_NEAR(right.blue(), 220, 6);
}

TEST_F(ImageDocument, ProtectedGifDecodesToItsPalette) {
  auto picture = openProtected(kGif);
  const QImage *image = picture->pageSizeImage(0);
  ASSERT_NE(image, nullptr);
  ASSERT_EQ(image->size(), QSize(4, 2));
  const QRgb top[] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 255)};
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(image->pixel(x, 0), top[x]) << x;
    EXPECT_EQ(image->pixel(x, 1), top[3 - x]) << x;
  }
}

TEST_F(ImageDocument, VariantPlaysNoPart) {
  // Even "v1": an image has no header, the whole file is ciphertext from
  // keystream offset 0.
  const Bytes png = encoded(testPattern(), "png");
  for (const char *variant : {"v1", "v2", ""}) {
    auto picture = openProtected(png, variant);
    ASSERT_NE(picture->pageSizeImage(0), nullptr) << variant;
    EXPECT_TRUE(samePixels(*picture->pageSizeImage(0), testPattern())) << variant;
  }
}

TEST_F(ImageDocument, WrongKeyGivesAnEmptyDocumentWithoutAMessage) {
  const Bytes png = encoded(testPattern(), "png");
  const std::string path = writeFixture(dir, "image.protected", encipher(png));
  Bytes wrongKey = contentKey();
  wrongKey[0] ^= 1;
  MessageCapture messages;
  Picture picture(qpath(path), wrongKey.data(), contentNonce().data(), "v2");
  EXPECT_THAT(messages.debugTexts(), IsEmpty());
  EXPECT_TRUE(picture.isEmpty());
  EXPECT_EQ(picture.pageSizeImage(0), nullptr);
  EXPECT_EQ(picture.pageImage(0, 10, 10), nullptr);
}

TEST_F(ImageDocument, MissingFileOrKeyLoadsNothing) {
  {
    MessageCapture messages;
    Picture picture(qpath(dir.path("absent.png")), contentKey().data(), contentNonce().data(),
                    "v2");
    EXPECT_THAT(messages.debugTexts(), ElementsAre("open file Failed!"));
    EXPECT_TRUE(picture.isEmpty());
    EXPECT_EQ(picture.pageSizeImage(0), nullptr);
    EXPECT_EQ(picture.pageImage(0, 10, 10), nullptr);
  }
  const std::string path = writeFixture(dir, "image.protected", encipher(encoded(testPattern(), "png")));
  for (const auto &[key, nonce] :
       {std::pair{contentKey().data(), static_cast<const unsigned char *>(nullptr)},
        std::pair{static_cast<const unsigned char *>(nullptr), contentNonce().data()}}) {
    MessageCapture messages;
    Picture picture(qpath(path), key, nonce, "v2");
    EXPECT_THAT(messages.debugTexts(), ElementsAre("input key or iv is nulll"));
    EXPECT_TRUE(picture.isEmpty());
    EXPECT_EQ(picture.pageSizeImage(0), nullptr);
  }
}

TEST_F(ImageDocument, HasNoScaledRender) {
  auto picture = openProtected(encoded(testPattern(), "png"));
  ASSERT_NE(picture->pageImage(0, 14, 10), nullptr);
  EXPECT_EQ(picture->scaledRender(14, 10), nullptr);
}

TEST_F(ImageScaling, PageImageHasExactlyTheSizeAskedFor) {
  auto picture = openProtected(encoded(testPattern(), "png"));
  for (const QSize size : {QSize(14, 10), QSize(3, 2), QSize(1, 1), QSize(70, 5), QSize(2, 40)}) {
    const QImage *image = picture->pageImage(0, size.width(), size.height());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->size(), size);
  }
  EXPECT_EQ(picture->pageImage(0, 0, 10), nullptr);
  EXPECT_EQ(picture->pageImage(0, 10, -1), nullptr);
}

TEST_F(ImageScaling, DoublingRepeatsEveryPixel) {
  // Fast transformation: nearest pixel, no blending of neighbours.
  const QImage pattern = testPattern();
  auto picture = openProtected(encoded(pattern, "png"));
  const QImage *image = picture->pageImage(0, 14, 10);
  ASSERT_NE(image, nullptr);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 14; ++x)
      ASSERT_EQ(image->pixel(x, y), pattern.pixel(x / 2, y / 2)) << x << ", " << y;
}

TEST_F(ImageScaling, DecodedImageIsKeptWhileCopiesAreMade) {
  auto picture = openProtected(encoded(testPattern(), "png"));
  ASSERT_NE(picture->pageImage(0, 3, 3), nullptr);
  ASSERT_NE(picture->pageSizeImage(0), nullptr);
  EXPECT_TRUE(samePixels(*picture->pageSizeImage(0), testPattern()));
}

// A part of an image at three times its size: every source pixel becomes
// a 3 x 3 block, found where the whole scaled copy has it.
TEST_F(ImageScaling, RegionShowsThePixelsBehindIt) {
  auto picture = openProtected(encoded(testPattern(), "png"));
  const QSize scaled(21, 15);
  for (const QRect region : {QRect(0, 0, 21, 15), QRect(3, 6, 9, 6), QRect(18, 12, 3, 3)}) {
    const QImage part = picture->pageRegion(0, scaled, region);
    ASSERT_EQ(part.size(), region.size());
    for (int y = 1; y < region.height(); y += 3)
      for (int x = 1; x < region.width(); x += 3)
        EXPECT_EQ(part.pixel(x, y),
                  testPattern().pixel((region.x() + x) / 3, (region.y() + y) / 3))
            << x << "," << y;
  }
  EXPECT_TRUE(picture->pageRegion(0, scaled, QRect(20, 0, 2, 2)).isNull());
}
