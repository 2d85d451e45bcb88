// Faults from the file system: a source that opens but cannot be read, a
// destination that refuses bytes (/dev/full, a full tmpfs), and protected
// files cut short. Every whole-file export must report a failure rather
// than success, and DocFileEncrypt must produce no header then.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "folioc.h"
#include "support/file_export_codes.h"
#include "support/files.h"
#include "support/open_handle.h"
#include "support/protected_document.h"
#include "support/scratch_dir.h"
#include "support/test_bytes.h"

using namespace folio_test;
using namespace folioc_test;
using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

namespace {

const unsigned char kNonce[8] = {0x0F, 0x1E, 0x2D, 0x3C, 0x4B, 0x5A, 0x69, 0x78};
const Bytes kContentKey = random_bytes(32, 0xFA17);

// Runs each whole-file export from `source` to `destination` and expects
// `code` from all of them (DocFileEncrypt leaving its header buffer alone).
void expect_every_export_fails(const ScratchDir &dir, const std::string &source,
                               const std::string &destination, int code) {
  const Bytes block = key_block_for(kContentKey);
  const Bytes untouched(512, 0xD5);
  Bytes header(untouched);
  int capacity = 512;
  EXPECT_EQ(DocFileEncrypt(source.c_str(), destination.c_str(), block.data(), header.data(), &capacity),
            code)
      << "DocFileEncrypt";
  EXPECT_EQ(header, untouched) << "DocFileEncrypt produced a header despite failing";

  const EncryptedDocument valid = encrypt_document(dir, "valid", random_bytes(10, 1), kContentKey);
  ASSERT_EQ(valid.result, DOC_OK);
  EXPECT_EQ(DocFileDecrypt(source.c_str(), destination.c_str(), block.data(), valid.header.data(), 512),
            code)
      << "DocFileDecrypt";

  OpenHandle handle(kContentKey, kNonce);
  char digest[FOLIOC_DIGEST_TEXT_BYTES];
  EXPECT_EQ(FileEncrypt(handle.get(), source.c_str(), destination.c_str(), untouched.data(), 512, digest),
            file_export_failure(code))
      << "FileEncrypt";
  Bytes header_back(512);
  EXPECT_EQ(FileDecrypt(handle.get(), source.c_str(), destination.c_str(), header_back.data(), 512),
            file_export_failure(code))
      << "FileDecrypt with a header buffer";
}

}  // namespace

TEST(UnreadableSource, DirectoryOpensButCannotBeRead) {
  ScratchDir dir;
  const std::string directory = dir.path("a-directory");
  ASSERT_EQ(mkdir(directory.c_str(), 0700), 0);
  expect_every_export_fails(dir, directory, dir.path("out"), DOC_ERR_READ);

  OpenHandle handle(kContentKey, kNonce);
  EXPECT_EQ(FileDecrypt(handle.get(), directory.c_str(), dir.path("out").c_str(), nullptr, 512),
            file_export_failure(DOC_ERR_READ))
      << "FileDecrypt skipping the header";

  char digest[FOLIOC_DIGEST_TEXT_BYTES];
  std::memset(digest, '#', sizeof digest);
  CaptureStdout();
  const int result = MD5File(directory.c_str(), digest);
  const std::string printed = GetCapturedStdout();
  EXPECT_EQ(result, DOC_ERR_READ);
  EXPECT_EQ(printed, directory + " can't be opened.\n");
  EXPECT_EQ(digest[0], '#');
}

