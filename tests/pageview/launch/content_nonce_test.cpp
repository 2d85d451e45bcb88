// The nonce buffer the viewer fills from argument 3: decoded bytes first,
// zeros after them, and refusal of text that is not Base64 of a fitting
// length.
#include <gtest/gtest.h>

#include "launch_command_line.h"
#include "support/oracle.h"
#include "token_oracle.h"

using namespace folio_test;

namespace launch_test {
namespace {


Bytes nonceBufferFor(const std::string &nonceText) {
  const auto outcome = LaunchCommandLine(wellFormedWords(sampleToken(), nonceText)).parse();
  const auto &nonce = parametersOf(outcome).nonce;
  return Bytes(nonce.begin(), nonce.end());
}

Bytes zeroPadded(Bytes bytes) {
  bytes.resize(64, 0);
  return bytes;
}

TEST(ContentNonce, EightBytesFillTheStartAndTheRestIsZero) {
  const Bytes nonce = random_bytes(8, 41);
  EXPECT_EQ(nonceBufferFor(oracle::base64(nonce)), zeroPadded(nonce));
}

TEST(ContentNonce, FourBytesLeaveBytesFourToSevenZero) {
  const Bytes nonce = {0xde, 0xad, 0xbe, 0xef};
  const std::string text = oracle::base64(nonce);
  ASSERT_EQ(text, "3q2+7w==");
  EXPECT_EQ(nonceBufferFor(text), zeroPadded(nonce));
}

TEST(ContentNonce, SixtyFourBytesFillTheWholeBuffer) {
  const Bytes nonce = random_bytes(64, 42);
  EXPECT_EQ(nonceBufferFor(oracle::base64(nonce)), nonce);
}

TEST(ContentNonce, EmptyTextGivesAnAllZeroNonce) {
  EXPECT_EQ(nonceBufferFor(""), Bytes(64, 0));
}

TEST(ContentNonce, TextOfTheWrongLengthIsRefused) {
  for (const char *text : {"A", "AAECAwQFBgc", "AAECAwQFBgc==", "AAECAwQFBgc=\n"}) {
    const auto outcome = LaunchCommandLine(wellFormedWords(sampleToken(), text)).parse();
    const pageview::LaunchFailure &failure = failureOf(outcome);
    EXPECT_STREQ(failure.message, "iv base64 decode failed !") << text;
    EXPECT_EQ(failure.exitCode, 1) << "a refused launch must not exit as a success: " << text;
  }
}

TEST(ContentNonce, MoreThanSixtyFourBytesAreRefused) {
  const std::string text = oracle::base64(random_bytes(65, 43));
  const auto outcome = LaunchCommandLine(wellFormedWords(sampleToken(), text)).parse();
  EXPECT_STREQ(failureOf(outcome).message, "iv base64 decode failed !");
}

}  // namespace
}  // namespace launch_test
