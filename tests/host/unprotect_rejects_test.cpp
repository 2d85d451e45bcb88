// unprotect refuses bad key files, damaged or foreign protected files and
// unusable destinations with one line naming the file, and never leaves a
// restored file or a temporary behind.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>

#include "host_process.h"
#include "key_file_fields.h"
#include "protected_sample.h"
#include "support/files.h"
#include "support/test_bytes.h"
#include "support/text_patterns.h"
#include "world_writable_scratch_dir.h"

using namespace folio_test;

namespace host_test {
namespace {

const std::set<std::string> kSampleFiles = {"plain.bin", "doc.folio", "doc.folio.key"};

RunResult unprotect(const ProtectedSample &sample, const std::string &key_path,
                    const std::string &output, const RunOptions &options = {}) {
  return run_host({"unprotect", sample.protected_path, output, "--key-file", key_path}, options);
}

std::string replace_field(const std::string &key_text, const std::string &field,
                          const std::string &value) {
  return folio_test::replace_matches(key_text, "(^|\n)" + field + ": [^\n]*",
                            "$1" + field + ": " + value);
}

// ---- Key files ------------------------------------------------------------

struct KeyFileDamage {
  const char *name;
  std::function<std::string(const std::string &)> damage;
  const char *reason;
};

const KeyFileDamage kKeyFileDamage[] = {
    {"Empty", [](const std::string &) { return std::string(); }, "not a key file"},
    {"SomeOtherText", [](const std::string &) { return std::string("hello\nworld\n"); },
     "not a key file"},
    {"NoFormatLine",
     [](const std::string &t) { return folio_test::replace_matches(t, "format: [^\n]*\n", ""); },
     "not a key file"},
    {"UnknownFormat",
     [](const std::string &t) { return replace_field(t, "format", "folio-key 2"); },
     "unsupported key file format"},
    {"UnknownVariant", [](const std::string &t) { return replace_field(t, "variant", "v3"); },
     "unsupported key variant 'v3'"},
    {"VariantInUpperCase", [](const std::string &t) { return replace_field(t, "variant", "V1"); },
     "unsupported key variant 'V1'"},
    {"UnknownKind", [](const std::string &t) { return replace_field(t, "kind", "PDF"); },
     "unsupported document kind 'PDF'"},
    {"ImageLaidOutWithAHeader",
     [](const std::string &t) { return replace_field(t, "kind", "image"); },
     "an image is never v1"},
    {"KeyOneDigitShort",
     [](const std::string &t) { return replace_field(t, "key", std::string(63, 'a')); },
     "the key is not 64 hexadecimal digits"},
    {"KeyNotHex",
     [](const std::string &t) { return replace_field(t, "key", std::string(63, 'a') + "g"); },
     "the key is not 64 hexadecimal digits"},
    {"NonceOfSevenBytes",
     [](const std::string &t) { return replace_field(t, "nonce", "AAAAAAAAAA=="); },
     "the nonce is not the Base64 of 8 bytes"},
    {"NonceOfNineBytes",
     [](const std::string &t) { return replace_field(t, "nonce", "AAAAAAAAAAAA"); },
     "the nonce is not the Base64 of 8 bytes"},
    {"NonceOutsideTheAlphabet",
     [](const std::string &t) { return replace_field(t, "nonce", "AAAA!AAAAAA="); },
     "the nonce is not the Base64 of 8 bytes"},
    {"SizeNotANumber", [](const std::string &t) { return replace_field(t, "size", "12x"); },
     "the size is not a byte count"},
    {"Md5Missing",
     [](const std::string &t) { return folio_test::replace_matches(t, "md5: [^\n]*\n", ""); },
     "no 'md5' line"},
    {"Md5Short", [](const std::string &t) { return replace_field(t, "md5", std::string(31, '0')); },
     "the md5 is not 32 hexadecimal digits"},
    {"KeyGivenTwice",
     [](const std::string &t) { return t + "key: " + std::string(64, '0') + "\n"; }, "given twice"},
};

class UnprotectKeyFile : public testing::TestWithParam<KeyFileDamage> {};

TEST_P(UnprotectKeyFile, CorruptKeyFileIsRefusedNamingIt) {
  WorldWritableScratchDir dir;
  const ProtectedSample sample = protect_sample(dir, random_bytes(3000, 10));
  write_text(dir.path("bad.key"), GetParam().damage(read_text(sample.key_path)));
  const RunResult run = unprotect(sample, dir.path("bad.key"), dir.path("restored.bin"));
  expect_rejected(run, dir.path("bad.key"), GetParam().reason);
  std::set<std::string> expected = kSampleFiles;
  expected.insert("bad.key");
  EXPECT_EQ(dir.names(), expected);
}

INSTANTIATE_TEST_SUITE_P(Damage, UnprotectKeyFile, testing::ValuesIn(kKeyFileDamage),
                         [](const testing::TestParamInfo<KeyFileDamage> &info) {
                           return std::string(info.param.name);
                         });

TEST(UnprotectKeyFileAccess, MissingKeyFile) {
  WorldWritableScratchDir dir;
  const ProtectedSample sample = protect_sample(dir, random_bytes(3000, 11));
  const RunResult run = unprotect(sample, dir.path("none.key"), dir.path("restored.bin"));
  expect_rejected(run, dir.path("none.key"), "No such file or directory");
  EXPECT_EQ(dir.names(), kSampleFiles);
}

TEST(UnprotectKeyFileAccess, DirectoryAsKeyFile) {
  WorldWritableScratchDir dir;
  const ProtectedSample sample = protect_sample(dir, random_bytes(3000, 12));
  dir.make_directory("keys", 0755);
  const RunResult run = unprotect(sample, dir.path("keys"), dir.path("restored.bin"));
  expect_rejected(run, dir.path("keys"), "Is a directory");
}

// ---- Protected files --------------------------------------------------------

class UnprotectProtectedFile : public testing::Test {
 protected:
  void SetUp() override { sample_ = protect_sample(dir_, random_bytes(3000, 13)); }

