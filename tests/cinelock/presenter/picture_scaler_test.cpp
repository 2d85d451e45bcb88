// The software path's own scaler for 4:2:0 pictures: bilinear planes
// converted by libswscale, close to libswscale's own scaled conversion on
// smooth pictures at every size, and the same with and without SIMD.
#include <algorithm>
#include <cstdlib>
#include <vector>

extern "C" {
#include <libswscale/swscale.h>
}

#include "presenter/picture_scaler.h"
#include "presenter_fixture.h"

namespace presenter_test {
namespace {

// A smooth picture: luma and chroma ramps across and down, at most two
// shades a sample, where any two good filters agree.
frame_ptr smooth_picture(int width, int height) {
  frame_ptr frame = make_frame(AV_PIX_FMT_YUV420P, width, height);
  const double luma_step = std::min(2.0, 200.0 / (width + height));
  const double chroma_step = std::min(2.0, 128.0 / width);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      frame->data[0][y * frame->linesize[0] + x] = static_cast<uint8_t>(16 + luma_step * (x + y));
  for (int y = 0; y < (height + 1) / 2; ++y)
    for (int x = 0; x < (width + 1) / 2; ++x) {
      frame->data[1][y * frame->linesize[1] + x] = static_cast<uint8_t>(64 + chroma_step * x);
      frame->data[2][y * frame->linesize[2] + x] = static_cast<uint8_t>(192 - chroma_step * y);
    }
  return frame;
}

// The picture as width x height BGRA pixels, rows packed.
std::vector<uint8_t> with_own_scaler(const AVFrame *frame, int width, int height) {
  cinelock::PictureScaler scaler;
  EXPECT_TRUE(cinelock::PictureScaler::handles(frame, width, height));
  EXPECT_NE(scaler.converter(width, height, AV_PIX_FMT_BGRA), nullptr);
  const int pitch = cinelock::PictureScaler::padded_width(width) * 4;
  std::vector<uint8_t> padded(static_cast<size_t>(pitch) * height, 0);
  scaler.scale(frame, padded.data(), pitch);
  std::vector<uint8_t> pixels;
  for (int y = 0; y < height; ++y)
    pixels.insert(pixels.end(), padded.begin() + y * pitch, padded.begin() + y * pitch + width * 4);
  return pixels;
}

std::vector<uint8_t> with_libswscale(const AVFrame *frame, int width, int height) {
  SwsContext *context =
      sws_getContext(frame->width, frame->height, AV_PIX_FMT_YUV420P, width, height, AV_PIX_FMT_BGRA,
                     SWS_BILINEAR | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr, nullptr, nullptr);
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
  uint8_t *planes[4] = {pixels.data()};
  int pitches[4] = {width * 4};
  sws_scale(context, frame->data, frame->linesize, 0, frame->height, planes, pitches);
  sws_freeContext(context);
  return pixels;
}

struct Sizes {
  int from_width, from_height, to_width, to_height;
};

class PictureScalerSizes : public ::testing::TestWithParam<Sizes> {};

TEST_P(PictureScalerSizes, MatchLibswscaleOnASmoothPicture) {
  const Sizes sizes = GetParam();
  frame_ptr frame = smooth_picture(sizes.from_width, sizes.from_height);
  const std::vector<uint8_t> ours = with_own_scaler(frame.get(), sizes.to_width, sizes.to_height);
  const std::vector<uint8_t> reference = with_libswscale(frame.get(), sizes.to_width, sizes.to_height);
  int worst = 0;
  size_t worst_at = 0;
  for (size_t i = 0; i < ours.size(); ++i)
    if (i % 4 != 3 && std::abs(ours[i] - reference[i]) > worst) {
      worst = std::abs(ours[i] - reference[i]);
      worst_at = i;
    }

  EXPECT_LE(worst, 8) << "largest difference from libswscale's scaled conversion: " << worst
                       << " at byte " << worst_at;
}

TEST_P(PictureScalerSizes, GiveTheSamePixelsWithAndWithoutSimd) {
  const Sizes sizes = GetParam();
  frame_ptr frame = smooth_picture(sizes.from_width, sizes.from_height);
  // Some texture, so that every weight counts.
  for (int y = 0; y < frame->height; ++y)
    for (int x = 0; x < frame->width; ++x)
      frame->data[0][y * frame->linesize[0] + x] ^= static_cast<uint8_t>((x * 7 + y * 13) & 31);
  const std::vector<uint8_t> simd = with_own_scaler(frame.get(), sizes.to_width, sizes.to_height);
  cinelock::PictureScaler::allow_simd(false);
  const std::vector<uint8_t> plain = with_own_scaler(frame.get(), sizes.to_width, sizes.to_height);
  cinelock::PictureScaler::allow_simd(true);
  EXPECT_TRUE(simd == plain);
}

INSTANTIATE_TEST_SUITE_P(
    Shrinking, PictureScalerSizes,
    ::testing::Values(Sizes{1920, 1080, 1024, 576}, Sizes{1919, 1079, 1023, 575},
                      Sizes{1280, 720, 1280, 720}, Sizes{640, 360, 201, 113},
                      Sizes{160, 120, 1024, 576}, Sizes{64, 48, 34, 30}, Sizes{7, 5, 3, 3}),
    [](const ::testing::TestParamInfo<Sizes> &info) {
      const Sizes &s = info.param;
      return std::to_string(s.from_width) + "x" + std::to_string(s.from_height) + "_to_" +
             std::to_string(s.to_width) + "x" + std::to_string(s.to_height);
    });

TEST(PictureScaler, TakesOnly8Bit420PicturesShrunkAtMostThreeAndAHalfTimes) {
  frame_ptr picture = make_frame(AV_PIX_FMT_YUV420P, 1920, 1080);
  EXPECT_TRUE(cinelock::PictureScaler::handles(picture.get(), 549, 309));
  EXPECT_FALSE(cinelock::PictureScaler::handles(picture.get(), 480, 270));
  EXPECT_TRUE(cinelock::PictureScaler::handles(picture.get(), 3840, 2160));
  frame_ptr full_range = make_frame(AV_PIX_FMT_YUVJ420P, 64, 48);
  EXPECT_TRUE(cinelock::PictureScaler::handles(full_range.get(), 64, 48));
  for (AVPixelFormat other : {AV_PIX_FMT_YUV422P, AV_PIX_FMT_YUV420P10LE, AV_PIX_FMT_NV12, AV_PIX_FMT_RGB24}) {
    frame_ptr frame = make_frame(other, 64, 48);
    EXPECT_FALSE(cinelock::PictureScaler::handles(frame.get(), 64, 48));
  }
  // Bottom-up pictures go to libswscale, which reads them as meant.
  picture->linesize[0] = -picture->linesize[0];
  EXPECT_FALSE(cinelock::PictureScaler::handles(picture.get(), 1024, 576));
}

}  // namespace
}  // namespace presenter_test
