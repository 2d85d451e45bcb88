// Pictures of every format reach the screen in their true colours: direct
// texture formats, YUV conversion modes, the scaler fall-back, and bottom-up
// (negative line size) pictures.
#include <cstring>
#include <utility>

extern "C" {
#include <libavutil/pixdesc.h>
}

#include "presenter/presenter.h"
#include "presenter_fixture.h"

namespace presenter_test {
namespace {

constexpr rgb kBlack{0, 0, 0};

class PictureUpload : public presenter_fixture {
 protected:
  void SetUp() override {
    presenter_fixture::SetUp();
    open_video();
  }

  // Shows the frame as the only picture and reports whether it was drawn.
  bool show(frame_ptr frame) {
    const size_t before = seen.size();
    push_picture(std::move(frame), 0.0, video_serial());
    refresh_with_next_picture_due();
    return seen.size() == before + 1;
  }

  Uint32 texture_format() const {
    Uint32 format = 0;
    if (state->vid_texture == nullptr ||
        SDL_QueryTexture(state->vid_texture, &format, nullptr, nullptr, nullptr) != 0) {
      return SDL_PIXELFORMAT_UNKNOWN;
    }
    return format;
  }
};

// Every format with a texture of its own, in two colours that tell red
// from blue, so a swapped or shifted channel order shows.
class DirectTextureFormats : public PictureUpload,
                             public ::testing::WithParamInterface<AVPixelFormat> {};

TEST_P(DirectTextureFormats, ShowTheColourTheFrameHolds) {
  const AVPixelFormat format = GetParam();
  Uint32 sdl_format = 0;
  SDL_BlendMode blend = SDL_BLENDMODE_NONE;
  cinelock::texture_format_for(format, &sdl_format, &blend);
  ASSERT_NE(sdl_format, Uint32{SDL_PIXELFORMAT_UNKNOWN}) << av_get_pix_fmt_name(format);

  // YUV round trips and 2-bit blue lose a little.
  const int tolerance = 12;
  for (const rgb &colour : {kRed, kBlue}) {
    ASSERT_TRUE(show(make_solid_frame(format, kAreaWidth, kAreaHeight, colour)));
    EXPECT_EQ(texture_format(), sdl_format);
    EXPECT_TRUE(colour_near(pixel_at(kAreaWidth / 2, kAreaHeight / 2), colour, tolerance))
        << av_get_pix_fmt_name(format);
    EXPECT_TRUE(colour_near(pixel_at(0, 0), colour, tolerance)) << av_get_pix_fmt_name(format);
  }
}

INSTANTIATE_TEST_SUITE_P(
    PictureUpload, DirectTextureFormats,
    ::testing::Values(AV_PIX_FMT_RGB8, AV_PIX_FMT_RGB444LE, AV_PIX_FMT_RGB555LE,
                      AV_PIX_FMT_BGR555LE, AV_PIX_FMT_RGB565LE, AV_PIX_FMT_BGR565LE,
                      AV_PIX_FMT_RGB24, AV_PIX_FMT_BGR24, AV_PIX_FMT_BGR0, AV_PIX_FMT_RGB0,
                      AV_PIX_FMT_0BGR, AV_PIX_FMT_0RGB, AV_PIX_FMT_BGRA, AV_PIX_FMT_ABGR,
                      AV_PIX_FMT_RGBA, AV_PIX_FMT_ARGB, AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUYV422,
                      AV_PIX_FMT_UYVY422),
    [](const ::testing::TestParamInfo<AVPixelFormat> &info) {
      std::string name = av_get_pix_fmt_name(info.param);
      for (char &c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      }
      return name;
    });

// The byte offsets of red and alpha in each 32-bit format with alpha.
struct alpha_layout {
  AVPixelFormat format;
  int red;
  int alpha;
};

TEST_F(PictureUpload, FormatsWithAlphaAreBlendedOverTheBlackBackground) {
  for (const alpha_layout &layout :
       {alpha_layout{AV_PIX_FMT_BGRA, 2, 3}, alpha_layout{AV_PIX_FMT_ABGR, 3, 0},
        alpha_layout{AV_PIX_FMT_RGBA, 0, 3}, alpha_layout{AV_PIX_FMT_ARGB, 1, 0}}) {
    frame_ptr frame = make_frame(layout.format, kAreaWidth, kAreaHeight);
    ASSERT_TRUE(frame);
    for (int y = 0; y < kAreaHeight; y++) {
      uint8_t *row = frame->data[0] + y * frame->linesize[0];
      std::memset(row, 0, static_cast<size_t>(kAreaWidth) * 4);
      // Fully transparent red on the left, opaque red on the right.
      for (int x = 0; x < kAreaWidth; x++) {
        row[4 * x + layout.red] = 255;
        row[4 * x + layout.alpha] = x < kAreaWidth / 2 ? 0 : 255;
      }
    }
    ASSERT_TRUE(show(std::move(frame)));
    EXPECT_TRUE(colour_near(pixel_at(2, 2), kBlack, 0)) << av_get_pix_fmt_name(layout.format);
    EXPECT_TRUE(colour_near(pixel_at(kAreaWidth - 2, 2), kRed, 0))
        << av_get_pix_fmt_name(layout.format);
  }
}

TEST_F(PictureUpload, PaddingBytesAreNotTakenForAlpha) {
  frame_ptr frame = make_frame(AV_PIX_FMT_BGR0, kAreaWidth, kAreaHeight);
  ASSERT_TRUE(frame);
  for (int y = 0; y < kAreaHeight; y++) {
    uint8_t *row = frame->data[0] + y * frame->linesize[0];
    for (int x = 0; x < kAreaWidth; x++) {
      const uint8_t pixel[4] = {0, 0, 255, 0};
      std::memcpy(row + 4 * x, pixel, 4);
    }
  }
  ASSERT_TRUE(show(std::move(frame)));
  EXPECT_TRUE(colour_near(pixel_at(2, 2), kRed, 0));
}

// A YUV420P frame of one colour given as Y, Cb, Cr.
frame_ptr make_yuv420p(uint8_t y, uint8_t cb, uint8_t cr, AVColorSpace space,
                       AVColorRange range) {
  frame_ptr frame = make_frame(AV_PIX_FMT_YUV420P, 64, 48);
  if (!frame) return nullptr;
  const uint8_t values[3] = {y, cb, cr};
  for (int plane = 0; plane < 3; plane++) {
    const int rows = plane == 0 ? 48 : 24;
    for (int row = 0; row < rows; row++) {
      std::memset(frame->data[plane] + row * frame->linesize[plane], values[plane],
                  static_cast<size_t>(plane == 0 ? 64 : 32));
    }
  }
  frame->colorspace = space;
  frame->color_range = range;
  return frame;
}

class YuvConversionMode : public PictureUpload {};

// Red in each standard's limited range: BT.601 (81, 90, 240) and BT.709
// (63, 102, 240). Decoded with the other standard's matrix, the 709 red
// would come out near (233, 0, 2).
TEST_F(YuvConversionMode, TaggedColourSpacesDecodeWithTheirOwnMatrix) {
  ASSERT_TRUE(show(make_yuv420p(63, 102, 240, AVCOL_SPC_BT709, AVCOL_RANGE_MPEG)));
  EXPECT_TRUE(colour_near(pixel_at(32, 24), kRed, 5));

  for (AVColorSpace space : {AVCOL_SPC_BT470BG, AVCOL_SPC_SMPTE170M, AVCOL_SPC_SMPTE240M}) {
    ASSERT_TRUE(show(make_yuv420p(81, 90, 240, space, AVCOL_RANGE_MPEG)));
    EXPECT_TRUE(colour_near(pixel_at(32, 24), kRed, 5)) << av_color_space_name(space);
  }
}

TEST_F(YuvConversionMode, FullRangePicturesKeepTheirLevels) {
  // Full-range grey 235 stays 235; read as limited range it would be white.
  ASSERT_TRUE(show(make_yuv420p(235, 128, 128, AVCOL_SPC_BT709, AVCOL_RANGE_JPEG)));
  EXPECT_TRUE(colour_near(pixel_at(32, 24), rgb{235, 235, 235}, 2));
}

TEST_F(YuvConversionMode, IsResetToAutomaticAfterDrawing) {
  ASSERT_TRUE(show(make_yuv420p(63, 102, 240, AVCOL_SPC_BT709, AVCOL_RANGE_MPEG)));
  EXPECT_EQ(SDL_GetYUVConversionMode(), SDL_YUV_CONVERSION_AUTOMATIC);
}

TEST_F(YuvConversionMode, IsChosenForTextureYuvFormatsOnly) {
  frame_ptr yuv = make_yuv420p(16, 128, 128, AVCOL_SPC_BT709, AVCOL_RANGE_JPEG);
  EXPECT_EQ(cinelock::yuv_conversion_mode_for(yuv.get()), SDL_YUV_CONVERSION_JPEG);
  yuv->color_range = AVCOL_RANGE_UNSPECIFIED;
  yuv->colorspace = AVCOL_SPC_UNSPECIFIED;
  EXPECT_EQ(cinelock::yuv_conversion_mode_for(yuv.get()), SDL_YUV_CONVERSION_AUTOMATIC);

  frame_ptr packed = make_frame(AV_PIX_FMT_UYVY422, 4, 4);
  packed->colorspace = AVCOL_SPC_BT709;
  EXPECT_EQ(cinelock::yuv_conversion_mode_for(packed.get()), SDL_YUV_CONVERSION_BT709);

  // Planar YUV without a YUV texture goes through the scaler instead.
  for (AVPixelFormat format : {AV_PIX_FMT_RGB24, AV_PIX_FMT_YUV444P, AV_PIX_FMT_YUV420P10LE}) {
    frame_ptr other = make_frame(format, 4, 4);
    other->colorspace = AVCOL_SPC_BT709;
    other->color_range = AVCOL_RANGE_JPEG;
    EXPECT_EQ(cinelock::yuv_conversion_mode_for(other.get()), SDL_YUV_CONVERSION_AUTOMATIC)
        << av_get_pix_fmt_name(format);
  }
  EXPECT_EQ(cinelock::yuv_conversion_mode_for(nullptr), SDL_YUV_CONVERSION_AUTOMATIC);
}

class ScalerFallback : public PictureUpload {};

frame_ptr make_pal8(int width, int height, uint32_t top_argb, uint32_t bottom_argb) {
  frame_ptr frame = make_frame(AV_PIX_FMT_PAL8, width, height);
  if (!frame) return nullptr;
  auto *palette = reinterpret_cast<uint32_t *>(frame->data[1]);
  palette[3] = top_argb;
  palette[7] = bottom_argb;
  for (int y = 0; y < height; y++) {
    std::memset(frame->data[0] + y * frame->linesize[0], y < height / 2 ? 3 : 7,
                static_cast<size_t>(width));
  }
  return frame;
}

TEST_F(ScalerFallback, PalettedPicturesAreShownThroughBgra) {
  ASSERT_TRUE(show(make_pal8(kAreaWidth, kAreaHeight, 0xffff0000u, 0xff0000ffu)));
  EXPECT_EQ(texture_format(), Uint32{SDL_PIXELFORMAT_ARGB8888});
  EXPECT_TRUE(colour_near(pixel_at(32, 4), kRed, 0));
  EXPECT_TRUE(colour_near(pixel_at(32, kAreaHeight - 4), kBlue, 0));
}

TEST_F(ScalerFallback, TenBitPicturesAreShownThroughBgra) {
  ASSERT_TRUE(show(make_solid_frame(AV_PIX_FMT_YUV420P10LE, kAreaWidth, kAreaHeight, kRed)));
  EXPECT_EQ(texture_format(), Uint32{SDL_PIXELFORMAT_ARGB8888});
  EXPECT_TRUE(colour_near(pixel_at(32, 24), kRed, 8));
}

class NegativeLineSizes : public PictureUpload {};

// Turns a frame stored top-down into the same memory read bottom-up: the
// picture seen through the frame is upside down from the memory.
void read_bottom_up(AVFrame *frame, int planes) {
  for (int plane = 0; plane < planes; plane++) {
    const int rows = plane == 0 ? frame->height : (frame->height + 1) / 2;
    frame->data[plane] += static_cast<ptrdiff_t>(frame->linesize[plane]) * (rows - 1);
    frame->linesize[plane] = -frame->linesize[plane];
  }
}

TEST_F(NegativeLineSizes, PackedPicturesAreShownUpright) {
  // In memory blue above red: seen bottom-up, red is on top.
  frame_ptr frame = make_two_band_rgb24(kAreaWidth, kAreaHeight, kBlue, kRed);
  read_bottom_up(frame.get(), 1);
  ASSERT_TRUE(show(std::move(frame)));
  EXPECT_TRUE(colour_near(pixel_at(32, 4), kRed, 0));
  EXPECT_TRUE(colour_near(pixel_at(32, kAreaHeight - 4), kBlue, 0));
}

TEST_F(NegativeLineSizes, PlanarYuvPicturesAreShownUpright) {
  frame_ptr rgb_frame = make_two_band_rgb24(kAreaWidth, kAreaHeight, kBlue, kRed);
  frame_ptr frame = make_frame(AV_PIX_FMT_YUV420P, kAreaWidth, kAreaHeight);
  SwsContext *scaler = sws_getContext(kAreaWidth, kAreaHeight, AV_PIX_FMT_RGB24, kAreaWidth,
                                      kAreaHeight, AV_PIX_FMT_YUV420P, SWS_POINT, nullptr,
                                      nullptr, nullptr);
  ASSERT_NE(scaler, nullptr);
  sws_scale(scaler, rgb_frame->data, rgb_frame->linesize, 0, kAreaHeight, frame->data,
            frame->linesize);
  sws_freeContext(scaler);
  read_bottom_up(frame.get(), 3);
  ASSERT_TRUE(show(std::move(frame)));
  EXPECT_TRUE(colour_near(pixel_at(32, 4), kRed, 12));
  EXPECT_TRUE(colour_near(pixel_at(32, kAreaHeight - 4), kBlue, 12));
}

TEST_F(NegativeLineSizes, ScaledPicturesAreShownUpright) {
  frame_ptr frame = make_pal8(kAreaWidth, kAreaHeight, 0xff0000ffu, 0xffff0000u);
  read_bottom_up(frame.get(), 1);
  ASSERT_TRUE(show(std::move(frame)));
  EXPECT_TRUE(colour_near(pixel_at(32, 4), kRed, 0));
  EXPECT_TRUE(colour_near(pixel_at(32, kAreaHeight - 4), kBlue, 0));
}

TEST_F(NegativeLineSizes, MixedSignsInPlanarYuvAreRefused) {
  log_recorder log(AV_LOG_ERROR);
  frame_ptr frame = make_yuv420p(81, 90, 240, AVCOL_SPC_BT470BG, AVCOL_RANGE_MPEG);
  frame->data[1] += frame->linesize[1] * 23;
  frame->linesize[1] = -frame->linesize[1];
  EXPECT_FALSE(show(std::move(frame)));
  EXPECT_TRUE(log.contains("Mixed negative and positive linesizes are not supported.\n"))
      << log.text();
  EXPECT_TRUE(colour_near(pixel_at(32, 24), kBlack, 0));
}

}  // namespace
}  // namespace presenter_test
