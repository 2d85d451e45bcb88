// The fifo between a producer and a consumer thread, as between the demux
// thread and a decoder.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "flush_marker.h"
#include "packet_fifo.h"
#include "queue_test_support.h"

namespace {

using namespace cinelock;
using namespace cinelock_test;

struct received {
  int64_t pts;
  int serial;
  int size;
  uint8_t first_byte;
};

using PacketFifoThreads = open_fifo_test;

TEST_F(PacketFifoThreads, ConsumerReceivesEveryPacketInOrderWithItsSerial) {
  constexpr int kPackets = 3000;
  constexpr int kMarkerEvery = 1000;
  const int first_serial = fifo_.serial.load(relaxed);

  std::vector<received> seen;
  seen.reserve(kPackets);
  std::thread consumer([&] {
    packet_ptr out = make_blank_packet();
    int serial = 0;
    while (seen.size() < static_cast<size_t>(kPackets)) {
      if (packet_fifo_get(&fifo_, out.get(), true, &serial) != 1) {
        return;
      }
      if (is_flush_marker(out.get())) {
        continue;
      }
      seen.push_back({out->pts, serial, out->size, out->size > 0 ? out->data[0] : uint8_t{0}});
      av_packet_unref(out.get());
    }
  });

  int refused = 0;
  for (int i = 0; i < kPackets; i++) {
    if (i > 0 && i % kMarkerEvery == 0) {
      refused += packet_fifo_put(&fifo_, flush_marker()) != 0;
    }
    packet_ptr packet = make_packet(i % 50, i, 2);
    refused += packet_fifo_put(&fifo_, packet.get()) != 0;
  }
  consumer.join();

  EXPECT_EQ(refused, 0);
  ASSERT_EQ(seen.size(), static_cast<size_t>(kPackets));
  for (int i = 0; i < kPackets; i++) {
    ASSERT_EQ(seen[i].pts, i) << "packet " << i;
    ASSERT_EQ(seen[i].size, i % 50) << "packet " << i;
    if (seen[i].size > 0) {
      ASSERT_EQ(seen[i].first_byte, static_cast<uint8_t>(i)) << "packet " << i;
    }
    ASSERT_EQ(seen[i].serial, first_serial + i / kMarkerEvery) << "packet " << i;
  }
  EXPECT_EQ(fifo_.packet_count.load(relaxed), 0);
  EXPECT_EQ(fifo_.byte_total.load(relaxed), 0);
  EXPECT_EQ(fifo_.duration_total.load(relaxed), 0);
  EXPECT_EQ(fifo_.serial.load(relaxed), first_serial + (kPackets - 1) / kMarkerEvery);
}

TEST_F(PacketFifoThreads, AbortStopsBothSidesWithoutLosingTrackOfPackets) {
  std::atomic<int> consumed{0};
  std::thread consumer([&] {
    packet_ptr out = make_blank_packet();
    while (packet_fifo_get(&fifo_, out.get(), true, nullptr) == 1) {
      av_packet_unref(out.get());
      consumed++;
    }
  });

  int queued = 0;
  std::thread producer([&] {
    for (int i = 0;; i++) {
      packet_ptr packet = make_packet(32, i, 1);
      if (packet_fifo_put(&fifo_, packet.get()) != 0) {
        // A refused packet was released by the fifo, not left to the caller.
        EXPECT_EQ(packet->buf, nullptr);
        return;
      }
      queued++;
    }
  });

  while (consumed.load() < 200) {
    std::this_thread::yield();
  }
  packet_fifo_abort(&fifo_);
  producer.join();
  consumer.join();

  // What was queued is either consumed or still in the fifo, counted there.
  EXPECT_EQ(queued, consumed.load() + fifo_.packet_count.load(relaxed));
  EXPECT_EQ(fifo_.byte_total.load(relaxed), fifo_.packet_count.load(relaxed) * (32 + 104));
}

}  // namespace
