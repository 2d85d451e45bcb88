// MD5File and the Base64 exports, checked against the published test
// vectors of RFC 1321 and RFC 4648 and against OpenSSL.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "folioc.h"
#include "support/files.h"
#include "support/oracle.h"
#include "support/scratch_dir.h"
#include "support/test_bytes.h"

using namespace folio_test;
using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

TEST(Md5File, KnownAnswersOfRfc1321) {
  const std::vector<std::pair<std::string, std::string>> vectors = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  ScratchDir dir;
  for (const auto &[input, expected] : vectors) {
    write_file(dir.path("input"), bytes_of(input));
    char digest[FOLIOC_DIGEST_TEXT_BYTES];
    CaptureStdout();
    const int result = MD5File(dir.path("input").c_str(), digest);
    GetCapturedStdout();
    EXPECT_EQ(result, DOC_OK);
    EXPECT_STREQ(digest, expected.c_str()) << "input \"" << input << "\"";
  }
}

TEST(Md5File, MultiChunkFileMatchesTheReferenceAndIsNamedOnStdout) {
  ScratchDir dir;
  const Bytes contents = random_bytes(2 * 0x100000 + 5, 91);
  const std::string path = dir.path("big");
  write_file(path, contents);
  char digest[FOLIOC_DIGEST_TEXT_BYTES];
  CaptureStdout();
  const int result = MD5File(path.c_str(), digest);
  const std::string printed = GetCapturedStdout();
  EXPECT_EQ(result, DOC_OK);
  EXPECT_EQ(std::string(digest), oracle::md5_hex(contents));
  EXPECT_EQ(printed, " " + path + "\n");
}

TEST(Md5File, MissingFileIsReportedAndLeavesTheDigestAlone) {
  ScratchDir dir;
  const std::string path = dir.path("missing");
  char digest[FOLIOC_DIGEST_TEXT_BYTES];
  std::memset(digest, '#', sizeof digest);
  CaptureStdout();
  const int result = MD5File(path.c_str(), digest);
  const std::string printed = GetCapturedStdout();
  EXPECT_EQ(result, DOC_ERR_OPEN);
  EXPECT_EQ(printed, path + " can't be opened.\n");
  for (char c : digest) EXPECT_EQ(c, '#');
}

TEST(Md5File, NullArgumentsAreRefused) {
  char digest[FOLIOC_DIGEST_TEXT_BYTES];
  EXPECT_EQ(MD5File(nullptr, digest), DOC_ERR_ARGUMENT);
  EXPECT_EQ(MD5File("/dev/null", nullptr), DOC_ERR_ARGUMENT);
}

