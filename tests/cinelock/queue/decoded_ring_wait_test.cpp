// The ring's blocking peeks, released from another thread by the other side
// or by aborting the fifo the ring draws from.
//
// Each test lets the waiting thread start before acting on it; should the
// thread not have reached its wait by then, it finds the new state at once
// and the outcome is the same. What proves the wait is the flag set just
// before the releasing action: the waiter must see it when it returns.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "decoded_ring.h"
#include "ring_test_support.h"

namespace {

using namespace cinelock;
using namespace cinelock_test;

void let_waiter_start() { std::this_thread::sleep_for(std::chrono::milliseconds(20)); }

class DecodedRingWaits : public ring_test {
 protected:
  // A reader waiting in decoded_ring_peek_readable returns only once a
  // frame (with this pts) has been pushed, and gets that frame.
  void expect_reader_released_by_push(int64_t pts_pushed) {
    std::atomic<bool> pushed{false};
    std::atomic<bool> returned_after_push{false};
    int64_t pts = -1;
    std::thread reader([&] {
      ring_slot *slot = decoded_ring_peek_readable(&ring_);
      returned_after_push = pushed.load();
      if (slot != nullptr) pts = slot->frame->pts;
    });
    let_waiter_start();
    ring_slot *slot = decoded_ring_peek_writable(&ring_);
    ASSERT_NE(slot, nullptr);
    frame_ptr frame = make_frame(pts_pushed);
    ASSERT_NE(frame, nullptr);
    av_frame_move_ref(slot->frame, frame.get());
    pushed = true;
    decoded_ring_push(&ring_);
    reader.join();

    EXPECT_TRUE(returned_after_push);
    EXPECT_EQ(pts, pts_pushed);
  }
};

TEST_F(DecodedRingWaits, PeekWritableOnAFullRingWaitsForTheReaderToAdvance) {
  open_ring(2, false);
  push_frame(1);
  push_frame(2);

  std::atomic<bool> advanced{false};
  std::atomic<bool> returned_after_advance{false};
  ring_slot *writable = nullptr;
  std::thread writer([&] {
    writable = decoded_ring_peek_writable(&ring_);
    returned_after_advance = advanced.load();
  });
  let_waiter_start();
  ring_slot *oldest = decoded_ring_peek(&ring_);
  advanced = true;
  decoded_ring_advance(&ring_);
  writer.join();

  EXPECT_TRUE(returned_after_advance);
  EXPECT_EQ(writable, oldest);
}

TEST_F(DecodedRingWaits, PeekWritableOnAFullKeepLastRingWaitsPastTheFirstAdvance) {
  open_ring(2, true);
  push_frame(1);
  push_frame(2);
  // Marks frame 1 shown: it is kept, so the ring is still full.
  decoded_ring_advance(&ring_);

  std::atomic<bool> second_advance{false};
  std::atomic<bool> returned_after_second{false};
  std::thread writer([&] {
    ring_slot *slot = decoded_ring_peek_writable(&ring_);
    returned_after_second = second_advance.load() && slot != nullptr;
  });
  let_waiter_start();
  second_advance = true;
  decoded_ring_advance(&ring_);
  writer.join();

  EXPECT_TRUE(returned_after_second);
}

TEST_F(DecodedRingWaits, PeekWritableGivesNothingWhenTheFifoIsAbortedWhileWaiting) {
  open_ring(2, false);
  push_frame(1);
  push_frame(2);

  std::atomic<bool> aborted{false};
  std::atomic<bool> returned_after_abort{false};
  ring_slot *writable = &ring_.slots[0];
  std::thread writer([&] {
    writable = decoded_ring_peek_writable(&ring_);
    returned_after_abort = aborted.load();
  });
  let_waiter_start();
  aborted = true;
  packet_fifo_abort(&fifo_);
  decoded_ring_signal(&ring_);
  writer.join();

  EXPECT_TRUE(returned_after_abort);
  EXPECT_EQ(writable, nullptr);
  EXPECT_EQ(decoded_ring_remaining(&ring_), 2);
}

TEST_F(DecodedRingWaits, PeekReadableOnAnEmptyRingWaitsForAPush) {
  open_ring(3, false);
  expect_reader_released_by_push(42);
}

TEST_F(DecodedRingWaits, PeekReadableWaitsWhileOnlyTheKeptFrameRemains) {
  open_ring(3, true);
  push_frame(1);
  decoded_ring_advance(&ring_);
  expect_reader_released_by_push(2);
}

TEST_F(DecodedRingWaits, PeekReadableGivesNothingWhenTheFifoIsAbortedWhileWaiting) {
  open_ring(3, false);

  std::atomic<bool> aborted{false};
  std::atomic<bool> returned_after_abort{false};
  ring_slot *readable = &ring_.slots[0];
  std::thread reader([&] {
    readable = decoded_ring_peek_readable(&ring_);
    returned_after_abort = aborted.load();
  });
  let_waiter_start();
  aborted = true;
  packet_fifo_abort(&fifo_);
  decoded_ring_signal(&ring_);
  reader.join();

  EXPECT_TRUE(returned_after_abort);
  EXPECT_EQ(readable, nullptr);
}

TEST_F(DecodedRingWaits, DecoderAndPresenterThreadsPassEveryFrameInOrder) {
  open_ring(3, true);
  constexpr int kFrames = 500;

  std::thread decoder([&] {
    for (int64_t pts = 0; pts < kFrames; pts++) {
      ring_slot *slot = decoded_ring_peek_writable(&ring_);
      if (slot == nullptr) {
        return;
      }
      frame_ptr frame = make_frame(pts);
      if (frame == nullptr) {
        return;
      }
      av_frame_move_ref(slot->frame, frame.get());
      slot->serial = static_cast<int>(pts);
      decoded_ring_push(&ring_);
    }
  });

  int out_of_order = 0;
  for (int64_t pts = 0; pts < kFrames; pts++) {
    ring_slot *slot = decoded_ring_peek_readable(&ring_);
    if (slot == nullptr) {
      ADD_FAILURE() << "no frame " << pts;
      packet_fifo_abort(&fifo_);
      decoded_ring_signal(&ring_);
      break;
    }
    out_of_order += slot->frame->pts != pts || slot->serial != pts;
    decoded_ring_advance(&ring_);
  }
  decoder.join();

  EXPECT_EQ(out_of_order, 0);
  EXPECT_EQ(decoded_ring_remaining(&ring_), 0);
}

}  // namespace
