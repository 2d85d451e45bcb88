// Bitmap subtitles are drawn over the pictures of their time span and
// wiped when the video clock passes their end or the next one starts.
#include <cstring>
#include <utility>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/mem.h>
}

#include "presenter/presenter.h"
#include "presenter_fixture.h"

namespace presenter_test {
namespace {

constexpr rgb kYellow{255, 255, 0};

class SubtitleDisplay : public presenter_fixture {
 protected:
  void SetUp() override {
    presenter_fixture::SetUp();
    open_video();
    open_subtitles();
  }

  // One opaque square region of colour argb at (x, y), shown from pts +
  // start_ms to pts + end_ms.
  void push_subtitle(double pts, uint32_t start_ms, uint32_t end_ms, int x, int y, int size,
                     uint32_t argb, int serial) {
    ASSERT_LT(state->subpq.count.load(), state->subpq.capacity);
    cinelock::ring_slot *slot = cinelock::decoded_ring_peek_writable(&state->subpq);
    ASSERT_NE(slot, nullptr);
    AVSubtitle &subtitle = slot->subtitle;
    subtitle.format = 0;
    subtitle.start_display_time = start_ms;
    subtitle.end_display_time = end_ms;
    subtitle.num_rects = 1;
    subtitle.rects = static_cast<AVSubtitleRect **>(av_mallocz(sizeof(AVSubtitleRect *)));
    AVSubtitleRect *region = static_cast<AVSubtitleRect *>(av_mallocz(sizeof(AVSubtitleRect)));
    subtitle.rects[0] = region;
    region->type = SUBTITLE_BITMAP;
    region->x = x;
    region->y = y;
    region->w = size;
    region->h = size;
    region->nb_colors = 2;
    region->linesize[0] = size;
    region->data[0] = static_cast<uint8_t *>(av_malloc(static_cast<size_t>(size) * size));
    std::memset(region->data[0], 1, static_cast<size_t>(size) * size);
    region->data[1] = static_cast<uint8_t *>(av_mallocz(1024));
    reinterpret_cast<uint32_t *>(region->data[1])[1] = argb;
    slot->pts = pts;
    slot->serial = serial;
    slot->width = kAreaWidth;
    slot->height = kAreaHeight;
    slot->uploaded = 0;
    cinelock::decoded_ring_push(&state->subpq);
  }

  // Shows a blue picture at pts and tells whether the subtitle square at
  // (4, 4) was drawn over it (and in which colour).
  rgb show_picture_at(double pts) {
    push_picture(make_two_band_rgb24(kAreaWidth, kAreaHeight, kBlue, kBlue), pts,
                 video_serial());
    refresh_with_next_picture_due();
    return pixel_at(4, 4);
  }

  int subtitle_serial() const { return state->subtitleq.serial.load(); }
};

TEST_F(SubtitleDisplay, IsDrawnDuringItsSpanAndWipedAfterIt) {
  push_subtitle(0.0, 0, 100, 0, 0, 8, 0xffff0000u, subtitle_serial());
  EXPECT_TRUE(colour_near(show_picture_at(0.0), kRed, 0));
  EXPECT_TRUE(colour_near(pixel_at(20, 20), kBlue, 0)) << "only the region is covered";
  EXPECT_TRUE(colour_near(show_picture_at(0.04), kRed, 0));
  EXPECT_TRUE(colour_near(show_picture_at(0.08), kRed, 0));
  EXPECT_TRUE(colour_near(show_picture_at(0.12), kBlue, 0));
  EXPECT_EQ(cinelock::decoded_ring_remaining(&state->subpq), 0);
}

TEST_F(SubtitleDisplay, WaitsForItsStartTime) {
  push_subtitle(0.0, 60, 1000, 0, 0, 8, 0xffff0000u, subtitle_serial());
  EXPECT_TRUE(colour_near(show_picture_at(0.0), kBlue, 0));
  EXPECT_TRUE(colour_near(show_picture_at(0.04), kBlue, 0));
  EXPECT_TRUE(colour_near(show_picture_at(0.08), kRed, 0));
}

TEST_F(SubtitleDisplay, GivesWayToTheNextOneWhenItStarts) {
  push_subtitle(0.0, 0, 10000, 0, 0, 8, 0xffff0000u, subtitle_serial());
  push_subtitle(0.1, 0, 10000, 0, 0, 8, 0xffffff00u, subtitle_serial());
  EXPECT_TRUE(colour_near(show_picture_at(0.04), kRed, 0));
  EXPECT_TRUE(colour_near(show_picture_at(0.12), kYellow, 0));
  EXPECT_EQ(cinelock::decoded_ring_remaining(&state->subpq), 1);
}

TEST_F(SubtitleDisplay, SubtitlesFromBeforeASeekAreDropped) {
  push_subtitle(0.0, 0, 10000, 0, 0, 8, 0xffff0000u, subtitle_serial() - 1);
  EXPECT_TRUE(colour_near(show_picture_at(0.04), kBlue, 0));
  EXPECT_EQ(cinelock::decoded_ring_remaining(&state->subpq), 0);
}

TEST_F(SubtitleDisplay, ARegionOverTheEdgeIsDrawnUpToTheEdge) {
  log_recorder log(AV_LOG_ERROR);
  push_subtitle(0.0, 0, 100, kAreaWidth - 4, 0, 8, 0xffff0000u, subtitle_serial());
  show_picture_at(0.0);
  EXPECT_TRUE(colour_near(pixel_at(kAreaWidth - 2, 2), kRed, 0));
  EXPECT_TRUE(colour_near(pixel_at(kAreaWidth - 6, 2), kBlue, 0));
  EXPECT_TRUE(log.text().empty()) << log.text();
}

TEST_F(SubtitleDisplay, ARegionEntirelyOutsideIsSkippedQuietly) {
  log_recorder log(AV_LOG_ERROR);
  push_subtitle(0.0, 0, 100, kAreaWidth + 10, 0, 8, 0xffff0000u, subtitle_serial());
  EXPECT_TRUE(colour_near(show_picture_at(0.0), kBlue, 0));
  EXPECT_EQ(cinelock::decoded_ring_peek(&state->subpq)->uploaded, 1);
  EXPECT_TRUE(log.text().empty()) << log.text();
}

}  // namespace
}  // namespace presenter_test
