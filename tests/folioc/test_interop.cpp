// A protected document assembled the way a host does it (DocFileEncrypt,
// DocSetKeyCipher, then header and ciphertext written into one file) is
// readable by every other way the system deciphers: a cipher handle,
// FileDecrypt, DocFileDecrypt and aes_crypt_ctr on any range.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "aes.h"
#include "aes_ctr.h"
#include "folioc.h"
#include "support/files.h"
#include "support/open_handle.h"
#include "support/protected_document.h"
#include "support/scratch_dir.h"
#include "support/test_bytes.h"

using namespace folio_test;
using namespace folioc_test;

namespace {

class ProtectedDocumentInterop : public ::testing::Test {
 protected:
  void SetUp() override {
    EncryptedDocument doc = encrypt_document(dir_, "doc", plain_, content_key_);
    ASSERT_EQ(doc.result, DOC_OK);
    int capacity = 512;
    ASSERT_EQ(DocSetKeyCipher(wrapped_key_.data(), static_cast<int>(wrapped_key_.size()),
                              doc.header.data(), &capacity),
              DOC_OK);
    write_file(document_path(), concat(doc.header, doc.ciphertext));

    // Everything below is read back from the file alone.
    header_.assign(512, 0);
    capacity = 512;
    ASSERT_EQ(DocGetHeader(document_path().c_str(), header_.data(), &capacity), DOC_OK);
    ASSERT_EQ(capacity, 512);
    ASSERT_EQ(DocGetNonce(header_.data(), 512, nonce_), DOC_OK);
    const Bytes file = read_file(document_path());
    ciphertext_ = slice(file, 512, file.size() - 512);
  }

  std::string document_path() const { return dir_.path("document"); }

  ScratchDir dir_;
  const Bytes plain_ = random_bytes(2 * 0x100000 + 777, 0x1D0C);
  const Bytes content_key_ = random_bytes(32, 0x4B45);
  const Bytes wrapped_key_ = random_bytes(40, 0x5752);
  Bytes header_;
  unsigned char nonce_[8] = {0};
  Bytes ciphertext_;
};

}  // namespace

TEST_F(ProtectedDocumentInterop, KeyCipherComesBackFromTheFile) {
  unsigned char out[48];
  unsigned int capacity = sizeof out;
  ASSERT_EQ(DocGetKeyCipher(header_.data(), 512, out, &capacity), DOC_OK);
  ASSERT_EQ(capacity, wrapped_key_.size());
  EXPECT_EQ(0, std::memcmp(out, wrapped_key_.data(), wrapped_key_.size()));
}

TEST_F(ProtectedDocumentInterop, HandleWithTheHeaderNonceDeciphersSlicesInAnyOrder) {
  OpenHandle handle(content_key_, nonce_);
  ASSERT_GE(handle.get(), 1);
  Bytes data(ciphertext_);
  // Slices of uneven length, crossing block and chunk boundaries, back to front.
  const std::vector<std::size_t> cuts = {0, 7, 4096, 0x100000 - 1, 0x100000 + 33, 0x180000, data.size()};
  for (std::size_t i = cuts.size() - 1; i > 0; --i) {
    const std::size_t from = cuts[i - 1];
    ASSERT_EQ(DocDecrypt(handle.get(), data.data() + from, cuts[i] - from, from), DOC_OK);
  }
  EXPECT_TRUE(data == plain_);
}

TEST_F(ProtectedDocumentInterop, FileDecryptSkipsTheStoredHeader) {
  OpenHandle handle(content_key_, nonce_);
  ASSERT_EQ(FileDecrypt(handle.get(), document_path().c_str(), dir_.path("plain-out").c_str(), nullptr, 512),
            DOC_OK);
  EXPECT_TRUE(read_file(dir_.path("plain-out")) == plain_);
}

TEST_F(ProtectedDocumentInterop, FileDecryptHandsTheStoredHeaderBack) {
  OpenHandle handle(content_key_, nonce_);
  Bytes header(512, 0);
  ASSERT_EQ(FileDecrypt(handle.get(), document_path().c_str(), dir_.path("plain-out").c_str(),
                        header.data(), 512),
            DOC_OK);
  EXPECT_EQ(header, header_);
  EXPECT_TRUE(read_file(dir_.path("plain-out")) == plain_);
}

TEST_F(ProtectedDocumentInterop, DocFileDecryptOfTheCiphertextPart) {
  write_file(dir_.path("ciphertext-only"), ciphertext_);
  const Bytes block = key_block_for(content_key_);
  ASSERT_EQ(DocFileDecrypt(dir_.path("ciphertext-only").c_str(), dir_.path("plain-out").c_str(),
                           block.data(), header_.data(), 512),
            DOC_OK);
  EXPECT_TRUE(read_file(dir_.path("plain-out")) == plain_);
}

TEST_F(ProtectedDocumentInterop, AesCryptCtrDeciphersArbitraryRanges) {
  aes_key_schedule schedule;
  aes_init(&schedule);
  ASSERT_EQ(aes_setkey_enc(&schedule, content_key_.data(), 256), 0);
  const std::vector<std::pair<std::size_t, std::size_t>> ranges = {
      {0, 1},          {0, 16},          {15, 2},         {17, 100},
      {0xFFFFF, 2},    {0x100000, 0x10}, {0xFFFF0, 0x30}, {0x123457, 0x54321},
      {plain_.size() - 5, 5}, {0, plain_.size()}};
  for (const auto &[offset, length] : ranges) {
    Bytes out(length, 0);
    aes_crypt_ctr(&schedule, AES_ENCRYPT, static_cast<std::int32_t>(length), nonce_,
                  static_cast<std::int64_t>(offset), ciphertext_.data() + offset, out.data());
    EXPECT_TRUE(out == slice(plain_, offset, length)) << "offset " << offset << " length " << length;
  }
  aes_free(&schedule);
}
