// The program's start-up, run as a process: command lines it refuses
// before any window exists (exit -1, nothing printed), the limits of its
// buffers, and the failures after the application has started (a message,
// exit 0).
#include <gtest/gtest.h>

#include "launch_material.h"
#include "program_run.h"
#include "protected_clip.h"
#include "support/oracle.h"
#include "support/scratch_dir.h"

namespace morlan_test {
namespace {

using folio_test::random_bytes;

const Bytes kContentKey = random_bytes(32, 7);
const std::string kGoodToken = tokenFor(tokenTextFor(kContentKey));
const std::string kGoodHeader = headerArgumentFor(headerBlockWithNonce(random_bytes(8, 9)));
constexpr int kRefused = 255;  // exit(-1) as a parent sees it

std::string withCharacterAt(std::string text, std::size_t at, char c) {
  text.at(at) = c;
  return text;
}

// A token text of exactly bytes bytes: field, space, key digits, then
// filler the player ignores.
std::string tokenTextOfLength(std::size_t bytes) {
  std::string text = tokenTextFor(kContentKey);
  text.resize(bytes, 'z');
  return text;
}

struct Refusal {
  const char *name;
  std::vector<std::string> arguments;
};

void PrintTo(const Refusal &refusal, std::ostream *out) { *out << refusal.name; }

class StartupRefusal : public testing::TestWithParam<Refusal> {};

// Qt is told to use X11 and no display exists, so a program that got as
// far as creating its application would abort instead of exiting -1.
TEST_P(StartupRefusal, ExitsMinusOneSilentlyBeforeAnyWindow) {
  const ProgramRun run = runMorlan(GetParam().arguments, noDisplayEnvironment());
  ASSERT_TRUE(run.exited) << "the program died or hung";
  EXPECT_EQ(run.exitCode, kRefused);
  EXPECT_EQ(run.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, StartupRefusal,
    testing::Values(
        Refusal{"NoArguments", {}},
        Refusal{"TwoArguments", {"clip.mp4", kGoodToken}},
        Refusal{"OddToken", {"clip.mp4", kGoodToken.substr(1), kGoodHeader}},
        Refusal{"TokenWithNonHexDigit", {"clip.mp4", withCharacterAt(kGoodToken, 10, 'G'), kGoodHeader}},
        Refusal{"TokenTextWithoutSpace",
                {"clip.mp4", tokenFor("host-7" + folio_test::to_hex(kContentKey)), kGoodHeader}},
        Refusal{"SixtyThreeKeyDigits",
                {"clip.mp4", tokenFor(tokenTextFor(kContentKey).substr(0, 7 + 63)), kGoodHeader}},
        Refusal{"KeyDigitNotHex",
                {"clip.mp4", tokenFor(withCharacterAt(tokenTextFor(kContentKey), 7 + 40, 'x')),
                 kGoodHeader}},
        Refusal{"EmptyToken", {"clip.mp4", "", kGoodHeader}},
        Refusal{"TokenOf256Digits", {"clip.mp4", tokenFor(tokenTextOfLength(128)), kGoodHeader}},
        Refusal{"HeaderNotBase64Length", {"clip.mp4", kGoodToken, kGoodHeader.substr(1)}},
        Refusal{"EmptyHeader", {"clip.mp4", kGoodToken, ""}},
        Refusal{"HeaderOf513Bytes",
                {"clip.mp4", kGoodToken, headerArgumentFor(random_bytes(513, 3))}},
        Refusal{"SourcePathOf256Bytes", {"/tmp/" + std::string(251, 'p'), kGoodToken, kGoodHeader}},
        Refusal{"SourcePathOf4096Bytes", {std::string(4096, 'p'), kGoodToken, kGoodHeader}}),
    [](const testing::TestParamInfo<Refusal> &info) { return std::string(info.param.name); });

// A missing video gets as far as asking its duration: the proof that the
// command line was accepted.
const std::string kMissingVideo = "/nonexistent/clip.mp4";
const std::string kTimespanOfMissingVideo = "fail to get video timespan, ret:131080!\n";

TEST(StartupLimits, TokenOf254DigitsIsAccepted) {
  const ProgramRun run =
      runMorlan({kMissingVideo, tokenFor(tokenTextOfLength(127)), kGoodHeader}, headlessEnvironment());
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, kTimespanOfMissingVideo);
}

TEST(StartupLimits, SourcePathOf255BytesIsAccepted) {
  const std::string path = "/nonexistent/" + std::string(255 - 13, 'p');
  ASSERT_EQ(path.size(), 255u);
  const ProgramRun run = runMorlan({path, kGoodToken, kGoodHeader}, headlessEnvironment());
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, kTimespanOfMissingVideo);
}

TEST(StartupLimits, LowerCaseTokenDigitsReadAlike) {
  const ProgramRun run = runMorlan({kMissingVideo, tokenFor(tokenTextFor(kContentKey), true), kGoodHeader},
                                   headlessEnvironment());
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, kTimespanOfMissingVideo);
}