  // Runs unprotect and checks that nothing new is left in the directory.
  RunResult unprotect_expecting_nothing_left(const std::string &key_path) {
    const std::set<std::string> before = dir_.names();
    const RunResult run = unprotect(sample_, key_path, dir_.path("restored.bin"));
    EXPECT_EQ(dir_.names(), before);
    return run;
  }

  void rewrite_protected(const Bytes &bytes) { write_file(sample_.protected_path, bytes); }

  WorldWritableScratchDir dir_;
  ProtectedSample sample_;
};

TEST_F(UnprotectProtectedFile, ShorterThanItsHeader) {
  Bytes file = read_file(sample_.protected_path);
  file.resize(100);
  rewrite_protected(file);
  expect_rejected(unprotect_expecting_nothing_left(sample_.key_path), sample_.protected_path,
                  "not a protected document (shorter than its 512-byte header)");
}

TEST_F(UnprotectProtectedFile, Empty) {
  rewrite_protected({});
  expect_rejected(unprotect_expecting_nothing_left(sample_.key_path), sample_.protected_path,
                  "not a protected document (shorter than its 512-byte header)");
}

TEST_F(UnprotectProtectedFile, NotAProtectedDocumentAtAll) {
  rewrite_protected(random_bytes(4096, 14));
  expect_rejected(unprotect_expecting_nothing_left(sample_.key_path), sample_.protected_path,
                  "not a protected document");
}

TEST_F(UnprotectProtectedFile, DamagedHeaderByteFailsTheChecksum) {
  const Bytes intact = read_file(sample_.protected_path);
  // Magic, plain size, key cipher length, nonce, reserved area, CRC itself.
  for (std::size_t offset : {0u, 16u, 44u, 100u, 300u, 510u}) {
    SCOPED_TRACE("byte " + std::to_string(offset));
    Bytes damaged = intact;
    damaged[offset] ^= 0x01;
    rewrite_protected(damaged);
    expect_rejected(unprotect_expecting_nothing_left(sample_.key_path), sample_.protected_path,
                    "header is damaged (checksum mismatch)");
  }
}

// The library skips the checksum for other format versions; the tool must
// not trust such a header either.
TEST_F(UnprotectProtectedFile, DamagedFormatVersion) {
  Bytes damaged = read_file(sample_.protected_path);
  damaged[8] ^= 0x01;
  rewrite_protected(damaged);
  expect_rejected(unprotect_expecting_nothing_left(sample_.key_path), sample_.protected_path,
                  "unsupported format version 0x01000000");
}

TEST_F(UnprotectProtectedFile, Truncated) {
  Bytes file = read_file(sample_.protected_path);
  for (std::size_t keep : {file.size() - 1, std::size_t(512), std::size_t(1500)}) {
    SCOPED_TRACE("kept " + std::to_string(keep));
    rewrite_protected(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(keep)));
    expect_rejected(unprotect_expecting_nothing_left(sample_.key_path), sample_.protected_path,
                    "truncated");
  }
}

TEST_F(UnprotectProtectedFile, TrailingBytes) {
  Bytes file = read_file(sample_.protected_path);
  file.push_back(0);
  rewrite_protected(file);
  expect_rejected(unprotect_expecting_nothing_left(sample_.key_path), sample_.protected_path,
                  "has trailing bytes");
}

TEST_F(UnprotectProtectedFile, KeyFileOfAnotherProtection) {
  ASSERT_EQ(run_host({"protect", sample_.plain_path, dir_.path("other.folio")}).exit_code, 0);
  expect_rejected(unprotect_expecting_nothing_left(dir_.path("other.folio.key")),
                  sample_.protected_path, "key file does not belong to this file");
}

TEST_F(UnprotectProtectedFile, KeyFileRecordingAnotherSize) {
  write_text(dir_.path("edited.key"), replace_field(read_text(sample_.key_path), "size", "2999"));
  expect_rejected(unprotect_expecting_nothing_left(dir_.path("edited.key")), sample_.protected_path,
                  "key file does not belong to this file");
}

TEST_F(UnprotectProtectedFile, WrongKeyIsCaughtByTheDigest) {
  const std::string text = read_text(sample_.key_path);
  std::string key = key_file_fields(text).at("key");
  key[10] = key[10] == '0' ? '1' : '0';
  write_text(dir_.path("edited.key"), replace_field(text, "key", key));
  expect_rejected(unprotect_expecting_nothing_left(dir_.path("edited.key")), sample_.protected_path,
                  "wrong key or damaged file: digest mismatch");
}

TEST_F(UnprotectProtectedFile, DamagedCiphertextIsCaughtByTheDigest) {
  Bytes file = read_file(sample_.protected_path);
  file[512 + 2000] ^= 0x80;
  rewrite_protected(file);
  expect_rejected(unprotect_expecting_nothing_left(sample_.key_path), sample_.protected_path,
                  "wrong key or damaged file: digest mismatch");
}

// A late failure must not have touched a file already under the name.
TEST_F(UnprotectProtectedFile, DigestMismatchKeepsAnEarlierOutput) {
  write_text(dir_.path("restored.bin"), "earlier contents");
  write_text(dir_.path("edited.key"),
             replace_field(read_text(sample_.key_path), "md5", std::string(32, '0')));
  expect_rejected(unprotect_expecting_nothing_left(dir_.path("edited.key")), sample_.protected_path,
                  "digest mismatch");
  EXPECT_EQ(read_text(dir_.path("restored.bin")), "earlier contents");
}

TEST_F(UnprotectProtectedFile, MissingProtectedFile) {
  const RunResult run = run_host({"unprotect", dir_.path("none.folio"), dir_.path("restored.bin"),
                                  "--key-file", sample_.key_path});
  expect_rejected(run, dir_.path("none.folio"), "No such file or directory");
  EXPECT_EQ(dir_.names(), kSampleFiles);
}

TEST_F(UnprotectProtectedFile, DirectoryAsProtectedFile) {
  dir_.make_directory("folder", 0755);
  const RunResult run = run_host({"unprotect", dir_.path("folder"), dir_.path("restored.bin"),
                                  "--key-file", sample_.key_path});
  expect_rejected(run, dir_.path("folder"), "Is a directory");
}

// ---- Destinations -------------------------------------------------------------

TEST(UnprotectDestination, UnwritableDirectory) {
  WorldWritableScratchDir dir;
  const ProtectedSample sample = protect_sample(dir, random_bytes(3000, 15));
  ::chmod(sample.key_path.c_str(), 0644);  // readable by the unprivileged run
  const std::string locked = dir.make_directory("locked", 0555);
  RunOptions options;
  options.unprivileged = true;
  const RunResult run = unprotect(sample, sample.key_path, locked + "/restored.bin", options);
  expect_rejected(run, locked + "/restored.bin", "Permission denied");
  ::chmod(locked.c_str(), 0755);
  EXPECT_FALSE(file_exists(locked + "/restored.bin"));
  EXPECT_EQ(dir.names(),
            (std::set<std::string>{"plain.bin", "doc.folio", "doc.folio.key", "locked"}));
}

TEST(UnprotectDestination, DirectoryAsDestination) {
  WorldWritableScratchDir dir;
  const ProtectedSample sample = protect_sample(dir, random_bytes(3000, 16));
  dir.make_directory("folder", 0755);
  const RunResult run = unprotect(sample, sample.key_path, dir.path("folder"));
  expect_rejected(run, dir.path("folder"), "Is a directory");
}

TEST(UnprotectDestination, OverTheProtectedFileOrTheKeyFile) {
  WorldWritableScratchDir dir;
  const ProtectedSample sample = protect_sample(dir, random_bytes(3000, 17));
  const Bytes protected_bytes = read_file(sample.protected_path);
  const Bytes key_bytes = read_file(sample.key_path);
  expect_rejected(unprotect(sample, sample.key_path, sample.protected_path), sample.protected_path,
                  "is the input file itself");
  expect_rejected(unprotect(sample, sample.key_path, sample.key_path), sample.key_path,
                  "is the key file itself");
  EXPECT_TRUE(read_file(sample.protected_path) == protected_bytes);
  EXPECT_TRUE(read_file(sample.key_path) == key_bytes);
  EXPECT_EQ(dir.names(), kSampleFiles);
}

}  // namespace
}  // namespace host_test
