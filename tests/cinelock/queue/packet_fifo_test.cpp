// Single-threaded behaviour of the packet fifo: its totals, what get answers,
// how packets travel through it, and refusal once aborted.
#include <gtest/gtest.h>

#include <thread>

#include "flush_marker.h"
#include "packet_fifo.h"
#include "queue_test_support.h"

namespace {

using namespace cinelock;
using namespace cinelock_test;

using PacketFifoTotals = open_fifo_test;

TEST_F(PacketFifoTotals, EachEntryCountsItsPayloadPlus104Bytes) {
  packet_ptr large = make_packet(1000, 0, 40);
  packet_ptr empty_payload = make_packet(0, 1, 20);
  ASSERT_EQ(packet_fifo_put(&fifo_, large.get()), 0);
  ASSERT_EQ(packet_fifo_put(&fifo_, empty_payload.get()), 0);

  EXPECT_EQ(fifo_.byte_total.load(relaxed), 1208);
  EXPECT_EQ(fifo_.packet_count.load(relaxed), 2);
  EXPECT_EQ(fifo_.duration_total.load(relaxed), 60);
}

TEST_F(PacketFifoTotals, GetSubtractsExactlyWhatPutAdded) {
  packet_ptr large = make_packet(1000, 0, 40);
  packet_ptr small = make_packet(7, 1, 20);
  ASSERT_EQ(packet_fifo_put(&fifo_, large.get()), 0);
  ASSERT_EQ(packet_fifo_put(&fifo_, small.get()), 0);

  packet_ptr out = make_blank_packet();
  ASSERT_EQ(packet_fifo_get(&fifo_, out.get(), false, nullptr), 1);
  EXPECT_EQ(fifo_.byte_total.load(relaxed), 7 + 104);
  EXPECT_EQ(fifo_.packet_count.load(relaxed), 1);
  EXPECT_EQ(fifo_.duration_total.load(relaxed), 20);

  ASSERT_EQ(packet_fifo_get(&fifo_, out.get(), false, nullptr), 1);
  EXPECT_EQ(fifo_.byte_total.load(relaxed), 0);
  EXPECT_EQ(fifo_.packet_count.load(relaxed), 0);
  EXPECT_EQ(fifo_.duration_total.load(relaxed), 0);
}

TEST_F(PacketFifoTotals, EmptyPacketCountsOnlyTheOverheadAndCarriesItsStream) {
  ASSERT_EQ(packet_fifo_put_empty(&fifo_, 3), 0);
  EXPECT_EQ(fifo_.byte_total.load(relaxed), 104);
  EXPECT_EQ(fifo_.packet_count.load(relaxed), 1);

  packet_ptr out = make_blank_packet();
  ASSERT_EQ(packet_fifo_get(&fifo_, out.get(), false, nullptr), 1);
  EXPECT_EQ(out->data, nullptr);
  EXPECT_EQ(out->size, 0);
  EXPECT_EQ(out->stream_index, 3);
  EXPECT_FALSE(is_flush_marker(out.get()));
}

TEST_F(PacketFifoTotals, FlushReleasesEveryPacketAndZeroesTotals) {
  packet_ptr first = make_packet(100, 0, 10);
  packet_ptr second = make_packet(200, 1, 10);
  buffer_watch first_buffer = watch(first->buf);
  buffer_watch second_buffer = watch(second->buf);
  ASSERT_EQ(packet_fifo_put(&fifo_, first.get()), 0);
  ASSERT_EQ(packet_fifo_put(&fifo_, second.get()), 0);

  packet_fifo_flush(&fifo_);

  EXPECT_EQ(av_buffer_get_ref_count(first_buffer.get()), 1);
  EXPECT_EQ(av_buffer_get_ref_count(second_buffer.get()), 1);
  EXPECT_EQ(fifo_.byte_total.load(relaxed), 0);
  EXPECT_EQ(fifo_.packet_count.load(relaxed), 0);
  EXPECT_EQ(fifo_.duration_total.load(relaxed), 0);
  packet_ptr out = make_blank_packet();
  EXPECT_EQ(packet_fifo_get(&fifo_, out.get(), false, nullptr), 0);
}

using PacketFifoGet = open_fifo_test;

TEST_F(PacketFifoGet, NonBlockingGetOnEmptyFifoReturnsZero) {
  packet_ptr out = make_blank_packet();
  EXPECT_EQ(packet_fifo_get(&fifo_, out.get(), false, nullptr), 0);
  EXPECT_EQ(out->buf, nullptr);
}

TEST_F(PacketFifoGet, PacketsComeOutInTheOrderTheyWentIn) {
  for (int64_t pts = 0; pts < 5; pts++) {
    packet_ptr packet = make_packet(10, pts, 1);
    ASSERT_EQ(packet_fifo_put(&fifo_, packet.get()), 0);
  }
  packet_ptr out = make_blank_packet();
  for (int64_t pts = 0; pts < 5; pts++) {
    ASSERT_EQ(packet_fifo_get(&fifo_, out.get(), false, nullptr), 1);
    EXPECT_EQ(out->pts, pts);
  }
  EXPECT_EQ(packet_fifo_get(&fifo_, out.get(), false, nullptr), 0);
}

TEST_F(PacketFifoGet, BlockingGetReturnsMinusOneWhenAbortedFromAnotherThread) {
  std::atomic<bool> abort_issued{false};
  std::atomic<bool> returned_after_abort{false};
  int result = 0;
  std::thread consumer([&] {
    packet_ptr out = make_blank_packet();
    result = packet_fifo_get(&fifo_, out.get(), true, nullptr);
    returned_after_abort = abort_issued.load();
  });
  // Gives the consumer time to start waiting; the outcome is the same if it
  // has not got there yet.
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  abort_issued = true;
  packet_fifo_abort(&fifo_);
  consumer.join();

  EXPECT_EQ(result, -1);
  EXPECT_TRUE(returned_after_abort);
}

TEST_F(PacketFifoGet, BlockingGetTakesAPacketPutFromAnotherThread) {
  std::atomic<bool> put_issued{false};
  std::atomic<bool> returned_after_put{false};
  int result = 0;
  int64_t pts = 0;
  std::thread consumer([&] {
    packet_ptr out = make_blank_packet();
    result = packet_fifo_get(&fifo_, out.get(), true, nullptr);
    returned_after_put = put_issued.load();
    pts = out->pts;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  packet_ptr packet = make_packet(10, 77, 1);
  put_issued = true;
  ASSERT_EQ(packet_fifo_put(&fifo_, packet.get()), 0);
  consumer.join();

  EXPECT_EQ(result, 1);
  EXPECT_TRUE(returned_after_put);
  EXPECT_EQ(pts, 77);
}

TEST_F(PacketFifoGet, AbortedFifoGivesNothingEvenWhenPacketsAreQueued) {
  packet_ptr packet = make_packet(10, 0, 1);
  ASSERT_EQ(packet_fifo_put(&fifo_, packet.get()), 0);
  packet_fifo_abort(&fifo_);

  packet_ptr out = make_blank_packet();
  EXPECT_EQ(packet_fifo_get(&fifo_, out.get(), false, nullptr), -1);
  EXPECT_EQ(out->buf, nullptr);
}

TEST_F(PacketFifoGet, ReleasesWhatTheOutputPacketHeldBefore) {
  packet_ptr queued = make_packet(10, 1, 1);
  ASSERT_EQ(packet_fifo_put(&fifo_, queued.get()), 0);
  packet_ptr out = make_packet(50, 0, 1);
  buffer_watch previous = watch(out->buf);

  ASSERT_EQ(packet_fifo_get(&fifo_, out.get(), false, nullptr), 1);

  EXPECT_EQ(av_buffer_get_ref_count(previous.get()), 1);
  EXPECT_EQ(out->pts, 1);
}

using PacketFifoMove = open_fifo_test;

TEST_F(PacketFifoMove, PayloadTravelsWithoutBeingCopied) {
  packet_ptr packet = make_packet(300, 5, 1);
  const uint8_t *payload = packet->data;
  AVBufferRef *buffer = packet->buf;
  buffer_watch held = watch(buffer);
  ASSERT_EQ(packet_fifo_put(&fifo_, packet.get()), 0);

  EXPECT_EQ(packet->buf, nullptr);
  EXPECT_EQ(packet->data, nullptr);
  EXPECT_EQ(packet->size, 0);
  // The test's own reference plus the fifo's: no copy was made.
  EXPECT_EQ(av_buffer_get_ref_count(held.get()), 2);

  packet_ptr out = make_blank_packet();
  ASSERT_EQ(packet_fifo_get(&fifo_, out.get(), false, nullptr), 1);
  EXPECT_EQ(out->data, payload);
  EXPECT_EQ(out->buf, buffer);
  EXPECT_EQ(out->size, 300);
  EXPECT_EQ(out->pts, 5);
}

using PacketFifoRefusal = open_fifo_test;

TEST_F(PacketFifoRefusal, PutOnAbortedFifoRefusesAndReleasesThePacket) {
  packet_fifo_abort(&fifo_);
  packet_ptr packet = make_packet(500, 0, 1);
  buffer_watch held = watch(packet->buf);

  EXPECT_EQ(packet_fifo_put(&fifo_, packet.get()), -1);

  EXPECT_EQ(packet->buf, nullptr);
  EXPECT_EQ(av_buffer_get_ref_count(held.get()), 1);
  EXPECT_EQ(fifo_.packet_count.load(relaxed), 0);
  EXPECT_EQ(fifo_.byte_total.load(relaxed), 0);
  EXPECT_EQ(packet_fifo_put_empty(&fifo_, 0), -1);
}

}  // namespace