TEST(StartupLimits, ModeThatIsNotANumberPlays) {
  const ProgramRun run =
      runMorlan({kMissingVideo, kGoodToken, kGoodHeader, "encrypt"}, headlessEnvironment());
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, kTimespanOfMissingVideo);
}

// After the application exists every failure prints its message and the
// program still exits 0.
class FailureAfterStart : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new folio_test::ScratchDir;
    clip_ = new ProtectedClip(makeProtectedClip(*dir_, 1.5));
  }
  static void TearDownTestSuite() {
    delete clip_;
    delete dir_;
  }

  static ProgramRun play(const Bytes &headerBlock, const std::vector<std::string> &more = {}) {
    std::vector<std::string> arguments = {clip_->protectedPath, tokenFor(tokenTextFor(clip_->key)),
                                          headerArgumentFor(headerBlock)};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return runMorlan(arguments, headlessEnvironment());
  }

  static folio_test::ScratchDir *dir_;
  static ProtectedClip *clip_;
};

folio_test::ScratchDir *FailureAfterStart::dir_ = nullptr;
ProtectedClip *FailureAfterStart::clip_ = nullptr;

// The header block deciphered intact and naming the file's own nonce gets
// past the duration check; only the video output is missing.
TEST_F(FailureAfterStart, MatchingHeaderReachesTheVideoOutput) {
  const ProgramRun run = play(clip_->headerBlock);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "fail to init windows!\n");
}

TEST_F(FailureAfterStart, HeaderOfAnotherVideoIsReportedWithItsCode) {
  const ProgramRun run = play(headerBlockWithNonce(random_bytes(8, 99)));
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "fail to get video timespan, ret:131081!\n");
}

TEST_F(FailureAfterStart, DamagedHeaderIsReportedWithItsCode) {
  Bytes damaged = clip_->headerBlock;
  damaged[100] ^= 1;
  const ProgramRun run = play(damaged);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "fail to get video timespan, ret:131079!\n");
}

// A header block shorter than 512 bytes is deciphered over its own length
// and handed on padded with zeros: here the padding is the block's CRC,
// which comes out right only if those four bytes are plain zeros.
TEST_F(FailureAfterStart, ShortHeaderIsPaddedWithZeros) {
  const Bytes nonce(clip_->headerBlock.begin() + 96, clip_->headerBlock.begin() + 104);
  const Bytes prefix = headerPrefixWithZeroCrc(nonce);
  ASSERT_EQ(prefix.size(), 508u);
  EXPECT_EQ(play(prefix).out, "fail to init windows!\n");
  // The same prefix with a damaged byte: the check above can fail.
  Bytes damaged = prefix;
  damaged[300] ^= 0x80;
  EXPECT_EQ(play(damaged).out, "fail to get video timespan, ret:131079!\n");
}

TEST_F(FailureAfterStart, EncryptModeReportsAFailedEncryption) {
  // Without any "." the copy's name gets "_e" at its end, a name the video
  // library cannot pick a container for.
  const std::string source = dir_->path("clipwithoutdot");
  std::vector<std::string> arguments = {source, tokenFor(tokenTextFor(clip_->key)),
                                        headerArgumentFor(clip_->headerBlock), "1"};
  const ProgramRun run = runMorlan(arguments, headlessEnvironment());
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "fail to encrypt file!\n");
}

TEST_F(FailureAfterStart, ModeZeroPlaysTheGivenFile) {
  const ProgramRun run = play(clip_->headerBlock, {"0"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "fail to init windows!\n");
}

}  // namespace
}  // namespace morlan_test
