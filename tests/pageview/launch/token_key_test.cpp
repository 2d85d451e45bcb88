// The content key the viewer takes out of a launch token, against tokens
// made with OpenSSL under the built-in token key and nonce.
#include <gtest/gtest.h>

#include <cctype>

#include "launch_command_line.h"
#include "token_oracle.h"

using namespace folio_test;

namespace launch_test {
namespace {

Bytes keyOf(const pageview::LaunchOutcome &outcome) {
  const auto &key = parametersOf(outcome).contentKey;
  return Bytes(key.begin(), key.end());
}

Bytes keyFromToken(const std::string &token) {
  return keyOf(LaunchCommandLine(wellFormedWords(token, kSampleNonce)).parse());
}

std::string withCase(std::string digits, int (*change)(int)) {
  for (char &digit : digits) digit = static_cast<char>(change(static_cast<unsigned char>(digit)));
  return digits;
}

std::string alternatingCase(std::string digits) {
  for (std::size_t i = 0; i < digits.size(); ++i) {
    const auto digit = static_cast<unsigned char>(digits[i]);
    digits[i] = static_cast<char>(i % 2 ? std::tolower(digit) : std::toupper(digit));
  }
  return digits;
}

TEST(TokenContentKey, IsTheKeyTheTokenWasMadeFor) {
  for (std::uint64_t seed = 1; seed <= 20; ++seed) {
    const Bytes key = random_bytes(32, seed);
    EXPECT_EQ(keyFromToken(oracleToken(tokenTextFor("T1700000000", key))), key) << seed;
  }
}

TEST(TokenContentKey, UpperLowerAndMixedCaseTokensGiveTheSameKey) {
  const Bytes key = random_bytes(32, 30);
  const std::string token = oracleToken(tokenTextFor("T1700000000", key));
  ASSERT_NE(token.find_first_of("ABCDEF"), std::string::npos) << "the token needs letters";
  EXPECT_EQ(keyFromToken(withCase(token, std::toupper)), key);
  EXPECT_EQ(keyFromToken(withCase(token, std::tolower)), key);
  EXPECT_EQ(keyFromToken(alternatingCase(token)), key);
}

TEST(TokenContentKey, UpperCaseKeyDigitsInsideTheTokenTextWork) {
  const Bytes key = random_bytes(32, 31);
  const std::string text = "T1700000000" + withCase(to_hex(key), std::toupper);
  EXPECT_EQ(keyFromToken(oracleToken(text)), key);
}

TEST(TokenContentKey, TheLeadingFieldIsIgnored) {
  const Bytes key = random_bytes(32, 32);
  EXPECT_EQ(keyFromToken(oracleToken(tokenTextFor("ABCDEFGHIJK", key))), key);
  EXPECT_EQ(keyFromToken(oracleToken(tokenTextFor(std::string(11, '\0'), key))), key);
}

TEST(TokenContentKey, KeyDigitsEndAtTheFirstNul) {
  const Bytes key = random_bytes(32, 33);
  std::string text = tokenTextFor("T1700000000", key);
  text[11 + 20] = '\0';  // ten key bytes survive
  Bytes expected(32, 0);
  std::copy(key.begin(), key.begin() + 10, expected.begin());
  EXPECT_EQ(keyFromToken(oracleToken(text)), expected);
}

TEST(TokenContentKey, AForeignTokenStartsWithAnotherKey) {
  // A token not made under the built-in key is not refused here; the wrong
  // content key shows when the document is opened.
  const Bytes key = random_bytes(32, 34);
  Bytes foreign = bytes_of(tokenTextFor("T1700000000", key));
  for (unsigned char &byte : foreign) byte ^= 0x5a;
  const Bytes got = keyFromToken(to_hex(foreign));
  EXPECT_EQ(got.size(), 32u);
  EXPECT_NE(got, key);
}

}  // namespace
}  // namespace launch_test
