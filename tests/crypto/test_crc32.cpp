// CRC-32/ISO-HDLC: published check values, and agreement with the
// bit-at-a-time definition of the reflected polynomial.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>

#include "crc32.h"
#include "support/oracle.h"
#include "support/test_bytes.h"

using namespace folio_test;

namespace {

std::uint32_t crc_of(const char *text) {
  return crc32_compute(reinterpret_cast<const unsigned char *>(text),
                       static_cast<std::uint32_t>(std::strlen(text)));
}

TEST(Crc32KnownAnswer, PublishedCheckValues) {
  EXPECT_EQ(crc_of("123456789"), 0xCBF43926u);
  EXPECT_EQ(crc_of("The quick brown fox jumps over the lazy dog"), 0x414FA339u);
  EXPECT_EQ(crc_of("a"), 0xE8B7BE43u);
}

TEST(Crc32KnownAnswer, ZeroBytesGiveZero) {
  const unsigned char byte = 0xAB;
  EXPECT_EQ(crc32_compute(&byte, 0), 0u);
}

TEST(Crc32AgainstBitwiseDefinition, EverySingleByte) {
  for (unsigned value = 0; value < 256; ++value) {
    const auto byte = static_cast<unsigned char>(value);
    EXPECT_EQ(crc32_compute(&byte, 1), oracle::crc32(&byte, 1)) << "byte " << value;
  }
}

TEST(Crc32AgainstBitwiseDefinition, RandomDataOfSeveralLengths) {
  std::mt19937_64 rng(0x5eed0301);
  for (std::size_t length : {2u, 3u, 7u, 64u, 255u, 512u, 1000u, 65537u}) {
    const Bytes data = random_bytes(rng, length);
    EXPECT_EQ(crc32_compute(data.data(), static_cast<std::uint32_t>(length)),
              oracle::crc32(data.data(), length))
        << "length " << length;
  }
}

}  // namespace
