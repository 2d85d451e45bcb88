// A decoded_ring on a started fifo, and pushing marked frames into it.
#ifndef CINELOCK_TESTS_RING_TEST_SUPPORT_H
#define CINELOCK_TESTS_RING_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include "decoded_ring.h"
#include "packet_fifo.h"
#include "queue_test_support.h"

namespace cinelock_test {

class ring_test : public ::testing::Test {
 protected:
  void open_ring(int capacity, bool keep_last) {
    ASSERT_EQ(cinelock::packet_fifo_init(&fifo_), 0);
    fifo_ready_ = true;
    ASSERT_EQ(cinelock::packet_fifo_start(&fifo_), 0);
    ASSERT_EQ(cinelock::decoded_ring_init(&ring_, &fifo_, capacity, keep_last), 0);
    ring_ready_ = true;
  }

  void TearDown() override {
    if (ring_ready_) {
      cinelock::decoded_ring_destroy(&ring_);
    }
    if (fifo_ready_) {
      cinelock::packet_fifo_destroy(&fifo_);
    }
  }

  // Only for a ring with room: peek_writable would wait otherwise.
  void push_frame(int64_t pts) {
    cinelock::ring_slot *slot = cinelock::decoded_ring_peek_writable(&ring_);
    ASSERT_NE(slot, nullptr);
    frame_ptr frame = make_frame(pts);
    ASSERT_NE(frame, nullptr);
    av_frame_move_ref(slot->frame, frame.get());
    slot->pts = static_cast<double>(pts);
    cinelock::decoded_ring_push(&ring_);
  }

  cinelock::packet_fifo fifo_;
  cinelock::decoded_ring ring_;
  bool fifo_ready_ = false;
  bool ring_ready_ = false;
};

}  // namespace cinelock_test

#endif
