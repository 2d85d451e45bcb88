// The software drawing path (output/drawing_path.h): each shown picture is
// converted and scaled once by libswscale to the size it is displayed at,
// in the window surface's format, and copied as it is; subtitles still go
// over it. Drawn through the fixture's software renderer, read back.
#include <cstring>
#include <utility>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/mem.h>
#include <libavutil/pixdesc.h>
}

#include "output/drawing_path.h"
#include "output/process_output.h"
#include "presenter/presenter.h"
#include "presenter_fixture.h"

namespace presenter_test {
namespace {

constexpr rgb kRed{255, 0, 0};
constexpr rgb kBlue{0, 0, 255};
constexpr rgb kGreen{0, 255, 0};
constexpr rgb kBlack{0, 0, 0};

class SoftwarePath : public presenter_fixture,
                     public ::testing::WithParamInterface<Uint32> {
 protected:
  void SetUp() override {
    presenter_fixture::SetUp();
    cinelock::ProcessOutput &output = cinelock::process_output();
    output.software_drawing = true;
    output.picture_format = GetParam();
    open_video();
  }
  void TearDown() override {
    cinelock::ProcessOutput &output = cinelock::process_output();
    output.software_drawing = false;
    output.picture_format = SDL_PIXELFORMAT_ARGB8888;
    presenter_fixture::TearDown();
  }

  bool show(frame_ptr frame, double pts = 0.0) {
    const size_t before = seen.size();
    push_picture(std::move(frame), pts, video_serial());
    refresh_with_next_picture_due();
    return seen.size() == before + 1;
  }

  // Draws the last picture again without a new one (an expose).
  void redraw() {
    state->force_refresh = 1;
    double remaining = 0.01;
    cinelock::video_refresh(state.get(), &remaining);
  }

  // The size the last picture was scaled to, and its texture's format.
  // The texture holds it at its top left (its rows may be padded).
  void texture_size(int *width, int *height, Uint32 *format = nullptr) const {
    ASSERT_NE(state->vid_texture, nullptr);
    int texture_width = 0, texture_height = 0;
    ASSERT_EQ(SDL_QueryTexture(state->vid_texture, format, nullptr, &texture_width, &texture_height), 0);
    *width = state->scaled_width;
    *height = state->scaled_height;
    EXPECT_EQ(texture_height, *height);
    EXPECT_GE(texture_width, *width);
    EXPECT_LT(texture_width, *width + 8);
  }
};

// A picture four times the area's size is held at the area's size, in the
// surface's format, and its bands land where they belong.
TEST_P(SoftwarePath, PicturesAreScaledToTheDisplayedSizeInTheSurfaceFormat) {
  ASSERT_TRUE(show(make_two_band_rgb24(4 * kAreaWidth, 4 * kAreaHeight, kRed, kBlue)));
  int width = 0, height = 0;
  Uint32 format = 0;
  texture_size(&width, &height, &format);
  EXPECT_EQ(width, kAreaWidth);
  EXPECT_EQ(height, kAreaHeight);
  EXPECT_EQ(format, GetParam());
  EXPECT_TRUE(colour_near(pixel_at(kAreaWidth / 2, 4), kRed, 2));
  EXPECT_TRUE(colour_near(pixel_at(kAreaWidth / 2, kAreaHeight - 4), kBlue, 2));
  EXPECT_TRUE(colour_near(pixel_at(0, 0), kRed, 2));
  EXPECT_TRUE(colour_near(pixel_at(kAreaWidth - 1, kAreaHeight - 1), kBlue, 2));
}

// A picture of another shape keeps its aspect: black bars beside it.
TEST_P(SoftwarePath, ThePictureKeepsItsAspectInsideTheArea) {
  ASSERT_TRUE(show(make_solid_frame(AV_PIX_FMT_YUV420P, 240, 240, kGreen)));
  int width = 0, height = 0;
  texture_size(&width, &height);
  EXPECT_EQ(width, kAreaHeight);
  EXPECT_EQ(height, kAreaHeight);
  EXPECT_TRUE(colour_near(pixel_at(kAreaWidth / 2, kAreaHeight / 2), kGreen, 12));
  EXPECT_TRUE(colour_near(pixel_at(2, kAreaHeight / 2), kBlack, 0));
  EXPECT_TRUE(colour_near(pixel_at(kAreaWidth - 2, kAreaHeight / 2), kBlack, 0));
}

// Drawn again without a new picture (an expose), the scaled picture is
// reused: changing the decoded frame afterwards shows nothing of it. A new
// displayed size scales it again.
TEST_P(SoftwarePath, EachPictureIsScaledOnceUntilTheDisplayedSizeChanges) {
  ASSERT_TRUE(show(make_two_band_rgb24(2 * kAreaWidth, 2 * kAreaHeight, kRed, kRed)));
  AVFrame *decoded = cinelock::decoded_ring_peek_last(&state->pictq)->frame;
  for (int y = 0; y < decoded->height; y++)
    std::memset(decoded->data[0] + y * decoded->linesize[0], 0, 3 * static_cast<size_t>(decoded->width));
  redraw();
  EXPECT_TRUE(colour_near(pixel_at(kAreaWidth / 2, kAreaHeight / 2), kRed, 2))
      << "the picture was converted again";

  state->width = kAreaWidth / 2;
  state->height = kAreaHeight / 2;
  redraw();
  int width = 0, height = 0;
  texture_size(&width, &height);
  EXPECT_EQ(width, kAreaWidth / 2);
  EXPECT_EQ(height, kAreaHeight / 2);
  EXPECT_TRUE(colour_near(pixel_at(kAreaWidth / 4, kAreaHeight / 4), kBlack, 0))
      << "not scaled again for the new size";
}

// 8-bit 4:2:0 pictures, what decoders mostly give, are scaled straight
// into the surface, beside black bars; drawn again (an expose) they are
// not converted again, and the bars are filled again.
TEST_P(SoftwarePath, DecodedPicturesAreScaledStraightIntoTheSurfaceOnce) {
  ASSERT_TRUE(show(make_solid_frame(AV_PIX_FMT_YUV420P, 96, 96, kGreen)));
  EXPECT_EQ(state->scaled_into, cinelock::ScaledInto::surface);
  EXPECT_EQ(state->scaled_width, kAreaHeight);
  EXPECT_TRUE(colour_near(pixel_at(kAreaWidth / 2, kAreaHeight / 2), kGreen, 12));
  EXPECT_TRUE(colour_near(pixel_at(2, kAreaHeight / 2), kBlack, 0));
  EXPECT_TRUE(colour_near(pixel_at(kAreaWidth - 2, kAreaHeight / 2), kBlack, 0));

  AVFrame *decoded = cinelock::decoded_ring_peek_last(&state->pictq)->frame;
  for (int plane = 0; plane < 3; ++plane)
    for (int y = 0; y < (plane ? 48 : 96); ++y)
      std::memset(decoded->data[plane] + y * decoded->linesize[plane], plane ? 128 : 16, plane ? 48 : 96);
  redraw();
  EXPECT_TRUE(colour_near(pixel_at(kAreaWidth / 2, kAreaHeight / 2), kGreen, 12))
      << "the picture was converted again";
  EXPECT_TRUE(colour_near(pixel_at(kAreaWidth - 2, kAreaHeight / 2), kBlack, 0));
}

// Where the scaler's padding would not fit right of the picture, the
// picture goes through a texture instead.
TEST_P(SoftwarePath, APictureWithoutRoomForPaddingGoesThroughATexture) {
  ASSERT_TRUE(show(make_solid_frame(AV_PIX_FMT_YUV420P, 2 * (kAreaWidth - 2), 2 * kAreaHeight, kBlue)));
  EXPECT_EQ(state->scaled_width, kAreaWidth - 2);
  EXPECT_EQ(state->scaled_into, cinelock::ScaledInto::texture);
  EXPECT_TRUE(colour_near(pixel_at(kAreaWidth / 2, kAreaHeight / 2), kBlue, 12));
  EXPECT_TRUE(colour_near(pixel_at(kAreaWidth - 3, kAreaHeight / 2), kBlue, 12));
  EXPECT_TRUE(colour_near(pixel_at(kAreaWidth - 1, kAreaHeight / 2), kBlack, 0));
}

// YUV pictures decode with their own matrix and range, as on the GL path:
// red in BT.709 and BT.601 limited range; full-range grey keeps its level.
TEST_P(SoftwarePath, YuvPicturesUseTheirOwnMatrixAndRange) {
  auto yuv = [](uint8_t y, uint8_t cb, uint8_t cr, AVColorSpace space, AVColorRange range) {
    frame_ptr frame = make_frame(AV_PIX_FMT_YUV420P, 128, 96);
    const uint8_t values[3] = {y, cb, cr};
    for (int plane = 0; plane < 3; plane++)
      for (int row = 0; row < (plane ? 48 : 96); row++)
        std::memset(frame->data[plane] + row * frame->linesize[plane], values[plane],
                    plane ? 64 : 128);
    frame->colorspace = space;
    frame->color_range = range;
    return frame;
  };
  ASSERT_TRUE(show(yuv(63, 102, 240, AVCOL_SPC_BT709, AVCOL_RANGE_MPEG), 0.0));
  EXPECT_TRUE(colour_near(pixel_at(32, 24), kRed, 6));
  ASSERT_TRUE(show(yuv(81, 90, 240, AVCOL_SPC_SMPTE170M, AVCOL_RANGE_MPEG), 0.04));
  EXPECT_TRUE(colour_near(pixel_at(32, 24), kRed, 6));
  ASSERT_TRUE(show(yuv(63, 102, 240, AVCOL_SPC_BT709, AVCOL_RANGE_MPEG), 0.08));
  EXPECT_TRUE(colour_near(pixel_at(32, 24), kRed, 6)) << "the matrix was not set back";
  ASSERT_TRUE(show(yuv(235, 128, 128, AVCOL_SPC_BT709, AVCOL_RANGE_JPEG), 0.12));
  EXPECT_TRUE(colour_near(pixel_at(32, 24), rgb{235, 235, 235}, 2));
}

// Every decoder format reaches the screen in its colours, through the
// scaler.
TEST_P(SoftwarePath, EveryFormatShowsTheColourItHolds) {
  double pts = 0;
  for (AVPixelFormat format :
       {AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUVJ420P, AV_PIX_FMT_YUV422P, AV_PIX_FMT_YUV444P,
        AV_PIX_FMT_YUV420P10LE, AV_PIX_FMT_NV12, AV_PIX_FMT_RGB24, AV_PIX_FMT_BGR0,
        AV_PIX_FMT_RGB565LE, AV_PIX_FMT_GRAY8}) {
    const bool grey = format == AV_PIX_FMT_GRAY8;
    for (const rgb &colour : {grey ? rgb{200, 200, 200} : kRed, grey ? rgb{40, 40, 40} : kBlue}) {
      ASSERT_TRUE(show(make_solid_frame(format, 2 * kAreaWidth, 2 * kAreaHeight, colour), pts));
      pts += 0.04;
      EXPECT_TRUE(colour_near(pixel_at(kAreaWidth / 2, kAreaHeight / 2), colour, 12))
          << av_get_pix_fmt_name(format);
    }
  }
}

// Pictures with alpha are blended over the black background, as on the GL
// path.
TEST_P(SoftwarePath, PicturesWithAlphaAreBlendedOverBlack) {
  frame_ptr frame = make_frame(AV_PIX_FMT_BGRA, kAreaWidth, kAreaHeight);
  ASSERT_TRUE(frame);
  for (int y = 0; y < kAreaHeight; y++) {
    uint8_t *row = frame->data[0] + y * frame->linesize[0];
    for (int x = 0; x < kAreaWidth; x++) {
      const uint8_t pixel[4] = {0, 0, 255, static_cast<uint8_t>(x < kAreaWidth / 2 ? 0 : 255)};
      std::memcpy(row + 4 * x, pixel, 4);
    }
  }
  ASSERT_TRUE(show(std::move(frame)));
  EXPECT_TRUE(colour_near(pixel_at(2, 2), kBlack, 0));
  EXPECT_TRUE(colour_near(pixel_at(kAreaWidth - 2, 2), kRed, 0));
}

// A bitmap subtitle is drawn over the scaled picture (a half-transparent
// one would show a second blend).
TEST_P(SoftwarePath, SubtitlesAreDrawnOverThePicture) {
  open_subtitles();
  cinelock::ring_slot *slot = cinelock::decoded_ring_peek_writable(&state->subpq);
  ASSERT_NE(slot, nullptr);
  AVSubtitle &subtitle = slot->subtitle;
  subtitle.start_display_time = 0;
  subtitle.end_display_time = 1000;
  subtitle.num_rects = 1;
  subtitle.rects = static_cast<AVSubtitleRect **>(av_mallocz(sizeof(AVSubtitleRect *)));
  AVSubtitleRect *region = static_cast<AVSubtitleRect *>(av_mallocz(sizeof(AVSubtitleRect)));
  subtitle.rects[0] = region;
  region->type = SUBTITLE_BITMAP;
  region->w = region->h = 16;
  region->nb_colors = 2;
  region->linesize[0] = 16;
  region->data[0] = static_cast<uint8_t *>(av_malloc(16 * 16));
  std::memset(region->data[0], 1, 16 * 16);
  region->data[1] = static_cast<uint8_t *>(av_mallocz(1024));
  reinterpret_cast<uint32_t *>(region->data[1])[1] = 0x8000ff00u;  // half-transparent green
  slot->pts = 0;
  slot->serial = state->subtitleq.serial.load();
  // Sized like the picture, twice the area: the region covers its upper
  // left eighth of the width on screen.
  slot->width = 2 * kAreaWidth;
  slot->height = 2 * kAreaHeight;
  slot->uploaded = 0;
  cinelock::decoded_ring_push(&state->subpq);

  // A decoded picture, scaled into the surface; the subtitle goes over it
  // each time it is drawn, and is not blended twice.
  ASSERT_TRUE(show(make_solid_frame(AV_PIX_FMT_YUV420P, 2 * kAreaWidth, 2 * kAreaHeight, kBlue)));
  EXPECT_EQ(state->scaled_into, cinelock::ScaledInto::surface);
  const rgb blended = pixel_at(3, 3);
  EXPECT_TRUE(colour_near(blended, rgb{0, 128, 128}, 12));
  EXPECT_TRUE(colour_near(pixel_at(kAreaWidth / 2, kAreaHeight / 2), kBlue, 12));
  redraw();
  EXPECT_TRUE(colour_near(pixel_at(3, 3), blended, 0));
  EXPECT_TRUE(colour_near(pixel_at(kAreaWidth / 2, kAreaHeight / 2), kBlue, 12));
}

// The window surface's formats on X11 (RGB888 for depth 24) and the
// fixture's own.
INSTANTIATE_TEST_SUITE_P(SurfaceFormats, SoftwarePath,
                         ::testing::Values(Uint32{SDL_PIXELFORMAT_ARGB8888},
                                           Uint32{SDL_PIXELFORMAT_RGB888}),
                         [](const ::testing::TestParamInfo<Uint32> &info) {
                           std::string name = SDL_GetPixelFormatName(info.param);
                           return name.substr(name.rfind('_') + 1);
                         });

TEST(DrawingPath, TheRequestComesFromCinelockDrawing) {
  using cinelock::DrawingRequest;
  EXPECT_EQ(cinelock::drawing_request_from(nullptr), DrawingRequest::automatic);
  EXPECT_EQ(cinelock::drawing_request_from(""), DrawingRequest::automatic);
  EXPECT_EQ(cinelock::drawing_request_from("auto"), DrawingRequest::automatic);
  EXPECT_EQ(cinelock::drawing_request_from("gl"), DrawingRequest::gl);
  EXPECT_EQ(cinelock::drawing_request_from("GL"), DrawingRequest::gl);
  EXPECT_EQ(cinelock::drawing_request_from("software"), DrawingRequest::software);
  EXPECT_EQ(cinelock::drawing_request_from("vulkan"), DrawingRequest::automatic);
  EXPECT_TRUE(cinelock::drawing_request_is_known("software"));
  EXPECT_FALSE(cinelock::drawing_request_is_known("vulkan"));
}

TEST(DrawingPath, SoftwareRasterisersAreRecognisedByTheirGlRendererString) {
  EXPECT_TRUE(cinelock::is_software_rasteriser("llvmpipe (LLVM 15.0.6, 256 bits)"));
  EXPECT_TRUE(cinelock::is_software_rasteriser("softpipe"));
  EXPECT_TRUE(cinelock::is_software_rasteriser("Software Rasterizer (swrast)"));
  EXPECT_FALSE(cinelock::is_software_rasteriser("AMD Radeon RX 6600 (navi23, LLVM 15.0.6, DRM 3.49)"));
  EXPECT_FALSE(cinelock::is_software_rasteriser("Mesa Intel(R) UHD Graphics 620 (KBL GT2)"));
  EXPECT_FALSE(cinelock::is_software_rasteriser(""));
}

// Automatic: GL stays where it is hardware, the software path is taken on
// a software rasteriser, with no GL renderer or SDL's software renderer.
TEST(DrawingPath, TheAutomaticChoiceFollowsTheGlRenderer) {
  using cinelock::DrawingRequest;
  using cinelock::software_path_chosen;
  const DrawingRequest automatic = DrawingRequest::automatic;
  EXPECT_FALSE(software_path_chosen(automatic, "opengl", "AMD Radeon RX 6600"));
  EXPECT_FALSE(software_path_chosen(automatic, "opengles2", "Mali-G52"));
  EXPECT_FALSE(software_path_chosen(automatic, "opengl", ""));  // unknown: left alone
  EXPECT_FALSE(software_path_chosen(automatic, "direct3d11", ""));
  EXPECT_TRUE(software_path_chosen(automatic, "opengl", "llvmpipe (LLVM 15.0.6, 256 bits)"));
  EXPECT_TRUE(software_path_chosen(automatic, "opengles2", "softpipe"));
  EXPECT_TRUE(software_path_chosen(automatic, "", ""));
  EXPECT_TRUE(software_path_chosen(automatic, "software", ""));
  // Forced either way.
  EXPECT_FALSE(software_path_chosen(DrawingRequest::gl, "opengl", "llvmpipe"));
  EXPECT_TRUE(software_path_chosen(DrawingRequest::software, "opengl", "AMD Radeon RX 6600"));
}

}  // namespace
}  // namespace presenter_test
