// Base64 in both directions: RFC 4648 vectors, the buffer protocol (size
// queries, capacities, result codes), padding rules, characters outside the
// alphabet, and agreement with OpenSSL's encoder and decoder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>

#include <openssl/evp.h>

#include "base64.h"
#include "support/oracle.h"
#include "support/test_bytes.h"

using namespace folio_test;

namespace {

constexpr unsigned char kUnwritten = 0xA5;

struct Rfc4648Vector {
  const char *data;
  const char *text;
};

const Rfc4648Vector kRfc4648[] = {
    {"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},          {"foo", "Zm9v"},
    {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
};

std::string encode(const Bytes &data) {
  int size = -1;
  EXPECT_EQ(base64_encode(data.data(), int(data.size()), nullptr, 0, &size), B64_OK);
  std::string text(std::size_t(size) + 1, '\x7f');
  int written = -1;
  EXPECT_EQ(base64_encode(data.data(), int(data.size()), text.data(), size + 1, &written), B64_OK);
  EXPECT_EQ(written, size);
  if (data.empty()) return "";
  EXPECT_EQ(text[std::size_t(size)], '\0') << "missing terminator";
  text.resize(std::size_t(size));
  return text;
}

Bytes decode(const std::string &text) {
  int size = -1;
  EXPECT_EQ(base64_decode(text.data(), int(text.size()), nullptr, 0, &size), B64_OK);
  Bytes out(std::size_t(size) + 1, kUnwritten);
  int written = -1;
  EXPECT_EQ(base64_decode(text.data(), int(text.size()), out.data(), size, &written), B64_OK);
  EXPECT_EQ(written, size);
  EXPECT_EQ(out.back(), kUnwritten) << "wrote past the decoded bytes";
  out.pop_back();
  return out;
}

TEST(Base64KnownAnswer, Rfc4648Section10BothWays) {
  for (const Rfc4648Vector &v : kRfc4648) {
    SCOPED_TRACE(v.data);
    EXPECT_EQ(encode(bytes_of(v.data)), v.text);
    EXPECT_EQ(decode(v.text), bytes_of(v.data));
  }
}

TEST(Base64EncodeBuffer, TextNeedsRoomForTheTerminator) {
  const unsigned char three[3] = {0xFB, 0xFF, 0x00};
  char out[8];

  std::memset(out, 'x', sizeof out);
  int length = -1;
  EXPECT_EQ(base64_encode(three, 3, out, 4, &length), B64_ERR_CAPACITY);
  for (char c : out) EXPECT_EQ(c, 'x') << "wrote with too small a buffer";

  EXPECT_EQ(base64_encode(three, 3, out, 5, &length), B64_OK);
  EXPECT_EQ(length, 4);
  EXPECT_STREQ(out, "+/8A");
  EXPECT_EQ(out[5], 'x');
}

TEST(Base64EncodeBuffer, PaddingForShortFinalGroups) {
  char out[8];
  int length = -1;
  const unsigned char two[2] = {0xFF, 0xEE};
  EXPECT_EQ(base64_encode(two, 2, out, sizeof out, &length), B64_OK);
  EXPECT_EQ(length, 4);
  EXPECT_STREQ(out, "/+4=");

  const unsigned char one[1] = {0xFC};
  EXPECT_EQ(base64_encode(one, 1, out, sizeof out, &length), B64_OK);
  EXPECT_EQ(length, 4);
  EXPECT_STREQ(out, "/A==");
}

TEST(Base64EncodeBuffer, SizeQueryReportsTextLengthWithoutTerminator) {
  const Bytes data(100, 1);
  for (int n : {1, 2, 3, 4, 5, 6, 99, 100}) {
    int length = -1;
    EXPECT_EQ(base64_encode(data.data(), n, nullptr, 0, &length), B64_OK);
    EXPECT_EQ(length, 4 * ((n + 2) / 3)) << "length " << n;
  }
}

TEST(Base64EncodeBuffer, EmptyInputWritesNothing) {
  char out[4] = {'x', 'x', 'x', 'x'};
  int length = -1;
  EXPECT_EQ(base64_encode(reinterpret_cast<const unsigned char *>("abc"), 0, out, sizeof out,
                          &length),
            B64_OK);
  EXPECT_EQ(length, 0);
  for (char c : out) EXPECT_EQ(c, 'x');

  length = -1;
  EXPECT_EQ(base64_encode(nullptr, 0, nullptr, 0, &length), B64_OK);
  EXPECT_EQ(length, 0);
}

TEST(Base64EncodeBuffer, NegativeLengthIsRefused) {
  char out[8] = {};
  int length = 123;
  EXPECT_EQ(base64_encode(reinterpret_cast<const unsigned char *>("abc"), -3, out, sizeof out,
                          &length),
            B64_ERR_LENGTH);
}

TEST(Base64EncodeBuffer, LengthOutputIsOptionalWhenWriting) {
  char out[8];
  EXPECT_EQ(base64_encode(reinterpret_cast<const unsigned char *>("foo"), 3, out, sizeof out,
                          nullptr),
            B64_OK);
  EXPECT_STREQ(out, "Zm9v");
}

TEST(Base64DecodeLength, PaddingShortensTheLastGroup) {
  struct Case {
    const char *text;
    int bytes;
  };
  for (const Case &c : {Case{"Zm9v", 3}, Case{"Zm8=", 2}, Case{"Zg==", 1}, Case{"Zm9vZm8=", 5}}) {
    int size = -1;
    EXPECT_EQ(base64_decode(c.text, int(std::strlen(c.text)), nullptr, 0, &size), B64_OK);
    EXPECT_EQ(size, c.bytes) << c.text;
  }
}

TEST(Base64DecodeLength, SecondToLastPaddingCountsOnItsOwn) {
  int size = -1;
  EXPECT_EQ(base64_decode("ab=c", 4, nullptr, 0, &size), B64_OK);
  EXPECT_EQ(size, 2);

  // a = 26, b = 27, "=" = 0: the two bytes that survive.
  unsigned char out[3] = {kUnwritten, kUnwritten, kUnwritten};
  int written = -1;
  EXPECT_EQ(base64_decode("ab=c", 4, out, 3, &written), B64_OK);
  EXPECT_EQ(written, 2);
  EXPECT_EQ(out[0], 0x69);
  EXPECT_EQ(out[1], 0xB0);
  EXPECT_EQ(out[2], kUnwritten);
}

TEST(Base64DecodeErrors, ResultCodes) {
  unsigned char out[8];
  std::memset(out, kUnwritten, sizeof out);
  int size = -1;
  EXPECT_EQ(base64_decode("Zm9", 3, out, sizeof out, &size), B64_ERR_LENGTH);
  EXPECT_EQ(base64_decode("Zm9vZ", 5, out, sizeof out, &size), B64_ERR_LENGTH);
  EXPECT_EQ(base64_decode("Zm9v", -4, out, sizeof out, &size), B64_ERR_LENGTH);
  EXPECT_EQ(base64_decode(nullptr, 4, out, sizeof out, &size), B64_ERR_NULL);
  EXPECT_EQ(base64_decode("Zm9v", 4, out, 2, &size), B64_ERR_CAPACITY);
  for (unsigned char b : out) EXPECT_EQ(b, kUnwritten) << "failed call wrote output";
}

TEST(Base64DecodeErrors, EmptyTextWritesNothing) {
  unsigned char out[4] = {kUnwritten, kUnwritten, kUnwritten, kUnwritten};
  int size = -1;
  EXPECT_EQ(base64_decode("Zm9v", 0, out, sizeof out, &size), B64_OK);
  EXPECT_EQ(size, 0);
  for (unsigned char b : out) EXPECT_EQ(b, kUnwritten);
}

TEST(Base64DecodeErrors, CapacityExactlyTheDecodedSizeSuffices) {
  unsigned char out[3] = {kUnwritten, kUnwritten, kUnwritten};
  EXPECT_EQ(base64_decode("Zm8=", 4, out, 2, nullptr), B64_OK);
  EXPECT_EQ(out[0], 'f');
  EXPECT_EQ(out[1], 'o');
  EXPECT_EQ(out[2], kUnwritten);
}

// The codec shared across builds gives every character outside the alphabet
// (line breaks and bytes of 0x80 and above included) the 6-bit value 63,
// which a table lookup with a sign-extended char index would not.
TEST(Base64DecodeOutsideAlphabet, EveryForeignByteDecodesAs63) {
  const std::string alphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=";
  for (int value = 0; value < 256; ++value) {
    const char c = static_cast<char>(value);
    if (alphabet.find(c) != std::string::npos) continue;
    SCOPED_TRACE(testing::Message() << "byte " << value);
    // "AAA?" ends in the foreign character; "?AAA" starts with it.
    const std::string last = std::string("AAA") + c;
    const std::string first = std::string(1, c) + "AAA";
    unsigned char out[3];
    ASSERT_EQ(base64_decode(last.data(), 4, out, 3, nullptr), B64_OK);
    EXPECT_EQ(to_hex(out, 3), "00003f");
    ASSERT_EQ(base64_decode(first.data(), 4, out, 3, nullptr), B64_OK);
    EXPECT_EQ(to_hex(out, 3), "fc0000");
  }
}

TEST(Base64AgainstEvp, EncodeMatchesAndDecodeInverts) {
  std::mt19937_64 rng(0x5eed0601);
  for (int trial = 0; trial < 400; ++trial) {
    const std::size_t length = trial < 100 ? std::size_t(trial) : rng() % 5000;
    const Bytes data = random_bytes(rng, length);
    SCOPED_TRACE(testing::Message() << "length " << length);
    const std::string text = encode(data);
    ASSERT_EQ(text, oracle::base64(data));

    Bytes reference(text.size() / 4 * 3 + 3);
    const int reference_length =
        EVP_DecodeBlock(reference.data(), reinterpret_cast<const unsigned char *>(text.data()),
                        int(text.size()));
    ASSERT_GE(reference_length, int(length));
    const Bytes decoded = decode(text);
    ASSERT_EQ(decoded, data);
    ASSERT_TRUE(std::equal(decoded.begin(), decoded.end(), reference.begin()));
  }
}

}  // namespace
