// protect --kind and --variant: a v2 PDF and an image are the ciphertext
// alone, checked against OpenSSL at stream offset 0; their key files say
// what they are; unprotect restores every layout and refuses files that do
// not match their key file; inspect says that such files carry no header.
#include <gtest/gtest.h>


#include "document_layouts.h"
#include "host_process.h"
#include "key_file_fields.h"
#include "protected_sample.h"
#include "support/files.h"
#include "support/oracle.h"
#include "support/test_bytes.h"
#include "support/text_patterns.h"
#include "world_writable_scratch_dir.h"

using namespace folio_test;

namespace host_test {
namespace {

const Layout kCiphertextOnly[] = {
    {"PdfV2", {"--variant", "v2"}, "pdf", "v2"},
    {"Image", {"--kind", "image"}, "image", "v2"},
};

// Around the library's 1 MiB chunk.
const std::size_t kSizes[] = {0, 1, 4095, 0x100000, 0x100001};

class CiphertextOnlyFile
    : public testing::TestWithParam<std::tuple<Layout, std::size_t>> {
 protected:
  const Layout &layout() const { return std::get<0>(GetParam()); }
  std::size_t size() const { return std::get<1>(GetParam()); }
};

TEST_P(CiphertextOnlyFile, IsAesCtrCiphertextFromOffsetZeroWithoutAHeader) {
  WorldWritableScratchDir dir;
  const ProtectedSample sample =
      protect_sample(dir, random_bytes(size(), size() + 100), layout().options);
  const Bytes file = read_file(sample.protected_path);
  ASSERT_EQ(file.size(), size()) << "no header may be prepended";

  const auto fields = key_file_fields(read_text(sample.key_path));
  EXPECT_EQ(fields.at("kind"), layout().kind);
  EXPECT_EQ(fields.at("variant"), layout().variant);
  EXPECT_EQ(fields.at("size"), std::to_string(size()));
  EXPECT_EQ(fields.at("md5"), oracle::md5_hex(sample.plaintext));
  const Bytes key = from_hex(fields.at("key"));
  const Bytes nonce = oracle::base64_decode(fields.at("nonce"));
  ASSERT_EQ(key.size(), 32u);
  ASSERT_EQ(nonce.size(), 8u);
  EXPECT_TRUE(oracle::aes_ctr(key, nonce, 0, file) == sample.plaintext)
      << "the file does not decipher from offset 0 with the key file's key and nonce";
}

TEST_P(CiphertextOnlyFile, UnprotectRestoresEveryByte) {
  WorldWritableScratchDir dir;
  const ProtectedSample sample =
      protect_sample(dir, random_bytes(size(), size() + 200), layout().options);
  const std::string restored = dir.path("restored.bin");
  const RunResult run =
      run_host({"unprotect", sample.protected_path, restored, "--key-file", sample.key_path});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, "restored " + restored + " (md5 ok)\n");
  EXPECT_TRUE(read_file(restored) == sample.plaintext);
  EXPECT_EQ(dir.names(),
            (std::set<std::string>{"plain.bin", "doc.folio", "doc.folio.key", "restored.bin"}))
      << "no temporaries may be left behind";
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, CiphertextOnlyFile,
    testing::Combine(testing::ValuesIn(kCiphertextOnly), testing::ValuesIn(kSizes)),
    [](const testing::TestParamInfo<std::tuple<Layout, std::size_t>> &info) {
      return std::string(std::get<0>(info.param).name) + "Bytes" +
             std::to_string(std::get<1>(info.param));
    });

TEST(ExplicitV1, IsTheDefaultLayoutWithItsHeader) {
  WorldWritableScratchDir dir;
  const ProtectedSample sample =
      protect_sample(dir, random_bytes(3000, 300), {"--kind", "pdf", "--variant", "v1"});
  const Bytes file = read_file(sample.protected_path);
  ASSERT_EQ(file.size(), 512u + 3000u);
  EXPECT_EQ(slice(file, 0, 7), bytes_of(std::string("tesmir\0", 7)));
  const auto fields = key_file_fields(read_text(sample.key_path));
  EXPECT_EQ(fields.at("kind"), "pdf");
  EXPECT_EQ(fields.at("variant"), "v1");
  EXPECT_TRUE(oracle::aes_ctr(from_hex(fields.at("key")), oracle::base64_decode(fields.at("nonce")),
                              0, slice(file, 512, 3000)) == sample.plaintext);
}

TEST(OlderKeyFile, WithoutAKindLineIsAPdfKeyFile) {
  WorldWritableScratchDir dir;
  const ProtectedSample sample = protect_sample(dir, random_bytes(3000, 301));
  const std::string text = read_text(sample.key_path);
  write_text(dir.path("old.key"), folio_test::replace_matches(text, "kind: pdf\n", ""));
  ASSERT_NE(read_text(dir.path("old.key")), text);
  const RunResult run = run_host({"unprotect", sample.protected_path, dir.path("restored.bin"),
                                  "--key-file", dir.path("old.key")});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_TRUE(read_file(dir.path("restored.bin")) == sample.plaintext);
}

// ---- unprotect of ciphertext-only files that do not match their key file ----

class UnprotectCiphertextOnly : public testing::Test {
 protected:
  void SetUp() override {
    sample_ = protect_sample(dir_, random_bytes(3000, 302), {"--kind", "image"});
  }

