// protect-video and unprotect-video refuse what they cannot handle with one
// line "folio-host: <file>: <reason>" (FFmpeg kept quiet while the tool
// probes a file) and exit status 1, and never leave an output, a key file
// or a temporary behind.
#include <gtest/gtest.h>

#include <set>

#include "host_process.h"
#include "protected_sample.h"
#include "support/files.h"
#include "support/test_bytes.h"
#include "support/text_patterns.h"
#include "video_sample.h"
#include "world_writable_scratch_dir.h"

using namespace folio_test;

namespace host_test {
namespace {

// ---- protect-video -------------------------------------------------------------

class ProtectVideoOutputContainer : public testing::TestWithParam<const char *> {};

TEST_P(ProtectVideoOutputContainer, RefusedNamingTheContainersThatWork) {
  WorldWritableScratchDir dir;
  media::make_clip(dir.path("source.mp4"), small_clip());
  const std::string out = dir.path(std::string("locked") + GetParam());
  const RunResult run = run_host({"protect-video", dir.path("source.mp4"), out});
  expect_rejected(run, out, ".mp4");
  EXPECT_EQ(dir.names(), std::set<std::string>{"source.mp4"});
}

INSTANTIATE_TEST_SUITE_P(Extensions, ProtectVideoOutputContainer,
                         testing::Values(".mkv", ".avi", ".MOV", ".ts", ".m4v", ".mp4.part", ""),
                         [](const testing::TestParamInfo<const char *> &info) {
                           const std::string name = info.param;
                           if (name.empty()) return std::string("NoExtension");
                           return folio_test::replace_matches(name, "[^A-Za-z0-9]", "_");
                         });

TEST(ProtectVideoInput, MissingInput) {
  WorldWritableScratchDir dir;
  const RunResult run = run_host({"protect-video", dir.path("none.mp4"), dir.path("locked.mp4")});
  expect_rejected(run, dir.path("none.mp4"), "No such file or directory");
  EXPECT_EQ(dir.names(), std::set<std::string>{});
}

TEST(ProtectVideoInput, InputThatIsNotMedia) {
  WorldWritableScratchDir dir;
  write_file(dir.path("noise.mp4"), random_bytes(20000, 21));
  const RunResult run = run_host({"protect-video", dir.path("noise.mp4"), dir.path("locked.mp4")});
  expect_rejected(run, dir.path("noise.mp4"), "is not a media file");
  EXPECT_EQ(dir.names(), std::set<std::string>{"noise.mp4"});
}

TEST(ProtectVideoInput, InputThatIsAlreadyProtected) {
  WorldWritableScratchDir dir;
  const ProtectedVideo sample = protect_video_sample(dir, "source.mp4", "locked.mp4", small_clip());
  ASSERT_EQ(sample.run.exit_code, 0);
  const std::set<std::string> before = dir.names();
  const RunResult run = run_host({"protect-video", sample.protected_path, dir.path("twice.mp4")});
  expect_rejected(run, sample.protected_path, "is already a protected video");
  EXPECT_EQ(dir.names(), before);
}

// ---- unprotect-video -------------------------------------------------------------

class UnprotectVideoRefuses : public testing::Test {
 protected:
  void SetUp() override {
    sample_ = protect_video_sample(dir_, "source.mp4", "locked.mp4", small_clip());
    ASSERT_EQ(sample_.run.exit_code, 0);
  }

  // Runs unprotect-video of input into restored.mp4 and checks that the
  // directory is as it was.
  RunResult unprotect_expecting_nothing_left(const std::string &input, const std::string &key) {
    const std::set<std::string> before = dir_.names();
    const RunResult run =
        run_host({"unprotect-video", input, dir_.path("restored.mp4"), "--key-file", key});
    EXPECT_EQ(dir_.names(), before);
    return run;
  }

  WorldWritableScratchDir dir_;
  ProtectedVideo sample_;
};

TEST_F(UnprotectVideoRefuses, DocumentKeyFile) {
  ASSERT_EQ(run_host({"protect", sample_.source_path, dir_.path("doc.folio")}).exit_code, 0);
  const std::string key = dir_.path("doc.folio.key");
  expect_rejected(unprotect_expecting_nothing_left(sample_.protected_path, key), key,
                  "is the key file of a document, not of a video");
}

TEST_F(UnprotectVideoRefuses, AnotherVideosKeyFile) {
  ASSERT_EQ(run_host({"protect-video", sample_.source_path, dir_.path("other.mp4")}).exit_code, 0);
  expect_rejected(
      unprotect_expecting_nothing_left(sample_.protected_path, dir_.path("other.mp4.key")),
      sample_.protected_path, "key file does not belong to this video");
}

// The nonce alone would let a wrong key through to a file of garbage.
TEST_F(UnprotectVideoRefuses, KeyFileWithTheRightNonceAndAnotherKey) {
  const std::string text = read_text(sample_.key_path);
  const std::size_t key_at = text.find("\nkey: ") + 6;
  std::string edited = text;
  edited[key_at] = edited[key_at] == '0' ? '1' : '0';
  write_text(dir_.path("edited.key"), edited);
  expect_rejected(unprotect_expecting_nothing_left(sample_.protected_path, dir_.path("edited.key")),
                  sample_.protected_path, "key file does not belong to this video");
}

TEST_F(UnprotectVideoRefuses, ClearFile) {
  expect_rejected(unprotect_expecting_nothing_left(sample_.source_path, sample_.key_path),
                  sample_.source_path, "is not a protected video");
}

TEST_F(UnprotectVideoRefuses, FileThatIsNotMedia) {
  write_file(dir_.path("noise.mp4"), random_bytes(20000, 22));
  expect_rejected(unprotect_expecting_nothing_left(dir_.path("noise.mp4"), sample_.key_path),
                 dir_.path("noise.mp4"), "is not a media file");
}

TEST_F(UnprotectVideoRefuses, KeyFileOfAVideoWithAVariantLine) {
  write_text(dir_.path("variant.key"), read_text(sample_.key_path) + "variant: v2\n");
  expect_rejected(
      unprotect_expecting_nothing_left(sample_.protected_path, dir_.path("variant.key")),
      dir_.path("variant.key"), "a video has no variant");
}

TEST_F(UnprotectVideoRefuses, MissingKeyFileOptionIsAUsageError) {
  const RunResult run =
      run_host({"unprotect-video", sample_.protected_path, dir_.path("restored.mp4")});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.err.find("missing --key-file"), std::string::npos) << run.err;
}

// ---- Document commands and video key files -----------------------------------------

using DocumentCommandsWithVideoKey = UnprotectVideoRefuses;

TEST_F(DocumentCommandsWithVideoKey, RefuseItNamingTheKeyFile) {
  for (const std::vector<std::string> &command :
       {std::vector<std::string>{"unprotect", sample_.protected_path, dir_.path("restored.bin"),
                                 "--key-file", sample_.key_path},
        std::vector<std::string>{"token", sample_.protected_path, "--key-file",
                                 sample_.key_path}}) {
    SCOPED_TRACE(command[0]);
    const std::set<std::string> before = dir_.names();
    expect_rejected(run_host(command), sample_.key_path, "is the key file of a video");
    EXPECT_EQ(dir_.names(), before);
  }
}

}  // namespace
}  // namespace host_test
