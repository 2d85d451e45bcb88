// Serials and the flush marker, and the fifo's life from init to destroy.
#include <gtest/gtest.h>

#include "flush_marker.h"
#include "packet_fifo.h"
#include "queue_test_support.h"

namespace {

using namespace cinelock;
using namespace cinelock_test;

struct taken {
  int result = 0;
  int serial = -100;
  int64_t pts = 0;
  bool marker = false;
};

taken take(packet_fifo *fifo) {
  packet_ptr out = make_blank_packet();
  taken t;
  t.result = packet_fifo_get(fifo, out.get(), false, &t.serial);
  t.pts = out->pts;
  t.marker = is_flush_marker(out.get());
  return t;
}

void expect_marker_intact() {
  AVPacket *marker = flush_marker();
  ASSERT_NE(marker, nullptr);
  EXPECT_EQ(marker->data, reinterpret_cast<uint8_t *>(marker));
  EXPECT_EQ(marker->buf, nullptr);
  EXPECT_EQ(marker->size, 0);
}

TEST(FlushMarker, IsOnePacketPointingAtItself) {
  ASSERT_EQ(flush_marker_prepare(), 0);
  AVPacket *marker = flush_marker();
  ASSERT_EQ(flush_marker_prepare(), 0);
  EXPECT_EQ(flush_marker(), marker);
  expect_marker_intact();
  EXPECT_TRUE(is_flush_marker(marker));
}

TEST(FlushMarker, OrdinaryAndMissingPacketsAreNotTheMarker) {
  packet_ptr ordinary = make_packet(16, 0, 1);
  packet_ptr blank = make_blank_packet();
  EXPECT_FALSE(is_flush_marker(ordinary.get()));
  EXPECT_FALSE(is_flush_marker(blank.get()));
  EXPECT_FALSE(is_flush_marker(nullptr));
}

using PacketFifoSerial = open_fifo_test;

TEST_F(PacketFifoSerial, MarkerRaisesTheSerialAndLaterPacketsCarryIt) {
  const int before = fifo_.serial.load(relaxed);
  packet_ptr early = make_packet(10, 1, 1);
  packet_ptr late = make_packet(10, 2, 1);
  ASSERT_EQ(packet_fifo_put(&fifo_, early.get()), 0);
  ASSERT_EQ(packet_fifo_put(&fifo_, flush_marker()), 0);
  ASSERT_EQ(packet_fifo_put(&fifo_, late.get()), 0);
  EXPECT_EQ(fifo_.serial.load(relaxed), before + 1);

  taken first = take(&fifo_);
  taken second = take(&fifo_);
  taken third = take(&fifo_);
  ASSERT_EQ(first.result, 1);
  ASSERT_EQ(second.result, 1);
  ASSERT_EQ(third.result, 1);
  EXPECT_EQ(first.pts, 1);
  EXPECT_EQ(first.serial, before);
  EXPECT_FALSE(first.marker);
  EXPECT_TRUE(second.marker);
  EXPECT_EQ(second.serial, before + 1);
  EXPECT_EQ(third.pts, 2);
  EXPECT_EQ(third.serial, before + 1);
  EXPECT_FALSE(third.marker);
}

TEST_F(PacketFifoSerial, FlushEmptiesTheFifoButKeepsTheSerial) {
  ASSERT_EQ(packet_fifo_put(&fifo_, flush_marker()), 0);
  const int serial = fifo_.serial.load(relaxed);
  packet_ptr packet = make_packet(10, 1, 1);
  ASSERT_EQ(packet_fifo_put(&fifo_, packet.get()), 0);

  packet_fifo_flush(&fifo_);
  EXPECT_EQ(fifo_.serial.load(relaxed), serial);

  packet_ptr next = make_packet(10, 2, 1);
  ASSERT_EQ(packet_fifo_put(&fifo_, next.get()), 0);
  taken t = take(&fifo_);
  EXPECT_EQ(t.pts, 2);
  EXPECT_EQ(t.serial, serial);
}

TEST_F(PacketFifoSerial, MarkerSurvivesBeingQueuedTakenFlushedAndRefused) {
  ASSERT_EQ(packet_fifo_put(&fifo_, flush_marker()), 0);
  // The marker's stand-in taken out is released like any packet.
  taken t = take(&fifo_);
  EXPECT_TRUE(t.marker);
  expect_marker_intact();

  ASSERT_EQ(packet_fifo_put(&fifo_, flush_marker()), 0);
  packet_fifo_flush(&fifo_);
  expect_marker_intact();

  packet_fifo_abort(&fifo_);
  EXPECT_EQ(packet_fifo_put(&fifo_, flush_marker()), -1);
  expect_marker_intact();
}

TEST(PacketFifoLifecycle, NewFifoRefusesEverythingUntilStarted) {
  packet_fifo fifo;
  ASSERT_EQ(packet_fifo_init(&fifo), 0);
  packet_ptr packet = make_packet(10, 0, 1);
  EXPECT_EQ(packet_fifo_put(&fifo, packet.get()), -1);
  packet_ptr out = make_blank_packet();
  EXPECT_EQ(packet_fifo_get(&fifo, out.get(), false, nullptr), -1);
  packet_fifo_destroy(&fifo);
}

TEST(PacketFifoLifecycle, StartQueuesTheMarkerUnderANewSerial) {
  packet_fifo fifo;
  ASSERT_EQ(packet_fifo_init(&fifo), 0);
  EXPECT_EQ(fifo.serial.load(relaxed), 0);
  ASSERT_EQ(packet_fifo_start(&fifo), 0);
  EXPECT_EQ(fifo.packet_count.load(relaxed), 1);
  EXPECT_EQ(fifo.byte_total.load(relaxed), 104);

  taken t = take(&fifo);
  EXPECT_EQ(t.result, 1);
  EXPECT_TRUE(t.marker);
  EXPECT_EQ(t.serial, 1);
  packet_fifo_destroy(&fifo);
}

TEST(PacketFifoLifecycle, RestartAfterAbortReopensUnderTheNextSerial) {
  packet_fifo fifo;
  ASSERT_EQ(packet_fifo_init(&fifo), 0);
  ASSERT_EQ(packet_fifo_start(&fifo), 0);
  packet_fifo_abort(&fifo);
  packet_fifo_flush(&fifo);
  ASSERT_EQ(packet_fifo_start(&fifo), 0);

  taken t = take(&fifo);
  EXPECT_EQ(t.result, 1);
  EXPECT_TRUE(t.marker);
  EXPECT_EQ(t.serial, 2);
  packet_fifo_destroy(&fifo);
}

TEST(PacketFifoLifecycle, DestroyReleasesPacketsStillQueued) {
  packet_fifo fifo;
  ASSERT_EQ(packet_fifo_init(&fifo), 0);
  ASSERT_EQ(packet_fifo_start(&fifo), 0);
  packet_ptr packet = make_packet(64, 0, 1);
  buffer_watch held = watch(packet->buf);
  ASSERT_EQ(packet_fifo_put(&fifo, packet.get()), 0);
  ASSERT_EQ(packet_fifo_put_empty(&fifo, 0), 0);

  packet_fifo_destroy(&fifo);

  EXPECT_EQ(av_buffer_get_ref_count(held.get()), 1);
  // A second destroy, as a close path after a failed open may do, is harmless.
  packet_fifo_destroy(&fifo);
}

}  // namespace
