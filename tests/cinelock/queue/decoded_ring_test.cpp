// The ring's capacity, its order and what the reader sees with and without
// keep-last, and when frames and subtitles are released.
#include <gtest/gtest.h>

#include "decoded_ring.h"
#include "ring_test_support.h"

extern "C" {
#include <libavutil/mem.h>
}

namespace {

using namespace cinelock;
using namespace cinelock_test;

int allocated_frames(const decoded_ring &ring) {
  int frames = 0;
  for (const ring_slot &slot : ring.slots) {
    frames += slot.frame != nullptr;
  }
  return frames;
}

using DecodedRingCapacity = ring_test;

TEST_F(DecodedRingCapacity, RequestAbove16GivesSixteenSlotsThatAllFill) {
  open_ring(20, false);
  EXPECT_EQ(ring_.capacity, 16);
  EXPECT_EQ(allocated_frames(ring_), 16);
  for (int64_t pts = 0; pts < 16; pts++) {
    push_frame(pts);
  }
  EXPECT_EQ(decoded_ring_remaining(&ring_), 16);
  EXPECT_EQ(decoded_ring_peek(&ring_)->frame->pts, 0);
}

TEST_F(DecodedRingCapacity, FramesAreAllocatedOncePerRequestedSlot) {
  open_ring(3, true);
  EXPECT_EQ(ring_.capacity, 3);
  EXPECT_EQ(allocated_frames(ring_), 3);
}

TEST(DecodedRingInit, RefusesACapacityBelowOneOrNoFifo) {
  packet_fifo fifo;
  decoded_ring ring;
  EXPECT_EQ(decoded_ring_init(&ring, &fifo, 0, false), AVERROR(EINVAL));
  decoded_ring_destroy(&ring);
  EXPECT_EQ(decoded_ring_init(&ring, &fifo, -3, true), AVERROR(EINVAL));
  decoded_ring_destroy(&ring);
  EXPECT_EQ(decoded_ring_init(&ring, nullptr, 3, true), AVERROR(EINVAL));
  decoded_ring_destroy(&ring);
  EXPECT_EQ(allocated_frames(ring), 0);
}

using DecodedRingKeepLast = ring_test;

TEST_F(DecodedRingKeepLast, CapacityThreeAcceptsThreeFramesAndKeepsTheFirstShown) {
  open_ring(3, true);
  push_frame(10);
  push_frame(11);
  push_frame(12);
  EXPECT_EQ(decoded_ring_remaining(&ring_), 3);
  EXPECT_EQ(decoded_ring_peek(&ring_)->frame->pts, 10);

  buffer_watch first_buffer = watch(decoded_ring_peek(&ring_)->frame->buf[0]);
  decoded_ring_advance(&ring_);

  EXPECT_EQ(decoded_ring_remaining(&ring_), 2);
  EXPECT_EQ(decoded_ring_peek_last(&ring_)->frame->pts, 10);
  EXPECT_EQ(decoded_ring_peek(&ring_)->frame->pts, 11);
  EXPECT_EQ(decoded_ring_peek_next(&ring_)->frame->pts, 12);
  // The frame kept as last shown still holds its picture.
  EXPECT_EQ(av_buffer_get_ref_count(first_buffer.get()), 2);
}

TEST_F(DecodedRingKeepLast, LaterAdvancesReleaseTheFrameShownBefore) {
  open_ring(3, true);
  push_frame(10);
  push_frame(11);
  push_frame(12);
  buffer_watch first_buffer = watch(decoded_ring_peek(&ring_)->frame->buf[0]);
  decoded_ring_advance(&ring_);
  decoded_ring_advance(&ring_);

  EXPECT_EQ(av_buffer_get_ref_count(first_buffer.get()), 1);
  EXPECT_EQ(decoded_ring_remaining(&ring_), 1);
  EXPECT_EQ(decoded_ring_peek_last(&ring_)->frame->pts, 11);
  EXPECT_EQ(decoded_ring_peek(&ring_)->frame->pts, 12);

  // The freed slot is the next one written, after which the order wraps.
  push_frame(13);
  EXPECT_EQ(decoded_ring_peek_next(&ring_)->frame->pts, 13);
  decoded_ring_advance(&ring_);
  EXPECT_EQ(decoded_ring_peek_last(&ring_)->frame->pts, 12);
  EXPECT_EQ(decoded_ring_peek(&ring_)->frame->pts, 13);
}

TEST_F(DecodedRingKeepLast, OrderSurvivesManyTurnsOfTheRing) {
  open_ring(3, true);
  push_frame(0);
  decoded_ring_advance(&ring_);
  for (int64_t pts = 1; pts < 40; pts++) {
    push_frame(pts);
    ASSERT_EQ(decoded_ring_remaining(&ring_), 1);
    ASSERT_EQ(decoded_ring_peek(&ring_)->frame->pts, pts);
    ASSERT_EQ(decoded_ring_peek_last(&ring_)->frame->pts, pts - 1);
    decoded_ring_advance(&ring_);
  }
}

using DecodedRingWithoutKeepLast = ring_test;

TEST_F(DecodedRingWithoutKeepLast, AdvanceReleasesTheFrameAtOnce) {
  open_ring(4, false);
  push_frame(1);
  push_frame(2);
  buffer_watch first_buffer = watch(decoded_ring_peek(&ring_)->frame->buf[0]);

  decoded_ring_advance(&ring_);

  EXPECT_EQ(av_buffer_get_ref_count(first_buffer.get()), 1);
  EXPECT_EQ(decoded_ring_remaining(&ring_), 1);
  EXPECT_EQ(decoded_ring_peek(&ring_)->frame->pts, 2);
  EXPECT_EQ(decoded_ring_peek_last(&ring_)->frame->pts, 2);
}

TEST_F(DecodedRingWithoutKeepLast, AdvanceFreesTheSlotsSubtitle) {
  open_ring(16, false);
  ring_slot *slot = decoded_ring_peek_writable(&ring_);
  ASSERT_NE(slot, nullptr);
  slot->subtitle.num_rects = 1;
  slot->subtitle.rects = static_cast<AVSubtitleRect **>(av_mallocz(sizeof(AVSubtitleRect *)));
  ASSERT_NE(slot->subtitle.rects, nullptr);
  slot->subtitle.rects[0] = static_cast<AVSubtitleRect *>(av_mallocz(sizeof(AVSubtitleRect)));
  ASSERT_NE(slot->subtitle.rects[0], nullptr);
  decoded_ring_push(&ring_);

  ring_slot *shown = decoded_ring_peek_readable(&ring_);
  ASSERT_EQ(shown, slot);
  decoded_ring_advance(&ring_);

  EXPECT_EQ(slot->subtitle.num_rects, 0u);
  EXPECT_EQ(slot->subtitle.rects, nullptr);
  EXPECT_EQ(decoded_ring_remaining(&ring_), 0);
}

TEST_F(DecodedRingWithoutKeepLast, DestroyReleasesFramesAndSubtitlesStillQueued) {
  open_ring(4, false);
  push_frame(1);
  buffer_watch held = watch(decoded_ring_peek(&ring_)->frame->buf[0]);
  ring_slot *slot = decoded_ring_peek_writable(&ring_);
  ASSERT_NE(slot, nullptr);
  slot->subtitle.num_rects = 1;
  slot->subtitle.rects = static_cast<AVSubtitleRect **>(av_mallocz(sizeof(AVSubtitleRect *)));
  ASSERT_NE(slot->subtitle.rects, nullptr);
  slot->subtitle.rects[0] = static_cast<AVSubtitleRect *>(av_mallocz(sizeof(AVSubtitleRect)));
  decoded_ring_push(&ring_);

  decoded_ring_destroy(&ring_);
  ring_ready_ = false;

  EXPECT_EQ(av_buffer_get_ref_count(held.get()), 1);
  // The subtitle's memory is checked by the leak checker of sanitizer builds.
}

TEST_F(DecodedRingWithoutKeepLast, AbortedFifoMakesPeeksGiveNothingWithoutWaiting) {
  open_ring(4, false);
  push_frame(1);
  packet_fifo_abort(&fifo_);
  EXPECT_EQ(decoded_ring_peek_writable(&ring_), nullptr);
  EXPECT_EQ(decoded_ring_peek_readable(&ring_), nullptr);
}

}  // namespace