// Root reads through permission bits, so as root the checks run in a child
// that has become an unprivileged user.
TEST(UnreadableSource, FileWithoutReadPermissionCannotBeOpened) {
  ScratchDir dir;
  ASSERT_EQ(chmod(dir.root().c_str(), 0777), 0);
  const std::string locked = dir.path("locked");
  write_file(locked, random_bytes(100, 2));
  ASSERT_EQ(chmod(locked.c_str(), 0), 0);
  const auto check = [&] {
    expect_every_export_fails(dir, locked, dir.path("out"), DOC_ERR_OPEN);
    char digest[FOLIOC_DIGEST_TEXT_BYTES];
    CaptureStdout();
    EXPECT_EQ(MD5File(locked.c_str(), digest), DOC_ERR_OPEN);
    GetCapturedStdout();
  };
  if (geteuid() != 0) {
    check();
    return;
  }
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    constexpr uid_t kNobody = 65534;
    if (setresgid(kNobody, kNobody, kNobody) != 0 || setresuid(kNobody, kNobody, kNobody) != 0)
      _exit(2);
    check();
    _exit(::testing::Test::HasFailure() ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "2: could not become an unprivileged user; 1: a check failed (above)";
}

// Sources longer than the 512-byte header FileDecrypt reads first: one that
// fits the stream's buffer (the failure shows only when the destination is
// closed) and one that is written straight through.
class FullDestination : public ::testing::TestWithParam<std::size_t> {
 protected:
  void SetUp() override {
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "/dev/full is not available";
  }
};

TEST_P(FullDestination, EveryExportReportsTheWriteError) {
  ScratchDir dir;
  write_file(dir.path("source"), random_bytes(GetParam(), 3));
  expect_every_export_fails(dir, dir.path("source"), "/dev/full", DOC_ERR_WRITE);
}

INSTANTIATE_TEST_SUITE_P(SourceSizes, FullDestination,
                         ::testing::Values(std::size_t{1000}, std::size_t{0x100000 + 5}));

TEST(FullDestinationHeader, FileEncryptOfAnEmptySourceStillReportsTheLostHeader) {
  if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "/dev/full is not available";
  ScratchDir dir;
  write_file(dir.path("empty"), {});
  OpenHandle handle(kContentKey, kNonce);
  const Bytes header = random_bytes(512, 4);
  char digest[FOLIOC_DIGEST_TEXT_BYTES];
  EXPECT_EQ(FileEncrypt(handle.get(), dir.path("empty").c_str(), "/dev/full", header.data(), 512, digest),
            file_export_failure(DOC_ERR_WRITE));
}

// A 256 KiB tmpfs that the destination outgrows part way through.
class SmallFilesystem : public ::testing::Test {
 protected:
  void SetUp() override {
    mount_point_ = dir_.path("small");
    ASSERT_EQ(mkdir(mount_point_.c_str(), 0700), 0);
    if (mount("tmpfs", mount_point_.c_str(), "tmpfs", 0, "size=256k") != 0)
      GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    mounted_ = true;
  }
  void TearDown() override {
    if (mounted_ && umount(mount_point_.c_str()) != 0) umount2(mount_point_.c_str(), MNT_DETACH);
  }

  ScratchDir dir_;
  std::string mount_point_;
  bool mounted_ = false;
};

TEST_F(SmallFilesystem, DestinationThatRunsOutOfSpaceIsAWriteError) {
  for (std::size_t size : {std::size_t{600} * 1024, std::size_t{0x180000}}) {
    write_file(dir_.path("source"), random_bytes(size, 5));
    expect_every_export_fails(dir_, dir_.path("source"), mount_point_ + "/out", DOC_ERR_WRITE);
  }
}

class TruncatedDocument : public ::testing::Test {
 protected:
  void SetUp() override {
    EncryptedDocument doc = encrypt_document(dir_, "doc", plain_, kContentKey);
    ASSERT_EQ(doc.result, DOC_OK);
    header_ = doc.header;
    whole_ = concat(doc.header, doc.ciphertext);
    ASSERT_EQ(DocGetNonce(header_.data(), 512, nonce_), DOC_OK);
  }

  std::string truncated_to(std::size_t length) {
    const std::string path = dir_.path("truncated-" + std::to_string(length));
    write_file(path, slice(whole_, 0, length));
    return path;
  }

  ScratchDir dir_;
  const Bytes plain_ = random_bytes(3000, 6);
  Bytes header_;
  Bytes whole_;
  unsigned char nonce_[8] = {0};
};

TEST_F(TruncatedDocument, PartThatIsThereIsDeciphered) {
  const std::string path = truncated_to(512 + 1000);
  OpenHandle handle(kContentKey, nonce_);
  ASSERT_EQ(FileDecrypt(handle.get(), path.c_str(), dir_.path("out").c_str(), nullptr, 512), DOC_OK);
  EXPECT_TRUE(read_file(dir_.path("out")) == slice(plain_, 0, 1000));
}

TEST_F(TruncatedDocument, FileEndingInsideTheHeader) {
  const std::string path = truncated_to(300);
  OpenHandle handle(kContentKey, nonce_);
  // There is no position past the header to start deciphering from.
  EXPECT_EQ(FileDecrypt(handle.get(), path.c_str(), dir_.path("skipped").c_str(), nullptr, 512),
            file_export_failure(DOC_ERR_SEEK));

  Bytes header(512, 0);
  ASSERT_EQ(FileDecrypt(handle.get(), path.c_str(), dir_.path("read").c_str(), header.data(), 512), DOC_OK);
  EXPECT_TRUE(slice(header, 0, 300) == slice(header_, 0, 300));
  EXPECT_TRUE(read_file(dir_.path("read")).empty());

  Bytes via_get(512);
  int capacity = 512;
  ASSERT_EQ(DocGetHeader(path.c_str(), via_get.data(), &capacity), DOC_OK);
  EXPECT_EQ(capacity, 300);
}

TEST_F(TruncatedDocument, FileEndingRightAfterTheHeaderGivesAnEmptyPlaintext) {
  const std::string path = truncated_to(512);
  OpenHandle handle(kContentKey, nonce_);
  ASSERT_EQ(FileDecrypt(handle.get(), path.c_str(), dir_.path("out").c_str(), nullptr, 512), DOC_OK);
  EXPECT_TRUE(read_file(dir_.path("out")).empty());
}

TEST_F(TruncatedDocument, DocFileDecryptOfAShortenedCiphertext) {
  write_file(dir_.path("short-cipher"), slice(whole_, 512, 1000));
  const Bytes block = key_block_for(kContentKey);
  ASSERT_EQ(DocFileDecrypt(dir_.path("short-cipher").c_str(), dir_.path("out").c_str(), block.data(),
                           header_.data(), 512),
            DOC_OK);
  EXPECT_TRUE(read_file(dir_.path("out")) == slice(plain_, 0, 1000));
}
