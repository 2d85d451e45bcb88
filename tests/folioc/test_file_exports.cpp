// FileEncrypt and FileDecrypt: a caller's header in front of the
// ciphertext, the ciphertext digest, and the codes for each failure (all
// DOC_ERR_FAIL in the seven-export build).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <tuple>

#include "folioc.h"
#include "support/file_export_codes.h"
#include "support/files.h"
#include "support/open_handle.h"
#include "support/oracle.h"
#include "support/scratch_dir.h"
#include "support/test_bytes.h"

using namespace folio_test;
using namespace folioc_test;

namespace {

const unsigned char kNonce[8] = {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7};
// The MD5 of no input at all (RFC 1321, appendix A.5).
const char kEmptyInputMd5[] = "d41d8cd98f00b204e9800998ecf8427e";

int encrypt_file(int handle, const std::string &src, const std::string &dst, const Bytes &header,
                 char digest[FOLIOC_DIGEST_TEXT_BYTES]) {
  return FileEncrypt(handle, src.c_str(), dst.c_str(), header.data(), static_cast<int>(header.size()),
                     digest);
}

}  // namespace

// (key length, header length)
class FileRoundTrip : public ::testing::TestWithParam<std::tuple<int, int>> {
 protected:
  void SetUp() override {
    key_ = random_bytes(static_cast<std::size_t>(std::get<0>(GetParam())), 61);
    header_ = random_bytes(static_cast<std::size_t>(std::get<1>(GetParam())), 62);
    write_file(dir_.path("plain"), plain_);
  }

  ScratchDir dir_;
  // Two chunks, the second one short.
  const Bytes plain_ = random_bytes(0x100000 + 1234, 63);
  Bytes key_;
  Bytes header_;
};

TEST_P(FileRoundTrip, OutputIsHeaderThenCounterModeCiphertextWithItsDigest) {
  OpenHandle handle(key_, kNonce);
  char digest[FOLIOC_DIGEST_TEXT_BYTES];
  std::memset(digest, 'x', sizeof digest);
  ASSERT_EQ(encrypt_file(handle.get(), dir_.path("plain"), dir_.path("protected"), header_, digest),
            DOC_OK);
  const Bytes out = read_file(dir_.path("protected"));
  ASSERT_EQ(out.size(), header_.size() + plain_.size());
  EXPECT_TRUE(slice(out, 0, header_.size()) == header_);
  const Bytes ciphertext = slice(out, header_.size(), plain_.size());
  EXPECT_TRUE(ciphertext == oracle::aes_ctr(key_, kNonce, 0, plain_));
  EXPECT_EQ(std::string(digest), oracle::md5_hex(ciphertext));
}

TEST_P(FileRoundTrip, DecryptReturnsTheHeaderAndThePlaintext) {
  OpenHandle handle(key_, kNonce);
  char digest[FOLIOC_DIGEST_TEXT_BYTES];
  ASSERT_EQ(encrypt_file(handle.get(), dir_.path("plain"), dir_.path("protected"), header_, digest),
            DOC_OK);
  Bytes header_back(header_.size(), 0);
  // Another handle with the same key and nonce, as a reader would open it.
  OpenHandle reader(key_, kNonce);
  ASSERT_EQ(FileDecrypt(reader.get(), dir_.path("protected").c_str(), dir_.path("restored").c_str(),
                        header_back.data(), static_cast<int>(header_back.size())),
            DOC_OK);
  EXPECT_TRUE(header_back == header_);
  EXPECT_TRUE(read_file(dir_.path("restored")) == plain_);
}

TEST_P(FileRoundTrip, DecryptWithoutAHeaderBufferSkipsTheHeader) {
  OpenHandle handle(key_, kNonce);
  char digest[FOLIOC_DIGEST_TEXT_BYTES];
  ASSERT_EQ(encrypt_file(handle.get(), dir_.path("plain"), dir_.path("protected"), header_, digest),
            DOC_OK);
  ASSERT_EQ(FileDecrypt(handle.get(), dir_.path("protected").c_str(), dir_.path("restored").c_str(),
                        nullptr, static_cast<int>(header_.size())),
            DOC_OK);
  EXPECT_TRUE(read_file(dir_.path("restored")) == plain_);
}

INSTANTIATE_TEST_SUITE_P(KeyAndHeaderLengths, FileRoundTrip,
                         ::testing::Combine(::testing::Values(16, 24, 32),
                                            ::testing::Values(1, 512, 1000)));

class FileEncryptEdges : public ::testing::Test {
 protected:
  ScratchDir dir_;
  const Bytes key_ = random_bytes(32, 71);
  const Bytes header_ = random_bytes(512, 72);
};

