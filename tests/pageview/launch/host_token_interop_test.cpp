// The viewer's start-up takes the arguments folio-host prints for a
// protected file and unwraps exactly the key file's key; OpenSSL, deciphering
// the same token under the built-in token key, agrees.
#include <gtest/gtest.h>

#include <ctime>

#include "host_process.h"
#include "pageview/launch/token_age.h"
#include "pageview/launch/token_unwrap.h"
#include "launch_command_line.h"
#include "support/files.h"
#include "support/oracle.h"
#include "support/scratch_dir.h"
#include "token_oracle.h"

using namespace folio_test;

namespace launch_test {
namespace {

struct HostLayout {
  const char *name;
  std::vector<std::string> options;
  bool isImage;
  const char *variant;
};

void PrintTo(const HostLayout &layout, std::ostream *out) { *out << layout.name; }

const HostLayout kLayouts[] = {
    {"PdfV1", {}, false, "v1"},
    {"PdfV2", {"--variant", "v2"}, false, "v2"},
    {"Image", {"--kind", "image"}, true, "v2"},
};

std::vector<std::optional<std::string>> linesOf(const std::string &out) {
  std::vector<std::optional<std::string>> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(out.substr(start, end - start));
  return lines;
}

std::string keyFileField(const std::string &keyText, const std::string &name) {
  const std::string prefix = "\n" + name + ": ";
  const std::size_t at = keyText.find(prefix);
  if (at == std::string::npos) throw std::runtime_error("no " + name + " in the key file");
  const std::size_t from = at + prefix.size();
  return keyText.substr(from, keyText.find('\n', from) - from);
}

class HostTokenInterop : public testing::TestWithParam<HostLayout> {};

TEST_P(HostTokenInterop, ViewerStartsWithTheKeyFilesKeyAndNonce) {
  ScratchDir dir;
  write_file(dir.path("plain.bin"), random_bytes(4000, 70));
  const std::string protectedPath = dir.path("doc.fpd");
  std::vector<std::string> protect = {"protect", dir.path("plain.bin"), protectedPath};
  protect.insert(protect.end(), GetParam().options.begin(), GetParam().options.end());
  const host_test::RunResult protectRun = host_test::run_host(protect);
  ASSERT_EQ(protectRun.exit_code, 0) << protectRun.err;
  const host_test::RunResult tokenRun = host_test::run_host(
      {"token", protectedPath, "--key-file", protectedPath + ".key", "--watermark", "Nur intern"});
  ASSERT_EQ(tokenRun.exit_code, 0) << tokenRun.err;
  const auto lines = linesOf(tokenRun.out);
  ASSERT_EQ(lines.size(), 7u) << tokenRun.out;

  const std::string keyText = read_text(protectedPath + ".key");
  const Bytes key = from_hex(keyFileField(keyText, "key"));
  const Bytes nonce = oracle::base64_decode(keyFileField(keyText, "nonce"));
  ASSERT_EQ(key.size(), 32u);
  ASSERT_EQ(nonce.size(), 8u);
  EXPECT_EQ(oracleTokenText(*lines[1]).substr(11), to_hex(key))
      << "OpenSSL does not find the key file's key in the token";
  // Its leading field holds the time of issue, which a viewer built with a
  // maximum token age accepts now and refuses once that age has passed.
  std::array<unsigned char, pageview::kContentKeyBytes> unwrapped{};
  std::array<char, pageview::kTokenLeadingFieldBytes> leadingField{};
  ASSERT_TRUE(pageview::unwrapLaunchToken(lines[1]->c_str(), unwrapped, leadingField));
  const std::int64_t now = std::time(nullptr);
  EXPECT_EQ(pageview::checkTokenAge(leadingField.data(), leadingField.size(), now, 300),
            pageview::TokenAge::accepted);
  EXPECT_EQ(pageview::checkTokenAge(leadingField.data(), leadingField.size(), now + 400, 300),
            pageview::TokenAge::expired);

  const pageview::LaunchOutcome outcome = LaunchCommandLine(lines).parse();
  const pageview::LaunchParameters &parameters = parametersOf(outcome);
  EXPECT_EQ(Bytes(parameters.contentKey.begin(), parameters.contentKey.end()), key);
  Bytes expectedNonce = nonce;
  expectedNonce.resize(64, 0);
  EXPECT_EQ(Bytes(parameters.nonce.begin(), parameters.nonce.end()), expectedNonce);
  EXPECT_EQ(parameters.isImage, GetParam().isImage);
  EXPECT_EQ(parameters.variant, QString::fromLatin1(GetParam().variant));
  EXPECT_EQ(parameters.pathUtf8, QByteArray::fromStdString(protectedPath));
  EXPECT_EQ(parameters.watermark, QStringLiteral("Nur intern"));
}

INSTANTIATE_TEST_SUITE_P(Layouts, HostTokenInterop, testing::ValuesIn(kLayouts),
                         [](const testing::TestParamInfo<HostLayout> &info) {
                           return std::string(info.param.name);
                         });

TEST(HostTokenDeciphering, ViewerAndOpenSslReadTheSameFileBack) {
  // The whole chain: what the viewer unwraps deciphers the protected file
  // (ciphertext only) back to the plaintext.
  ScratchDir dir;
  const Bytes plaintext = random_bytes(3000, 71);
  write_file(dir.path("photo.png"), plaintext);
  const std::string protectedPath = dir.path("photo.fpd");
  ASSERT_EQ(host_test::run_host({"protect", dir.path("photo.png"), protectedPath, "--kind", "image"})
                .exit_code,
            0);
  const host_test::RunResult tokenRun =
      host_test::run_host({"token", protectedPath, "--key-file", protectedPath + ".key"});
  ASSERT_EQ(tokenRun.exit_code, 0) << tokenRun.err;
  const auto outcome = LaunchCommandLine(linesOf(tokenRun.out)).parse();
  const pageview::LaunchParameters &parameters = parametersOf(outcome);
  const Bytes key(parameters.contentKey.begin(), parameters.contentKey.end());
  const Bytes nonce(parameters.nonce.begin(), parameters.nonce.begin() + 8);
  EXPECT_TRUE(oracle::aes_ctr(key, nonce, 0, read_file(protectedPath)) == plaintext);
}

}  // namespace
}  // namespace launch_test