  RunResult unprotect(const std::string &key_path) {
    const std::set<std::string> before = dir_.names();
    const RunResult run = run_host(
        {"unprotect", sample_.protected_path, dir_.path("restored.bin"), "--key-file", key_path});
    EXPECT_EQ(dir_.names(), before) << "nothing may be left behind";
    return run;
  }

  void rewrite_protected(const Bytes &bytes) { write_file(sample_.protected_path, bytes); }

  WorldWritableScratchDir dir_;
  ProtectedSample sample_;
};

TEST_F(UnprotectCiphertextOnly, Truncated) {
  rewrite_protected(slice(read_file(sample_.protected_path), 0, 2990));
  expect_rejected(unprotect(sample_.key_path), sample_.protected_path,
                  "truncated (2990 bytes, the key file says 3000)");
}

TEST_F(UnprotectCiphertextOnly, TrailingBytes) {
  rewrite_protected(concat(read_file(sample_.protected_path), Bytes(5, 0)));
  expect_rejected(unprotect(sample_.key_path), sample_.protected_path,
                  "has trailing bytes (3005 bytes, the key file says 3000)");
}

TEST_F(UnprotectCiphertextOnly, WrongKeyIsCaughtByTheDigest) {
  const std::string text = read_text(sample_.key_path);
  const auto fields = key_file_fields(text);
  std::string key = fields.at("key");
  key[0] = key[0] == '0' ? '1' : '0';
  write_text(dir_.path("wrong.key"), folio_test::replace_matches(text, fields.at("key"), key));
  expect_rejected(unprotect(dir_.path("wrong.key")), sample_.protected_path,
                  "wrong key or damaged file: digest mismatch");
}

TEST_F(UnprotectCiphertextOnly, WrongNonceIsCaughtByTheDigest) {
  const std::string text = read_text(sample_.key_path);
  write_text(dir_.path("wrong.key"),
             folio_test::replace_matches(text, "nonce: [^\n]*", "nonce: AAAAAAAAAAA="));
  expect_rejected(unprotect(dir_.path("wrong.key")), sample_.protected_path,
                  "wrong key or damaged file: digest mismatch");
}

TEST_F(UnprotectCiphertextOnly, AV1FileWithAV2KeyFileIsRefusedByItsLength) {
  // The same plaintext protected as v1 is 512 bytes longer than the key
  // file of a ciphertext-only protection says.
  const RunResult v1 = run_host({"protect", sample_.plain_path, dir_.path("v1.folio")});
  ASSERT_EQ(v1.exit_code, 0) << v1.err;
  const RunResult run = run_host({"unprotect", dir_.path("v1.folio"), dir_.path("restored.bin"),
                                  "--key-file", sample_.key_path});
  expect_rejected(run, dir_.path("v1.folio"), "has trailing bytes (3512 bytes");
  EXPECT_FALSE(file_exists(dir_.path("restored.bin")));
}

// ---- inspect ----------------------------------------------------------------

TEST(InspectCiphertextOnly, SaysTheFileCarriesNoHeader) {
  for (const Layout &layout : kCiphertextOnly) {
    for (std::size_t size : {std::size_t(0), std::size_t(100), std::size_t(5000)}) {
      WorldWritableScratchDir dir;
      const ProtectedSample sample = protect_sample(dir, random_bytes(size, 303), layout.options);
      const RunResult run = run_host({"inspect", sample.protected_path});
      EXPECT_EQ(run.exit_code, 1) << layout.name << size;
      EXPECT_EQ(run.out, "file:              " + sample.protected_path +
                             "\nheader:            none (v2 PDFs and images are ciphertext only "
                             "and carry no header)\n")
          << layout.name << size;
      EXPECT_EQ(run.err, "folio-host: " + sample.protected_path +
                             ": no protected-document header to inspect\n");
    }
  }
}

}  // namespace
}  // namespace host_test