// RFC 4648, section 10.
const std::vector<std::pair<std::string, std::string>> kBase64Vectors = {
    {"f", "Zg=="},     {"fo", "Zm8="},         {"foo", "Zm9v"},
    {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
};

TEST(Base64Exports, EncodesTheRfc4648Vectors) {
  for (const auto &[plain, text] : kBase64Vectors) {
    const Bytes input = bytes_of(plain);
    std::vector<char> output(text.size() + 1, '#');
    int capacity = static_cast<int>(output.size());
    ASSERT_EQ(Base64Encode(input.data(), static_cast<int>(input.size()), output.data(), &capacity), DOC_OK)
        << plain;
    EXPECT_EQ(capacity, static_cast<int>(text.size())) << plain;
    EXPECT_STREQ(output.data(), text.c_str());
  }
}

TEST(Base64Exports, DecodesTheRfc4648Vectors) {
  for (const auto &[plain, text] : kBase64Vectors) {
    Bytes output(16, 0xEE);
    int capacity = static_cast<int>(output.size());
    ASSERT_EQ(Base64Decode(text.data(), static_cast<int>(text.size()), output.data(), &capacity), DOC_OK)
        << text;
    ASSERT_EQ(capacity, static_cast<int>(plain.size())) << text;
    EXPECT_TRUE(slice(output, 0, plain.size()) == bytes_of(plain)) << text;
    EXPECT_EQ(output[plain.size()], 0xEE) << "no terminator is written after " << text;
  }
}

TEST(Base64Exports, EncodeNeedsRoomForTheTerminator) {
  const Bytes input = bytes_of("foobar");
  char output[8];
  std::memset(output, '#', sizeof output);
  int capacity = 8;
  EXPECT_EQ(Base64Encode(input.data(), 6, output, &capacity), B64_ERR_CAPACITY);
  EXPECT_EQ(capacity, 8);
  for (char c : output) EXPECT_EQ(c, '#');
}

// The largest input whose text still fits an int is 1,610,612,733 bytes.
// Both answers come before any input byte is read, so a small buffer stands
// in for the input; an encoder that overflowed would read far past it.
TEST(Base64Exports, InputWhoseTextWouldNotFitAnIntIsALengthError) {
  const Bytes input(16, 0x61);
  char output[16];
  int capacity = sizeof output;
  EXPECT_EQ(Base64Encode(input.data(), 1610612734, output, &capacity), B64_ERR_LENGTH);
  EXPECT_EQ(Base64Encode(input.data(), INT_MAX, output, &capacity), B64_ERR_LENGTH);
  EXPECT_EQ(Base64Encode(input.data(), 1610612733, output, &capacity), B64_ERR_CAPACITY);
  EXPECT_EQ(capacity, static_cast<int>(sizeof output));
}

TEST(Base64Exports, DecodeCapacityTooSmallLeavesItUnchanged) {
  Bytes output(5, 0xEE);
  int capacity = 5;
  EXPECT_EQ(Base64Decode("Zm9vYmFy", 8, output.data(), &capacity), B64_ERR_CAPACITY);
  EXPECT_EQ(capacity, 5);
  EXPECT_EQ(output, Bytes(5, 0xEE));
}

TEST(Base64Exports, DecodeLengthNotAMultipleOfFourIsALengthError) {
  Bytes output(16);
  int capacity = 16;
  EXPECT_EQ(Base64Decode("Zm9vY", 5, output.data(), &capacity), B64_ERR_LENGTH);
}

TEST(Base64Exports, EmptyInputAndNullPointersAreArgumentErrors) {
  const Bytes input = bytes_of("abc");
  char text[16];
  Bytes bytes(16);
  int capacity = 16;
  EXPECT_EQ(Base64Encode(input.data(), 0, text, &capacity), DOC_ERR_ARGUMENT);
  EXPECT_EQ(Base64Encode(input.data(), -3, text, &capacity), DOC_ERR_ARGUMENT);
  EXPECT_EQ(Base64Encode(nullptr, 3, text, &capacity), DOC_ERR_ARGUMENT);
  EXPECT_EQ(Base64Encode(input.data(), 3, nullptr, &capacity), DOC_ERR_ARGUMENT);
  EXPECT_EQ(Base64Encode(input.data(), 3, text, nullptr), DOC_ERR_ARGUMENT);
  EXPECT_EQ(Base64Decode("Zm9v", 0, bytes.data(), &capacity), DOC_ERR_ARGUMENT);
  EXPECT_EQ(Base64Decode(nullptr, 4, bytes.data(), &capacity), DOC_ERR_ARGUMENT);
  EXPECT_EQ(Base64Decode("Zm9v", 4, nullptr, &capacity), DOC_ERR_ARGUMENT);
  EXPECT_EQ(Base64Decode("Zm9v", 4, bytes.data(), nullptr), DOC_ERR_ARGUMENT);
  int no_room = 0;
  EXPECT_EQ(Base64Encode(input.data(), 3, text, &no_room), DOC_ERR_ARGUMENT);
  EXPECT_EQ(Base64Decode("Zm9v", 4, bytes.data(), &no_room), DOC_ERR_ARGUMENT);
}
