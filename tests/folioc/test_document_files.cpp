// DocFileEncrypt and DocFileDecrypt: the ciphertext they write, the header
// DocFileEncrypt hands back, and how they treat bad arguments and missing
// files.
#include <gtest/gtest.h>

#include <cstring>

#include "folioc.h"
#include "support/files.h"
#include "support/header_fields.h"
#include "support/open_handle.h"
#include "support/oracle.h"
#include "support/protected_document.h"
#include "support/scratch_dir.h"
#include "support/test_bytes.h"

using namespace folio_test;
using namespace folioc_test;

namespace {

const Bytes kContentKey = random_bytes(32, 0xC0FFEE);

const unsigned char *nonce_of(const Bytes &header) { return header.data() + 96; }

}  // namespace

class DocumentRoundTrip : public ::testing::TestWithParam<std::size_t> {
 protected:
  ScratchDir dir_;
};

TEST_P(DocumentRoundTrip, CiphertextIsCounterModeUnderTheHeaderNonce) {
  const Bytes plain = random_bytes(GetParam(), 42);
  const EncryptedDocument doc = encrypt_document(dir_, "doc", plain, kContentKey);
  ASSERT_EQ(doc.result, DOC_OK);
  EXPECT_EQ(doc.ciphertext.size(), plain.size());
  EXPECT_TRUE(doc.ciphertext == oracle::aes_ctr(kContentKey, nonce_of(doc.header), 0, plain));
  EXPECT_EQ(le64_at(doc.header, 16), plain.size());
  EXPECT_EQ(le64_at(doc.header, 24), plain.size());
  EXPECT_TRUE(reference_crc_matches(doc.header));
}

TEST_P(DocumentRoundTrip, DocFileDecryptRestoresThePlaintext) {
  const Bytes plain = random_bytes(GetParam(), 43);
  const EncryptedDocument doc = encrypt_document(dir_, "doc", plain, kContentKey);
  ASSERT_EQ(doc.result, DOC_OK);
  const std::string restored = dir_.path("restored");
  const Bytes block = key_block_for(kContentKey);
  const int result = DocFileDecrypt(dir_.path("doc.cipher").c_str(), restored.c_str(), block.data(),
                                    doc.header.data(), 512);
  // An empty source deciphers nothing, which the library reports as a failure.
  EXPECT_EQ(result, plain.empty() ? DOC_ERR_FAIL : DOC_OK);
  ASSERT_TRUE(file_exists(restored));
  EXPECT_TRUE(read_file(restored) == plain);
}

TEST_P(DocumentRoundTrip, HeaderNonceDeciphersThroughAHandle) {
  const Bytes plain = random_bytes(GetParam(), 44);
  const EncryptedDocument doc = encrypt_document(dir_, "doc", plain, kContentKey);
  ASSERT_EQ(doc.result, DOC_OK);
  unsigned char nonce[8] = {0};
  ASSERT_EQ(DocGetNonce(doc.header.data(), 512, nonce), DOC_OK);
  EXPECT_EQ(0, std::memcmp(nonce, nonce_of(doc.header), 8));
  OpenHandle handle(kContentKey, nonce);
  Bytes data(doc.ciphertext);
  ASSERT_EQ(Foliocrypt(handle.get(), data.data(), data.size(), 0), DOC_OK);
  EXPECT_TRUE(data == plain);
}

INSTANTIATE_TEST_SUITE_P(Sizes, DocumentRoundTrip,
                         ::testing::Values(std::size_t{0}, std::size_t{1}, std::size_t{0x100000},
                                           std::size_t{0x100001}));

TEST(DocumentHeaderLayout, FreshHeaderFieldsByteByByte) {
  ScratchDir dir;
  const std::size_t size = 0x100001;
  const EncryptedDocument doc = encrypt_document(dir, "doc", random_bytes(size, 1), kContentKey);
  ASSERT_EQ(doc.result, DOC_OK);
  const unsigned char *h = doc.header.data();

  EXPECT_EQ(0, std::memcmp(h, "tesmir\0", 7));
  EXPECT_EQ(le32_at(doc.header, 8), 0x01000001u);
  EXPECT_EQ(le64_at(doc.header, 16), size);
  EXPECT_EQ(le64_at(doc.header, 24), size);
  EXPECT_EQ(le32_at(doc.header, 40), 0x00400001u);
  EXPECT_EQ(le32_at(doc.header, 44), 0u) << "a fresh header holds no key cipher";
  EXPECT_EQ(le32_at(doc.header, 508), oracle::crc32(h, 508));
  // Everything not listed above is zero, the key cipher area included.
  for (std::size_t i = 0; i < 508; ++i) {
    const bool field = i < 7 || (i >= 8 && i < 12) || (i >= 16 && i < 32) || (i >= 40 && i < 44) ||
                       (i >= 96 && i < 104);
    if (!field) {
      EXPECT_EQ(h[i], 0) << "header byte " << i;
    }
  }
}

