// token prints the seven arguments a viewer is started with, and its launch
// token, deciphered here with OpenSSL under the built-in token key and
// nonce, carries the key file's key behind the documented leading field.
#include <gtest/gtest.h>

#include <ctime>

#include "host_process.h"
#include "key_file_fields.h"
#include "launch_token_keys.h"
#include "protected_sample.h"
#include "support/files.h"
#include "support/oracle.h"
#include "support/test_bytes.h"
#include "support/text_patterns.h"
#include "document_layouts.h"
#include "world_writable_scratch_dir.h"

using namespace folio_test;

namespace host_test {
namespace {

std::vector<std::string> lines_of(const std::string &out) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(out.substr(start, end - start));
  EXPECT_EQ(start, out.size()) << "the last line must end with a newline";
  return lines;
}

RunResult token_for(const ProtectedSample &sample, const std::vector<std::string> &more = {}) {
  std::vector<std::string> arguments = {"token", sample.protected_path, "--key-file",
                                        sample.key_path};
  arguments.insert(arguments.end(), more.begin(), more.end());
  return run_host(arguments);
}

class TokenArguments : public testing::TestWithParam<Layout> {};

TEST_P(TokenArguments, AreTheSevenViewerArgumentsOnePerLine) {
  WorldWritableScratchDir dir;
  const ProtectedSample sample = protect_sample(dir, random_bytes(2000, 400), GetParam().options);
  const RunResult run = token_for(sample);
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const std::vector<std::string> lines = lines_of(run.out);
  ASSERT_EQ(lines.size(), 7u) << run.out;
  const auto fields = key_file_fields(read_text(sample.key_path));
  EXPECT_EQ(lines[0], sample.protected_path);
  EXPECT_TRUE(folio_test::matches_whole(lines[1], "[0-9A-F]{150}")) << lines[1];
  EXPECT_EQ(lines[2], fields.at("nonce"));
  EXPECT_EQ(lines[3], GetParam().variant);
  EXPECT_EQ(lines[4], GetParam().kind);
  EXPECT_EQ(lines[5], "") << "no watermark was asked for";
  EXPECT_EQ(lines[6], "-");
}

TEST_P(TokenArguments, TokenCarriesTheKeyFilesKeyBehindTheLeadingField) {
  WorldWritableScratchDir dir;
  const ProtectedSample sample = protect_sample(dir, random_bytes(2000, 401), GetParam().options);
  const std::int64_t before = std::time(nullptr);
  const RunResult run = token_for(sample);
  const std::int64_t after = std::time(nullptr);
  ASSERT_EQ(run.exit_code, 0) << run.err;
  const std::vector<std::string> lines = lines_of(run.out);
  ASSERT_EQ(lines.size(), 7u);

  const std::string text = token_text(lines[1]);
  ASSERT_EQ(text.size(), 75u);
  EXPECT_EQ(text.substr(11), key_file_fields(read_text(sample.key_path)).at("key"))
      << "the key digits must be the key file's, in lowercase";
  ASSERT_TRUE(folio_test::matches_whole(text.substr(0, 11), "1[0-9]{10}")) << text.substr(0, 11);
  const std::int64_t issued = std::stoll(text.substr(1, 10));
  EXPECT_GE(issued, before);
  EXPECT_LE(issued, after);
}

INSTANTIATE_TEST_SUITE_P(Layouts, TokenArguments, testing::ValuesIn(kLayouts),
                         [](const testing::TestParamInfo<Layout> &info) {
                           return std::string(info.param.name);
                         });

TEST(TokenWatermark, IsPrintedAsGivenInEitherOptionForm) {
  WorldWritableScratchDir dir;
  const ProtectedSample sample = protect_sample(dir, random_bytes(100, 402));
  const std::string watermark = "Vertraulich \xe2\x80\x94 M\xc3\xbcller, Abt. 4";
  for (const std::vector<std::string> &option :
       {std::vector<std::string>{"--watermark", watermark},
        std::vector<std::string>{"--watermark=" + watermark}}) {
    const RunResult run = token_for(sample, option);
    ASSERT_EQ(run.exit_code, 0) << run.err;
    const std::vector<std::string> lines = lines_of(run.out);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[5], watermark);
  }
}

class TokenRejects : public testing::Test {
 protected:
  RunResult expect_nothing_printed(const std::vector<std::string> &arguments) {
    const RunResult run = run_host(arguments);
    EXPECT_EQ(run.out, "") << "no token for a file that does not check out";
    return run;
  }
  WorldWritableScratchDir dir_;
};

TEST_F(TokenRejects, KeyFileOfAnotherProtection) {
  const ProtectedSample sample = protect_sample(dir_, random_bytes(2000, 403));
  ASSERT_EQ(run_host({"protect", sample.plain_path, dir_.path("other.folio")}).exit_code, 0);
  const RunResult run = expect_nothing_printed(
      {"token", sample.protected_path, "--key-file", dir_.path("other.folio.key")});
  expect_rejected(run, sample.protected_path, "key file does not belong to this file");
}

TEST_F(TokenRejects, TruncatedCiphertextOnlyFile) {
  const ProtectedSample sample = protect_sample(dir_, random_bytes(2000, 404), {"--kind", "image"});
  write_file(sample.protected_path, slice(read_file(sample.protected_path), 0, 1000));
  const RunResult run =
      expect_nothing_printed({"token", sample.protected_path, "--key-file", sample.key_path});
  expect_rejected(run, sample.protected_path, "truncated (1000 bytes, the key file says 2000)");
}

TEST_F(TokenRejects, MissingKeyFile) {
  const ProtectedSample sample = protect_sample(dir_, random_bytes(100, 405));
  const RunResult run =
      expect_nothing_printed({"token", sample.protected_path, "--key-file", dir_.path("none.key")});
  expect_rejected(run, dir_.path("none.key"), "No such file or directory");
}

TEST_F(TokenRejects, MissingProtectedFile) {
  const ProtectedSample sample = protect_sample(dir_, random_bytes(100, 406));
  const RunResult run =
      expect_nothing_printed({"token", dir_.path("none.folio"), "--key-file", sample.key_path});
  expect_rejected(run, dir_.path("none.folio"), "No such file or directory");
}

}  // namespace
}  // namespace host_test
