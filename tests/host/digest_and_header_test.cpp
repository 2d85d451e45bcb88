// digest prints md5sum's lines with known MD5 answers; inspect shows the
// header as it is on disk and fails for a damaged or short file.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

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

TEST(Digest, KnownAnswersInMd5sumFormat) {
  WorldWritableScratchDir dir;
  // RFC 1321, appendix A.5.
  write_text(dir.path("empty"), "");
  write_text(dir.path("abc"), "abc");
  write_text(dir.path("message"), "message digest");
  const RunResult run =
      run_host({"digest", dir.path("empty"), dir.path("abc"), dir.path("message")});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, "d41d8cd98f00b204e9800998ecf8427e  " + dir.path("empty") + "\n" +
                         "900150983cd24fb0d6963f7d28e17f72  " + dir.path("abc") + "\n" +
                         "f96b697d7cb7938d525a2f31aaf161d0  " + dir.path("message") + "\n");
  EXPECT_EQ(run.err, "");
}

TEST(Digest, AgreesWithOpenSslAcrossChunks) {
  WorldWritableScratchDir dir;
  const Bytes data = random_bytes(0x100001 + 63, 21);
  write_file(dir.path("data"), data);
  const RunResult run = run_host({"digest", dir.path("data")});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, oracle::md5_hex(data) + "  " + dir.path("data") + "\n");
}

TEST(Digest, NameWithABackslashIsEscapedAsMd5sumDoes) {
  WorldWritableScratchDir dir;
  write_text(dir.path("a\\b"), "abc");
  const RunResult run = run_host({"digest", dir.path("a\\b")});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, "\\900150983cd24fb0d6963f7d28e17f72  " + dir.root() + "/a\\\\b\n");
}

TEST(Digest, BadFileIsReportedAndTheOthersStillDigested) {
  WorldWritableScratchDir dir;
  write_text(dir.path("abc"), "abc");
  dir.make_directory("folder", 0755);
  const RunResult run =
      run_host({"digest", dir.path("missing"), dir.path("abc"), dir.path("folder")});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.out, "900150983cd24fb0d6963f7d28e17f72  " + dir.path("abc") + "\n");
  EXPECT_EQ(run.err, "folio-host: " + dir.path("missing") + ": No such file or directory\n" +
                         "folio-host: " + dir.path("folder") + ": Is a directory\n");
}

std::map<std::string, std::string> inspect_fields(const std::string &out) {
  std::map<std::string, std::string> fields;
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line)) {
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    const std::size_t value = line.find_first_not_of(' ', colon + 1);
    fields[line.substr(0, colon)] = value == std::string::npos ? "" : line.substr(value);
  }
  return fields;
}

std::string hex32(std::uint32_t value) {
  char text[11];
  std::snprintf(text, sizeof text, "0x%08x", value);
  return text;
}

class Inspect : public testing::Test {
 protected:
  void SetUp() override { sample_ = protect_sample(dir_, random_bytes(5000, 22)); }
  WorldWritableScratchDir dir_;
  ProtectedSample sample_;
};

TEST_F(Inspect, ShowsTheHeaderAsItIsOnDisk) {
  const Bytes file = read_file(sample_.protected_path);
  const RunResult run = run_host({"inspect", sample_.protected_path});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const auto fields = inspect_fields(run.out);
  EXPECT_EQ(fields.at("file"), sample_.protected_path);
  EXPECT_EQ(fields.at("magic"), "tesmir (ok)");
  EXPECT_EQ(fields.at("format version"), "0x01000001");
  EXPECT_EQ(fields.at("plain size"), "5000");
  EXPECT_EQ(fields.at("cipher size"), "5000");
  EXPECT_EQ(fields.at("marker"), "0x00400001");
  EXPECT_EQ(fields.at("key cipher length"), "0");
  EXPECT_EQ(fields.at("nonce"), key_file_fields(read_text(sample_.key_path)).at("nonce"));
  EXPECT_EQ(fields.at("crc"), hex32(oracle::crc32(file.data(), 508)) + " (ok)");
  EXPECT_EQ(fields.at("file length"), "5512 (ok)");
}

TEST_F(Inspect, DamagedHeaderShowsTheMismatchAndFails) {
  Bytes file = read_file(sample_.protected_path);
  const std::uint32_t stored = le32_at(file, 508);
  file[200] ^= 0x10;
  write_file(sample_.protected_path, file);
  const RunResult run = run_host({"inspect", sample_.protected_path});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(inspect_fields(run.out).at("crc"), hex32(stored) + " (mismatch: the header gives " +
                                                   hex32(oracle::crc32(file.data(), 508)) + ")");
  EXPECT_EQ(run.err,
            "folio-host: " + sample_.protected_path + ": header is damaged (checksum mismatch)\n");
}

TEST_F(Inspect, FileShorterThanAHeaderFails) {
  Bytes file = read_file(sample_.protected_path);
  file.resize(511);
  write_file(sample_.protected_path, file);
  const RunResult run = run_host({"inspect", sample_.protected_path});
  expect_rejected(run, sample_.protected_path, "shorter than its 512-byte header");
}

TEST_F(Inspect, TruncatedBodyFails) {
  Bytes file = read_file(sample_.protected_path);
  file.resize(file.size() - 10);
  write_file(sample_.protected_path, file);
  const RunResult run = run_host({"inspect", sample_.protected_path});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(inspect_fields(run.out).at("file length"), "5502 (the header says 5512)");
  EXPECT_NE(run.err.find(sample_.protected_path + ": truncated"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace host_test