TEST(DocumentHeaderLayout, EveryCallDrawsAFreshNonce) {
  ScratchDir dir;
  const Bytes plain = random_bytes(64, 2);
  const EncryptedDocument first = encrypt_document(dir, "a", plain, kContentKey);
  const EncryptedDocument second = encrypt_document(dir, "b", plain, kContentKey);
  ASSERT_EQ(first.result, DOC_OK);
  ASSERT_EQ(second.result, DOC_OK);
  EXPECT_NE(0, std::memcmp(nonce_of(first.header), nonce_of(second.header), 8));
  EXPECT_NE(first.ciphertext, second.ciphertext);
}

TEST(DocumentHeaderLayout, LargerHeaderBufferGetsExactly512Bytes) {
  ScratchDir dir;
  write_file(dir.path("plain"), random_bytes(10, 3));
  const Bytes block = key_block_for(kContentKey);
  Bytes buffer(600, 0xEE);
  int capacity = 600;
  ASSERT_EQ(DocFileEncrypt(dir.path("plain").c_str(), dir.path("cipher").c_str(), block.data(),
                           buffer.data(), &capacity),
            DOC_OK);
  EXPECT_EQ(capacity, 512);
  EXPECT_TRUE(reference_crc_matches(buffer));
  for (std::size_t i = 512; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], 0xEE) << "byte " << i;
}

TEST(DocumentHeaderLayout, KeyBlockPrefixIsNotPartOfTheKey) {
  ScratchDir dir;
  const Bytes plain = random_bytes(100, 4);
  write_file(dir.path("plain"), plain);
  Bytes block = key_block_for(kContentKey);
  block[0] ^= 0xFF;
  block[3] ^= 0xFF;
  Bytes header(512);
  int capacity = 512;
  ASSERT_EQ(DocFileEncrypt(dir.path("plain").c_str(), dir.path("cipher").c_str(), block.data(),
                           header.data(), &capacity),
            DOC_OK);
  EXPECT_TRUE(read_file(dir.path("cipher")) ==
              oracle::aes_ctr(kContentKey, nonce_of(header), 0, plain));
}

TEST(DocumentFileArguments, HeaderCapacityBelow512IsRefusedBeforeAnyFileIsTouched) {
  ScratchDir dir;
  write_file(dir.path("plain"), random_bytes(10, 5));
  const Bytes block = key_block_for(kContentKey);
  Bytes header(512, 0x77);
  int capacity = 511;
  EXPECT_EQ(DocFileEncrypt(dir.path("plain").c_str(), dir.path("cipher").c_str(), block.data(),
                           header.data(), &capacity),
            DOC_ERR_ARGUMENT);
  EXPECT_EQ(header, Bytes(512, 0x77));
  EXPECT_FALSE(file_exists(dir.path("cipher")));
}

TEST(DocumentFileArguments, NullPointersAreRefused) {
  ScratchDir dir;
  const std::string src = dir.path("plain"), dst = dir.path("cipher");
  write_file(src, random_bytes(10, 6));
  const Bytes block = key_block_for(kContentKey);
  Bytes header(512);
  int capacity = 512;
  EXPECT_EQ(DocFileEncrypt(nullptr, dst.c_str(), block.data(), header.data(), &capacity), DOC_ERR_ARGUMENT);
  EXPECT_EQ(DocFileEncrypt(src.c_str(), nullptr, block.data(), header.data(), &capacity), DOC_ERR_ARGUMENT);
  EXPECT_EQ(DocFileEncrypt(src.c_str(), dst.c_str(), nullptr, header.data(), &capacity), DOC_ERR_ARGUMENT);
  EXPECT_EQ(DocFileEncrypt(src.c_str(), dst.c_str(), block.data(), nullptr, &capacity), DOC_ERR_ARGUMENT);
  EXPECT_EQ(DocFileEncrypt(src.c_str(), dst.c_str(), block.data(), header.data(), nullptr), DOC_ERR_ARGUMENT);
  EXPECT_EQ(DocFileDecrypt(nullptr, dst.c_str(), block.data(), header.data(), 512), DOC_ERR_ARGUMENT);
  EXPECT_EQ(DocFileDecrypt(src.c_str(), nullptr, block.data(), header.data(), 512), DOC_ERR_ARGUMENT);
  EXPECT_EQ(DocFileDecrypt(src.c_str(), dst.c_str(), nullptr, header.data(), 512), DOC_ERR_ARGUMENT);
  EXPECT_EQ(DocFileDecrypt(src.c_str(), dst.c_str(), block.data(), nullptr, 512), DOC_ERR_ARGUMENT);
  EXPECT_FALSE(file_exists(dst));
}

