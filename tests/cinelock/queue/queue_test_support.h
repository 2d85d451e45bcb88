// Owning handles and builders for the queue tests: packets and frames with
// real reference-counted payloads, so a test can watch a buffer's reference
// count to see whether the structure under test released it.
#ifndef CINELOCK_TESTS_QUEUE_TEST_SUPPORT_H
#define CINELOCK_TESTS_QUEUE_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <memory>

extern "C" {
#include <libavcodec/packet.h>
#include <libavutil/buffer.h>
#include <libavutil/frame.h>
}

#include "flush_marker.h"
#include "packet_fifo.h"

namespace cinelock_test {

// Counters are read with cinelock::relaxed (packet_fifo.h).
struct packet_deleter {
  void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};
using packet_ptr = std::unique_ptr<AVPacket, packet_deleter>;

struct buffer_deleter {
  void operator()(AVBufferRef *buffer) const { av_buffer_unref(&buffer); }
};
// An extra reference held by the test: its count drops back to 1 once the
// code under test has released its own.
using buffer_watch = std::unique_ptr<AVBufferRef, buffer_deleter>;

struct frame_deleter {
  void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};
using frame_ptr = std::unique_ptr<AVFrame, frame_deleter>;

inline packet_ptr make_packet(int payload_bytes, int64_t pts, int64_t duration) {
  packet_ptr packet(av_packet_alloc());
  if (packet == nullptr || av_new_packet(packet.get(), payload_bytes) < 0) {
    return nullptr;
  }
  for (int i = 0; i < payload_bytes; i++) {
    packet->data[i] = static_cast<uint8_t>(pts + i);
  }
  packet->pts = pts;
  packet->duration = duration;
  return packet;
}

inline packet_ptr make_blank_packet() { return packet_ptr(av_packet_alloc()); }

inline buffer_watch watch(AVBufferRef *buffer) { return buffer_watch(av_buffer_ref(buffer)); }

// A frame owning a 64-byte buffer, marked by its pts.
inline frame_ptr make_frame(int64_t pts) {
  frame_ptr frame(av_frame_alloc());
  if (frame == nullptr) {
    return nullptr;
  }
  frame->buf[0] = av_buffer_alloc(64);
  if (frame->buf[0] == nullptr) {
    return nullptr;
  }
  frame->data[0] = frame->buf[0]->data;
  frame->pts = pts;
  return frame;
}

// A fifo that accepts packets and holds none: initialised, started, and the
// flush marker that start queues already taken off again.
class open_fifo_test : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(cinelock::packet_fifo_init(&fifo_), 0);
    ASSERT_EQ(cinelock::packet_fifo_start(&fifo_), 0);
    packet_ptr marker = make_blank_packet();
    ASSERT_EQ(cinelock::packet_fifo_get(&fifo_, marker.get(), false, nullptr), 1);
    ASSERT_TRUE(cinelock::is_flush_marker(marker.get()));
  }
  void TearDown() override { cinelock::packet_fifo_destroy(&fifo_); }

  cinelock::packet_fifo fifo_;
};

}  // namespace cinelock_test

#endif