TEST_F(FileEncryptEdges, EmptySourceWritesTheHeaderAloneWithTheEmptyDigest) {
  write_file(dir_.path("empty"), {});
  OpenHandle handle(key_, kNonce);
  char digest[FOLIOC_DIGEST_TEXT_BYTES];
  ASSERT_EQ(encrypt_file(handle.get(), dir_.path("empty"), dir_.path("out"), header_, digest), DOC_OK);
  EXPECT_TRUE(read_file(dir_.path("out")) == header_);
  EXPECT_STREQ(digest, kEmptyInputMd5);
}

TEST_F(FileEncryptEdges, ReleasedHandleFailsAfterTheHeaderIsWritten) {
  write_file(dir_.path("plain"), random_bytes(5000, 73));
  OpenHandle handle(key_, kNonce);
  const int released = handle.get();
  ASSERT_EQ(handle.release(), DOC_OK);
  char digest[FOLIOC_DIGEST_TEXT_BYTES];
  EXPECT_EQ(encrypt_file(released, dir_.path("plain"), dir_.path("out"), header_, digest),
            file_export_failure(DOC_ERR_ENCRYPT_CHUNK));
  EXPECT_TRUE(read_file(dir_.path("out")) == header_);
}

TEST_F(FileEncryptEdges, ReleasedHandleWithAnEmptySourceSucceeds) {
  write_file(dir_.path("empty"), {});
  OpenHandle handle(key_, kNonce);
  const int released = handle.get();
  ASSERT_EQ(handle.release(), DOC_OK);
  char digest[FOLIOC_DIGEST_TEXT_BYTES];
  EXPECT_EQ(encrypt_file(released, dir_.path("empty"), dir_.path("out"), header_, digest), DOC_OK);
  EXPECT_TRUE(read_file(dir_.path("out")) == header_);
}

TEST_F(FileEncryptEdges, HandleStaysOpenAfterTheCall) {
  write_file(dir_.path("plain"), random_bytes(100, 74));
  OpenHandle handle(key_, kNonce);
  char digest[FOLIOC_DIGEST_TEXT_BYTES];
  ASSERT_EQ(encrypt_file(handle.get(), dir_.path("plain"), dir_.path("out"), header_, digest), DOC_OK);
  EXPECT_EQ(handle.release(), DOC_OK);
}

TEST_F(FileEncryptEdges, ArgumentChecks) {
  write_file(dir_.path("plain"), random_bytes(100, 75));
  OpenHandle handle(key_, kNonce);
  const std::string src = dir_.path("plain"), dst = dir_.path("out");
  char digest[FOLIOC_DIGEST_TEXT_BYTES];
  const int refused = file_export_failure(DOC_ERR_ARGUMENT);
  for (int length : {0, -1}) {
    EXPECT_EQ(FileEncrypt(handle.get(), src.c_str(), dst.c_str(), header_.data(), length, digest), refused)
        << length;
  }
  EXPECT_EQ(FileEncrypt(handle.get(), nullptr, dst.c_str(), header_.data(), 512, digest), refused);
  EXPECT_EQ(FileEncrypt(handle.get(), src.c_str(), nullptr, header_.data(), 512, digest), refused);
  EXPECT_EQ(FileEncrypt(handle.get(), src.c_str(), dst.c_str(), nullptr, 512, digest), refused);
  EXPECT_EQ(FileEncrypt(handle.get(), src.c_str(), dst.c_str(), header_.data(), 512, nullptr), refused);
  EXPECT_FALSE(file_exists(dst));
}

TEST_F(FileEncryptEdges, MissingSourceIsAnOpenErrorThatStillCreatesTheDestination) {
  OpenHandle handle(key_, kNonce);
  char digest[FOLIOC_DIGEST_TEXT_BYTES];
  EXPECT_EQ(encrypt_file(handle.get(), dir_.path("missing"), dir_.path("out"), header_, digest),
            file_export_failure(DOC_ERR_OPEN));
  ASSERT_TRUE(file_exists(dir_.path("out")));
  EXPECT_TRUE(read_file(dir_.path("out")).empty());
}

class FileDecryptEdges : public ::testing::Test {
 protected:
  void SetUp() override {
    write_file(dir_.path("plain"), plain_);
    OpenHandle handle(key_, kNonce);
    char digest[FOLIOC_DIGEST_TEXT_BYTES];
    ASSERT_EQ(encrypt_file(handle.get(), dir_.path("plain"), dir_.path("protected"), header_, digest),
              DOC_OK);
  }