TEST(DocumentFileArguments, HeaderSizeOtherThan512IsRefused) {
  ScratchDir dir;
  const EncryptedDocument doc = encrypt_document(dir, "doc", random_bytes(10, 7), kContentKey);
  ASSERT_EQ(doc.result, DOC_OK);
  const Bytes block = key_block_for(kContentKey);
  Bytes roomy(doc.header);
  roomy.resize(1024);
  for (int size : {513, 511, 0, -512}) {
    EXPECT_EQ(DocFileDecrypt(dir.path("doc.cipher").c_str(), dir.path("out").c_str(), block.data(),
                             roomy.data(), size),
              DOC_ERR_ARGUMENT)
        << size;
  }
  EXPECT_FALSE(file_exists(dir.path("out")));
}

TEST(DocumentFileOpening, MissingSourceStillCreatesAnEmptyDestination) {
  ScratchDir dir;
  const Bytes block = key_block_for(kContentKey);
  const std::string missing = dir.path("missing");
  Bytes header(512, 0x5C);
  int capacity = 512;
  EXPECT_EQ(DocFileEncrypt(missing.c_str(), dir.path("created").c_str(), block.data(), header.data(),
                           &capacity),
            DOC_ERR_OPEN);
  ASSERT_TRUE(file_exists(dir.path("created")));
  EXPECT_TRUE(read_file(dir.path("created")).empty());
  EXPECT_EQ(header, Bytes(512, 0x5C)) << "no header may be produced";

  write_file(dir.path("old"), random_bytes(50, 8));
  EXPECT_EQ(DocFileEncrypt(missing.c_str(), dir.path("old").c_str(), block.data(), header.data(),
                           &capacity),
            DOC_ERR_OPEN);
  EXPECT_TRUE(read_file(dir.path("old")).empty()) << "the destination is truncated";
}

TEST(DocumentFileOpening, DecryptOfMissingSourceStillTruncatesTheDestination) {
  ScratchDir dir;
  const EncryptedDocument doc = encrypt_document(dir, "doc", random_bytes(10, 9), kContentKey);
  ASSERT_EQ(doc.result, DOC_OK);
  const Bytes block = key_block_for(kContentKey);
  write_file(dir.path("old"), random_bytes(50, 10));
  EXPECT_EQ(DocFileDecrypt(dir.path("missing").c_str(), dir.path("old").c_str(), block.data(),
                           doc.header.data(), 512),
            DOC_ERR_OPEN);
  ASSERT_TRUE(file_exists(dir.path("old")));
  EXPECT_TRUE(read_file(dir.path("old")).empty());
}

TEST(DocumentFileOpening, UnopenableDestinationIsAnOpenError) {
  ScratchDir dir;
  write_file(dir.path("plain"), random_bytes(10, 11));
  const Bytes block = key_block_for(kContentKey);
  Bytes header(512, 0x11);
  int capacity = 512;
  const std::string no_such_dir = dir.path("absent/cipher");
  EXPECT_EQ(DocFileEncrypt(dir.path("plain").c_str(), no_such_dir.c_str(), block.data(), header.data(),
                           &capacity),
            DOC_ERR_OPEN);
  EXPECT_EQ(header, Bytes(512, 0x11));
}

TEST(DocumentFileDecrypt, DamagedHeaderIsRefusedAfterTheDestinationIsTruncated) {
  ScratchDir dir;
  const EncryptedDocument doc = encrypt_document(dir, "doc", random_bytes(100, 12), kContentKey);
  ASSERT_EQ(doc.result, DOC_OK);
  Bytes damaged(doc.header);
  damaged[200] ^= 0x01;
  const Bytes block = key_block_for(kContentKey);
  write_file(dir.path("out"), random_bytes(30, 13));
  EXPECT_EQ(DocFileDecrypt(dir.path("doc.cipher").c_str(), dir.path("out").c_str(), block.data(),
                           damaged.data(), 512),
            DOC_ERR_CRC);
  EXPECT_TRUE(read_file(dir.path("out")).empty());
}

TEST(DocumentFileDecrypt, WrongKeyGivesGarbageWithoutAnError) {
  ScratchDir dir;
  const Bytes plain = random_bytes(1000, 14);
  const EncryptedDocument doc = encrypt_document(dir, "doc", plain, kContentKey);
  ASSERT_EQ(doc.result, DOC_OK);
  const Bytes other_key = random_bytes(32, 15);
  const Bytes block = key_block_for(other_key);
  ASSERT_EQ(DocFileDecrypt(dir.path("doc.cipher").c_str(), dir.path("out").c_str(), block.data(),
                           doc.header.data(), 512),
            DOC_OK);
  const Bytes out = read_file(dir.path("out"));
  EXPECT_NE(out, plain);
  EXPECT_TRUE(out == oracle::aes_ctr(other_key, nonce_of(doc.header), 0, doc.ciphertext));
}
