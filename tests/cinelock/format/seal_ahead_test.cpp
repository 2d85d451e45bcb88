// Sealing ahead on a worker thread gives exactly what sealing in line
// gives, in the order packets went in, clear ones passed through. Labelled
// "threads": the thread-sanitizer stage runs it.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "format/packet_cipher.h"
#include "format/packet_sealer.h"
#include "format/seal_ahead.h"

extern "C" {
#include <libavutil/avutil.h>
}

namespace {

using Bytes = std::vector<std::uint8_t>;

const unsigned char kKey[32] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16,
                                17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32};
const unsigned char kNonce[cinelock::kNonceBytes] = {0xf0, 0xf1, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7};

AVPacket *packet_of(std::size_t size, std::uint8_t fill) {
  AVPacket *packet = av_packet_alloc();
  if (av_new_packet(packet, static_cast<int>(size)) < 0) return nullptr;
  for (std::size_t i = 0; i < size; ++i) packet->data[i] = static_cast<std::uint8_t>(fill + i);
  return packet;
}

Bytes bytes_of(const AVPacket *packet) { return Bytes(packet->data, packet->data + packet->size); }

TEST(SealAhead, GivesWhatSealingInLineGivesInTheSameOrder) {
  const cinelock::PacketCipher cipher(kKey, 256, kNonce);
  ASSERT_TRUE(cipher.ready());
  // Sizes from empty to several cipher blocks past a page; every third
  // packet clear, as those of the lead-in are.
  constexpr int kPackets = 300;
  std::vector<Bytes> expected;
  std::vector<std::int64_t> offsets;
  cinelock::PacketSealer inline_sealer(cipher);
  for (int i = 0; i < kPackets; ++i) {
    const std::int64_t offset = i % 3 == 0 ? AV_NOPTS_VALUE : 40 * i;
    AVPacket *packet = packet_of(static_cast<std::size_t>(i * 37 % 5000), static_cast<std::uint8_t>(i));
    ASSERT_NE(packet, nullptr);
    if (offset != AV_NOPTS_VALUE) {
      ASSERT_EQ(inline_sealer.seal(packet, offset), 0);
    }
    expected.push_back(bytes_of(packet));
    offsets.push_back(offset);
    av_packet_free(&packet);
  }

  std::vector<Bytes> got;
  std::vector<std::int64_t> got_offsets;
  {
    cinelock::SealAhead ahead(cipher);
    AVPacket *out = av_packet_alloc();
    auto take = [&](bool wait) {
      std::int64_t offset = 0;
      int result;
      while ((result = ahead.pop(out, &offset, wait)) == 1) {
        got.push_back(bytes_of(out));
        got_offsets.push_back(offset);
        av_packet_unref(out);
        if (!wait) break;
      }
      return result;
    };
    for (int i = 0; i < kPackets; ++i) {
      AVPacket *packet = packet_of(static_cast<std::size_t>(i * 37 % 5000), static_cast<std::uint8_t>(i));
      ASSERT_EQ(ahead.push(packet, offsets[static_cast<std::size_t>(i)]), 0);
      EXPECT_EQ(packet->data, nullptr) << "the packet's reference is taken";
      av_packet_free(&packet);
      if (ahead.full()) {
        ASSERT_GE(take(false), 0);
      }
    }
    EXPECT_EQ(take(true), 0);  // everything drained
    av_packet_free(&out);
  }
  ASSERT_EQ(got.size(), expected.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i], expected[i]) << "packet " << i;
    EXPECT_EQ(got_offsets[i], offsets[i]) << "packet " << i;
  }
}

// Packets still queued when the sealer goes are released, not leaked (the
// sanitizer builds check).
TEST(SealAhead, GoesWithPacketsStillQueued) {
  const cinelock::PacketCipher cipher(kKey, 256, kNonce);
  cinelock::SealAhead ahead(cipher);
  for (int i = 0; i < 5; ++i) {
    AVPacket *packet = packet_of(1000, 7);
    ASSERT_EQ(ahead.push(packet, i % 2 ? AV_NOPTS_VALUE : 1000 * i), 0);
    av_packet_free(&packet);
  }
}

}  // namespace
