// Every command line the viewer refuses, row by row: the message main
// writes (none for a launch token of the wrong length) and the exit code,
// and which check wins when a command line breaks several rules.
#include <gtest/gtest.h>

#include "launch_command_line.h"
#include "token_oracle.h"

using namespace folio_test;
using Words = std::vector<std::optional<std::string>>;

namespace launch_test {
namespace {

const std::string kToken = oracleToken(tokenTextFor("X0000000000", random_bytes(32, 1)));
const std::string kCountError = "input param count error !";
const std::string kParamError = "param error !";
const std::string kNonceError = "iv base64 decode failed !";

// A well-formed command line with one word replaced.
Words with(std::size_t argument, std::optional<std::string> word) {
  Words words = wellFormedWords(kToken, kSampleNonce);
  words.at(argument - 1) = std::move(word);
  return words;
}

Words with(std::size_t first, std::optional<std::string> firstWord, std::size_t second,
           std::optional<std::string> secondWord) {
  Words words = with(first, std::move(firstWord));
  words.at(second - 1) = std::move(secondWord);
  return words;
}

Words withCount(std::size_t count) {
  Words words = wellFormedWords(kToken, kSampleNonce);
  words.resize(count, std::string("-"));
  return words;
}

struct RefusedCommandLine {
  const char *name;
  Words words;
  const char *message;  // null: none
  int exitCode;
};

const RefusedCommandLine kRefused[] = {
    {"NoArguments", withCount(0), kCountError.c_str(), 1},
    {"SixArguments", withCount(6), kCountError.c_str(), 1},
    {"EightArguments", withCount(8), kCountError.c_str(), 1},
    {"PathMissing", with(1, std::nullopt), kParamError.c_str(), 1},
    {"TokenMissing", with(2, std::nullopt), kParamError.c_str(), 1},
    {"NonceMissing", with(3, std::nullopt), kParamError.c_str(), 1},
    {"TokenOf148Digits", with(2, kToken.substr(0, 148)), nullptr, 1},
    {"TokenOf152Digits", with(2, kToken + "00"), nullptr, 1},
    {"TokenEmpty", with(2, std::string()), nullptr, 1},
    {"NonceLengthNotAMultipleOf4", with(3, std::string("AAECAwQFBgc")), kNonceError.c_str(), 1},
    {"NonceOfOneCharacter", with(3, std::string("A")), kNonceError.c_str(), 1},
    {"NonceDecodingTo66Bytes", with(3, std::string(88, 'A')), kNonceError.c_str(), 1},
    {"PdfWithUpperCaseVariant", with(4, std::string("V1")), kCountError.c_str(), 1},
    {"PdfWithUnknownVariant", with(4, std::string("v3")), kCountError.c_str(), 1},
    {"PdfWithEmptyVariant", with(4, std::string()), kCountError.c_str(), 1},
    {"PdfWithVariantAndSpace", with(4, std::string("v1 ")), kCountError.c_str(), 1},
    // Several faults at once: the checks run in a fixed order.
    {"CountBeforeMissingArgument", [] {
       Words words = withCount(6);
       words[0] = std::nullopt;
       return words;
     }(),
     kCountError.c_str(), 1},
    {"MissingArgumentBeforeTokenLength", with(2, std::string("12"), 3, std::nullopt),
     kParamError.c_str(), 1},
    {"TokenLengthBeforeNonce", with(2, std::string("12"), 3, std::string("A")), nullptr, 1},
    {"NonceBeforeVariant", with(3, std::string("A"), 4, std::string("V1")), kNonceError.c_str(),
     1},
};

void PrintTo(const RefusedCommandLine &row, std::ostream *out) { *out << row.name; }

class RefusedLaunch : public testing::TestWithParam<RefusedCommandLine> {};

TEST_P(RefusedLaunch, GivesTheMessageAndExitCode) {
  const RefusedCommandLine &row = GetParam();
  const pageview::LaunchOutcome outcome = LaunchCommandLine(row.words).parse();
  const pageview::LaunchFailure &failure = failureOf(outcome);
  if (row.message) {
    ASSERT_NE(failure.message, nullptr);
    EXPECT_STREQ(failure.message, row.message);
  } else {
    EXPECT_EQ(failure.message, nullptr) << failure.message;
  }
  EXPECT_EQ(failure.exitCode, row.exitCode);
}

INSTANTIATE_TEST_SUITE_P(Table, RefusedLaunch, testing::ValuesIn(kRefused),
                         [](const testing::TestParamInfo<RefusedCommandLine> &info) {
                           return std::string(info.param.name);
                         });

TEST(AcceptedLaunch, TheWellFormedCommandLineOfTheseTablesStarts) {
  // Without this, every row above could fail for a reason of its own.
  EXPECT_TRUE(std::holds_alternative<pageview::LaunchParameters>(
      LaunchCommandLine(wellFormedWords(kToken, kSampleNonce)).parse()));
}

TEST(RefusedLaunchWithoutArgv, IsAMissingArgument) {
  const pageview::LaunchOutcome outcome = pageview::parseLaunchArguments(8, nullptr);
  EXPECT_STREQ(failureOf(outcome).message, "param error !");
}

}  // namespace
}  // namespace launch_test
