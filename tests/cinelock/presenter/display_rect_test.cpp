// Where a picture goes inside its area, and the window size a picture
// asks for.
#include "output/process_output.h"
#include "presenter/presenter.h"
#include "presenter_fixture.h"

namespace presenter_test {
namespace {

SDL_Rect rect_for(int area_x, int area_y, int area_w, int area_h, int w, int h, AVRational sar) {
  SDL_Rect rect{-1, -1, -1, -1};
  cinelock::calculate_display_rect(&rect, area_x, area_y, area_w, area_h, w, h, sar);
  return rect;
}

void expect_rect(const SDL_Rect &rect, int x, int y, int w, int h) {
  EXPECT_EQ(rect.x, x);
  EXPECT_EQ(rect.y, y);
  EXPECT_EQ(rect.w, w);
  EXPECT_EQ(rect.h, h);
}

TEST(DisplayRect, WidePictureIsLetterboxed) {
  expect_rect(rect_for(0, 0, 640, 480, 1920, 1080, {1, 1}), 0, 60, 640, 360);
}

TEST(DisplayRect, TallPictureIsPillarboxed) {
  expect_rect(rect_for(0, 0, 640, 480, 480, 640, {1, 1}), 140, 0, 360, 480);
}

TEST(DisplayRect, IsCentredInsideAnOffsetArea) {
  expect_rect(rect_for(10, 20, 640, 480, 1920, 1080, {1, 1}), 10, 80, 640, 360);
}

TEST(DisplayRect, SampleAspectRatioStretchesThePicture) {
  // 720 x 576 with 16:15 pixels is 4:3: it fills a 768 x 576 area.
  expect_rect(rect_for(0, 0, 768, 576, 720, 576, {16, 15}), 0, 0, 768, 576);
  // Anamorphic 16:9 from the same storage size.
  expect_rect(rect_for(0, 0, 1024, 768, 720, 576, {64, 45}), 0, 96, 1024, 576);
}

TEST(DisplayRect, MissingOrInvalidAspectRatioCountsAsSquarePixels) {
  for (AVRational sar : {AVRational{0, 1}, AVRational{0, 0}, AVRational{-4, 3}, AVRational{1, 0}}) {
    expect_rect(rect_for(0, 0, 640, 480, 1920, 1080, sar), 0, 60, 640, 360);
  }
}

TEST(DisplayRect, SizesAreEvenAndAtLeastOne) {
  // 480 x 16/9 = 853.3: rounded to 853, then down to even.
  const SDL_Rect rect = rect_for(0, 0, 1000, 480, 1920, 1080, {1, 1});
  EXPECT_EQ(rect.w, 852);
  EXPECT_EQ(rect.x, 74);
  // A line of a picture in a one-pixel area.
  expect_rect(rect_for(0, 0, 1, 1, 100, 1, {1, 1}), 0, 0, 1, 1);
  expect_rect(rect_for(5, 5, 0, 0, 100, 100, {1, 1}), 5, 5, 1, 1);
}

class DefaultWindowSize : public ::testing::Test {
 protected:
  void TearDown() override {
    cinelock::ProcessOutput &output = cinelock::process_output();
    output.screen_width = 0;
    output.screen_height = 0;
    output.default_width = 640;
    output.default_height = 480;
  }
  void window_for(int screen_w, int screen_h, int w, int h, AVRational sar) {
    cinelock::process_output().screen_width = screen_w;
    cinelock::process_output().screen_height = screen_h;
    cinelock::set_default_window_size(w, h, sar);
  }
  int width() const { return cinelock::process_output().default_width; }
  int height() const { return cinelock::process_output().default_height; }
};

TEST_F(DefaultWindowSize, WithoutAScreenSizeThePictureKeepsItsHeight) {
  window_for(0, 0, 1280, 720, {1, 1});
  EXPECT_EQ(width(), 1280);
  EXPECT_EQ(height(), 720);
  window_for(0, 0, 720, 576, {16, 15});
  EXPECT_EQ(width(), 768);
  EXPECT_EQ(height(), 576);
  // 101 wide is made even.
  window_for(0, 0, 101, 100, {0, 1});
  EXPECT_EQ(width(), 100);
  EXPECT_EQ(height(), 100);
}

TEST_F(DefaultWindowSize, FitsInsideTheScreenSize) {
  window_for(800, 600, 1920, 1080, {1, 1});
  EXPECT_EQ(width(), 800);
  EXPECT_EQ(height(), 450);
  // Only the width limited: the height follows the aspect.
  window_for(1280, 0, 1920, 1080, {1, 1});
  EXPECT_EQ(width(), 1280);
  EXPECT_EQ(height(), 720);
  // Only the height limited.
  window_for(0, 360, 1920, 1080, {1, 1});
  EXPECT_EQ(width(), 640);
  EXPECT_EQ(height(), 360);
}

}  // namespace
}  // namespace presenter_test