  ScratchDir dir_;
  const Bytes key_ = random_bytes(16, 81);
  const Bytes header_ = random_bytes(512, 82);
  const Bytes plain_ = random_bytes(3000, 83);
};

TEST_F(FileDecryptEdges, ReleasedHandleIsADecryptChunkError) {
  OpenHandle handle(key_, kNonce);
  const int released = handle.get();
  ASSERT_EQ(handle.release(), DOC_OK);
  EXPECT_EQ(FileDecrypt(released, dir_.path("protected").c_str(), dir_.path("out").c_str(), nullptr, 512),
            file_export_failure(DOC_ERR_DECRYPT_CHUNK));
}

TEST_F(FileDecryptEdges, NonPositiveHeaderLengthIsRefused) {
  OpenHandle handle(key_, kNonce);
  Bytes header(512);
  for (int length : {0, -512}) {
    EXPECT_EQ(FileDecrypt(handle.get(), dir_.path("protected").c_str(), dir_.path("out").c_str(),
                          header.data(), length),
              file_export_failure(DOC_ERR_ARGUMENT))
        << length;
    EXPECT_EQ(FileDecrypt(handle.get(), dir_.path("protected").c_str(), dir_.path("out").c_str(),
                          nullptr, length),
              file_export_failure(DOC_ERR_ARGUMENT))
        << length;
  }
  EXPECT_EQ(FileDecrypt(handle.get(), nullptr, dir_.path("out").c_str(), nullptr, 512),
            file_export_failure(DOC_ERR_ARGUMENT));
  EXPECT_EQ(FileDecrypt(handle.get(), dir_.path("protected").c_str(), nullptr, nullptr, 512),
            file_export_failure(DOC_ERR_ARGUMENT));
  EXPECT_FALSE(file_exists(dir_.path("out")));
}

TEST_F(FileDecryptEdges, HeaderBufferOnAnEmptySourceIsAReadError) {
  write_file(dir_.path("empty"), {});
  OpenHandle handle(key_, kNonce);
  Bytes header(512, 0x12);
  EXPECT_EQ(FileDecrypt(handle.get(), dir_.path("empty").c_str(), dir_.path("out").c_str(),
                        header.data(), 512),
            file_export_failure(DOC_ERR_READ));
  EXPECT_EQ(header, Bytes(512, 0x12));
}

TEST_F(FileDecryptEdges, NothingAfterTheHeaderGivesAnEmptyFile) {
  write_file(dir_.path("header-only"), header_);
  OpenHandle handle(key_, kNonce);
  Bytes header(512);
  ASSERT_EQ(FileDecrypt(handle.get(), dir_.path("header-only").c_str(), dir_.path("out").c_str(),
                        header.data(), 512),
            DOC_OK);
  EXPECT_TRUE(header == header_);
  EXPECT_TRUE(read_file(dir_.path("out")).empty());
}

TEST_F(FileDecryptEdges, ShortHeaderFillsOnlyPartOfTheBuffer) {
  const Bytes stub = random_bytes(100, 84);
  write_file(dir_.path("stub"), stub);
  OpenHandle handle(key_, kNonce);
  Bytes header(512, 0x34);
  ASSERT_EQ(FileDecrypt(handle.get(), dir_.path("stub").c_str(), dir_.path("out").c_str(), header.data(), 512),
            DOC_OK);
  EXPECT_TRUE(slice(header, 0, 100) == stub);
  EXPECT_TRUE(read_file(dir_.path("out")).empty());
}

TEST_F(FileDecryptEdges, UnseekableSourceIsASeekError) {
  int pipe_ends[2];
  ASSERT_EQ(pipe(pipe_ends), 0);
  const Bytes data = random_bytes(1000, 85);
  ASSERT_EQ(write(pipe_ends[1], data.data(), data.size()), static_cast<ssize_t>(data.size()));
  // With the writing end closed a wrong read would hit end of file, not hang.
  close(pipe_ends[1]);
  const std::string pipe_path = "/proc/self/fd/" + std::to_string(pipe_ends[0]);
  OpenHandle handle(key_, kNonce);
  EXPECT_EQ(FileDecrypt(handle.get(), pipe_path.c_str(), dir_.path("out").c_str(), nullptr, 512),
            file_export_failure(DOC_ERR_SEEK));
  close(pipe_ends[0]);
}

TEST_F(FileDecryptEdges, MissingSourceIsAnOpenError) {
  OpenHandle handle(key_, kNonce);
  EXPECT_EQ(FileDecrypt(handle.get(), dir_.path("missing").c_str(), dir_.path("out").c_str(), nullptr, 512),
            file_export_failure(DOC_ERR_OPEN));
  EXPECT_TRUE(file_exists(dir_.path("out")));
}
