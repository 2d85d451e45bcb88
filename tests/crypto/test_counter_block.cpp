// The counter block: nonce verbatim, then the block index big-endian; and
// its increment as one 128-bit big-endian integer.
#include <gtest/gtest.h>

#include "AesCTREngine.h"
#include "counter_block.h"
#include "support/test_bytes.h"

using namespace folio_test;

namespace {

const Bytes kNonce = from_hex("a1b2c3d4e5f60718");

TEST(CounterBlockLayout, NonceThenBigEndianBlockIndex) {
  struct Case {
    std::uint64_t offset;
    const char *index_bytes;
  };
  const Case cases[] = {
      {0, "0000000000000000"},
      {15, "0000000000000000"},
      {16, "0000000000000001"},
      {37, "0000000000000002"},
      {0x1234, "0000000000000123"},
      {0xFEDCBA9876543210ull, "0fedcba987654321"},
      {0xFFFFFFFFFFFFFFFFull, "0fffffffffffffff"},
  };
  const Bytes key(16, 7);
  const AesCTREngine engine(key.data(), 16, kNonce.data(), 8);
  for (const Case &c : cases) {
    SCOPED_TRACE(c.offset);
    const std::string expected = to_hex(kNonce) + c.index_bytes;

    unsigned char counter[kCounterBytes];
    initcounter(kNonce.data(), counter, c.offset);
    EXPECT_EQ(to_hex(counter, kCounterBytes), expected);

    unsigned char from_engine[kCounterBytes];
    engine.initcounter(from_engine, c.offset);
    EXPECT_EQ(to_hex(from_engine, kCounterBytes), expected);
  }
}

TEST(CounterBlockLayout, NonceBytesAreNeverReordered) {
  // A nonce that reads differently in either byte order.
  const Bytes nonce = from_hex("0001020304050607");
  unsigned char counter[kCounterBytes];
  initcounter(nonce.data(), counter, 0);
  EXPECT_EQ(to_hex(counter, 8), "0001020304050607");
}

TEST(CounterIncrement, AddsOneAsA128BitBigEndianInteger) {
  struct Case {
    const char *before;
    const char *after;
  };
  const Case cases[] = {
      {"00000000000000000000000000000000", "00000000000000000000000000000001"},
      {"a1b2c3d4e5f60718000000000000000e", "a1b2c3d4e5f60718000000000000000f"},
      {"a1b2c3d4e5f607180000000000000fff", "a1b2c3d4e5f607180000000000001000"},
      {"a1b2c3d4e5f6071800ffffffffffffff", "a1b2c3d4e5f607180100000000000000"},
      // The carry leaves the index half and runs on into the nonce.
      {"a1b2c3d4e5f60718ffffffffffffffff", "a1b2c3d4e5f607190000000000000000"},
      {"a1b2c3d4e5f607ffffffffffffffffff", "a1b2c3d4e5f608000000000000000000"},
      {"ffffffffffffffffffffffffffffffff", "00000000000000000000000000000000"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.before);
    Bytes counter = from_hex(c.before);
    increasecounter(counter.data());
    EXPECT_EQ(to_hex(counter), c.after);

    Bytes via_engine = from_hex(c.before);
    AesCTREngine::increasecounter(via_engine.data());
    EXPECT_EQ(to_hex(via_engine), c.after);
  }
}

}  // namespace
