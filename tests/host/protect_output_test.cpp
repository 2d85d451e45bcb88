// What protect writes, checked against OpenSSL and a reference CRC-32
// rather than against the tool's own reading of it, and the round trip
// back through unprotect.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <set>

#include "host_process.h"
#include "key_file_fields.h"
#include "protected_sample.h"
#include "support/files.h"
#include "support/oracle.h"
#include "support/test_bytes.h"
#include "world_writable_scratch_dir.h"

using namespace folio_test;

namespace host_test {
namespace {

constexpr std::size_t kHeaderBytes = 512;

// Around the library's 1 MiB chunk, and one input large enough to cross
// many chunks.
const std::size_t kSizes[] = {0, 1, 0x100000, 0x100001, std::size_t(64) << 20};

std::string size_name(const testing::TestParamInfo<std::size_t> &info) {
  return "Bytes" + std::to_string(info.param);
}

mode_t created_file_mode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

bool all_zero(const Bytes &bytes, std::size_t from, std::size_t to) {
  return std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                     bytes.begin() + static_cast<std::ptrdiff_t>(to),
                     [](unsigned char b) { return b == 0; });
}

class ProtectedFileLayout : public testing::TestWithParam<std::size_t> {};

TEST_P(ProtectedFileLayout, IsAFreshHeaderFollowedByAesCtrCiphertext) {
  WorldWritableScratchDir dir;
  const ProtectedSample sample = protect_sample(dir, random_bytes(GetParam(), GetParam() + 1));
  const Bytes file = read_file(sample.protected_path);
  ASSERT_EQ(file.size(), kHeaderBytes + GetParam());

  const Bytes magic(file.begin(), file.begin() + 8);
  EXPECT_EQ(magic, (Bytes{'t', 'e', 's', 'm', 'i', 'r', 0, 0}));
  EXPECT_EQ(le32_at(file, 8), 0x01000001u);
  EXPECT_EQ(le64_at(file, 16), std::uint64_t{GetParam()});
  EXPECT_EQ(le64_at(file, 24), std::uint64_t{GetParam()});
  EXPECT_EQ(le32_at(file, 40), 0x00400001u);
  EXPECT_EQ(le32_at(file, 44), 0u) << "a fresh header has no key cipher";
  EXPECT_EQ(le32_at(file, 508), oracle::crc32(file.data(), 508));
  EXPECT_TRUE(all_zero(file, 12, 16) && all_zero(file, 32, 40) && all_zero(file, 48, 96) &&
              all_zero(file, 104, 508))
      << "reserved header bytes must be zero";

  const auto fields = key_file_fields(read_text(sample.key_path));
  const Bytes nonce = oracle::base64_decode(fields.at("nonce"));
  ASSERT_EQ(nonce.size(), 8u);
  EXPECT_EQ(nonce, Bytes(file.begin() + 96, file.begin() + 104));

  const Bytes ciphertext(file.begin() + kHeaderBytes, file.end());
  const Bytes key = from_hex(fields.at("key"));
  ASSERT_EQ(key.size(), 32u) << "the tool enciphers with AES-256";
  EXPECT_TRUE(oracle::aes_ctr(key, nonce, 0, ciphertext) == sample.plaintext)
      << "the ciphertext does not decipher with the key file's key and nonce";
  EXPECT_EQ(file_mode(sample.protected_path), created_file_mode());
}

INSTANTIATE_TEST_SUITE_P(Sizes, ProtectedFileLayout, testing::ValuesIn(kSizes), size_name);

class KeyFileContents : public testing::TestWithParam<std::size_t> {};

TEST_P(KeyFileContents, RecordsKeyNonceSizeAndPlaintextDigest) {
  WorldWritableScratchDir dir;
  const ProtectedSample sample = protect_sample(dir, random_bytes(GetParam(), GetParam() + 2));
  EXPECT_EQ(file_mode(sample.key_path), 0600u) << "the key file must be private";

  const std::string text = read_text(sample.key_path);
  EXPECT_EQ(text.substr(0, text.find('\n')),
            "# folio-host key file: keep it secret, it deciphers doc.folio");
  const auto fields = key_file_fields(text);
  std::set<std::string> names;
  for (const auto &field : fields) names.insert(field.first);
  EXPECT_EQ(names,
            (std::set<std::string>{"format", "kind", "variant", "key", "nonce", "size", "md5"}));
  EXPECT_EQ(fields.at("format"), "folio-key 1");
  EXPECT_EQ(fields.at("kind"), "pdf") << "a document is a PDF unless said otherwise";
  EXPECT_EQ(fields.at("variant"), "v1");
  EXPECT_EQ(fields.at("key").size(), 64u);
  EXPECT_EQ(fields.at("key").find_first_not_of("0123456789abcdef"), std::string::npos)
      << "the key is written in lowercase hexadecimal";
  EXPECT_EQ(from_hex(fields.at("key")).size(), 32u);
  EXPECT_EQ(oracle::base64_decode(fields.at("nonce")).size(), 8u);
  EXPECT_EQ(fields.at("size"), std::to_string(GetParam()));
  EXPECT_EQ(fields.at("md5"), oracle::md5_hex(sample.plaintext));
}

INSTANTIATE_TEST_SUITE_P(Sizes, KeyFileContents, testing::ValuesIn(kSizes), size_name);

TEST(KeyFreshness, EachProtectionDrawsItsOwnKeyAndNonce) {
  WorldWritableScratchDir dir;
  write_file(dir.path("plain.bin"), random_bytes(100, 3));
  ASSERT_EQ(run_host({"protect", dir.path("plain.bin"), dir.path("a.folio")}).exit_code, 0);
  ASSERT_EQ(run_host({"protect", dir.path("plain.bin"), dir.path("b.folio")}).exit_code, 0);
  const auto a = key_file_fields(read_text(dir.path("a.folio.key")));
  const auto b = key_file_fields(read_text(dir.path("b.folio.key")));
  EXPECT_NE(a.at("key"), b.at("key"));
  EXPECT_NE(a.at("nonce"), b.at("nonce"));
  EXPECT_NE(read_file(dir.path("a.folio")), read_file(dir.path("b.folio")));
}

class RoundTrip : public testing::TestWithParam<std::size_t> {};

TEST_P(RoundTrip, UnprotectRestoresEveryByte) {
  WorldWritableScratchDir dir;
  const ProtectedSample sample = protect_sample(dir, random_bytes(GetParam(), GetParam() + 4));
  EXPECT_EQ(sample.run.out, "protected " + sample.plain_path + " -> " + sample.protected_path +
                                " (key: " + sample.key_path + ")\n");
  EXPECT_EQ(sample.run.err, "");

  const std::string restored = dir.path("restored.bin");
  const RunResult run =
      run_host({"unprotect", sample.protected_path, restored, "--key-file", sample.key_path});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, "restored " + restored + " (md5 ok)\n");
  EXPECT_EQ(run.err, "");
  EXPECT_TRUE(read_file(restored) == sample.plaintext);
  EXPECT_EQ(file_mode(restored), created_file_mode());
  EXPECT_EQ(dir.names(),
            (std::set<std::string>{"plain.bin", "doc.folio", "doc.folio.key", "restored.bin"}))
      << "no temporaries may be left behind";
}

INSTANTIATE_TEST_SUITE_P(Sizes, RoundTrip, testing::ValuesIn(kSizes), size_name);

TEST(RoundTripOverwrite, ReplacesAnExistingOutputWhole) {
  WorldWritableScratchDir dir;
  const ProtectedSample sample = protect_sample(dir, random_bytes(5000, 5));
  write_file(dir.path("restored.bin"), random_bytes(100000, 6));
  const RunResult run = run_host({"unprotect", sample.protected_path, dir.path("restored.bin"),
                                  "--key-file=" + sample.key_path});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_TRUE(read_file(dir.path("restored.bin")) == sample.plaintext);
}

}  // namespace
}  // namespace host_test
