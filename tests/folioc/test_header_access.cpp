// The header accessors: the CRC rule every reader applies, storing and
// fetching the key cipher, the nonce, and reading a header from a file.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "folioc.h"
#include "support/files.h"
#include "support/header_fields.h"
#include "support/protected_document.h"
#include "support/scratch_dir.h"
#include "support/test_bytes.h"

using namespace folio_test;
using namespace folioc_test;

namespace {

const Bytes kContentKey = random_bytes(32, 0xABCD);
const Bytes kKeyCipher = random_bytes(48, 0x4B43);

// A fresh header, and the same header after a 32-byte key cipher was stored.
class HeaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    doc_ = encrypt_document(dir_, "doc", plain_, kContentKey);
    ASSERT_EQ(doc_.result, DOC_OK);
    keyed_ = doc_.header;
    int capacity = 512;
    ASSERT_EQ(DocSetKeyCipher(kKeyCipher.data(), 32, keyed_.data(), &capacity), DOC_OK);
  }

  ScratchDir dir_;
  const Bytes plain_ = random_bytes(300, 77);
  EncryptedDocument doc_;
  Bytes keyed_;
};

bool in_version_word(std::size_t i) { return i >= 8 && i < 12; }

}  // namespace

class HeaderCrcCheck : public HeaderTest {
 protected:
  struct Verdicts {
    int get_key_cipher, get_nonce, set_key_cipher, file_decrypt;
    Bytes deciphered;
  };

  Verdicts readers_on(const Bytes &header) {
    Verdicts v{};
    unsigned char out[48];
    unsigned int out_capacity = sizeof out;
    v.get_key_cipher = DocGetKeyCipher(header.data(), 512, out, &out_capacity);
    unsigned char nonce[8];
    v.get_nonce = DocGetNonce(header.data(), 512, nonce);
    Bytes writable(header);
    int capacity = 512;
    v.set_key_cipher = DocSetKeyCipher(kKeyCipher.data(), 16, writable.data(), &capacity);
    const Bytes block = key_block_for(kContentKey);
    const std::string out_path = dir_.path("out");
    v.file_decrypt = DocFileDecrypt(dir_.path("doc.cipher").c_str(), out_path.c_str(), block.data(),
                                    header.data(), 512);
    v.deciphered = read_file(out_path);
    return v;
  }
};

TEST_F(HeaderCrcCheck, IntactHeaderPassesEveryReader) {
  const Verdicts v = readers_on(keyed_);
  EXPECT_EQ(v.get_key_cipher, DOC_OK);
  EXPECT_EQ(v.get_nonce, DOC_OK);
  EXPECT_EQ(v.set_key_cipher, DOC_OK);
  EXPECT_EQ(v.file_decrypt, DOC_OK);
  EXPECT_TRUE(v.deciphered == plain_);
}

TEST_F(HeaderCrcCheck, ChangeOfAnyCoveredByteOrOfTheCrcIsDetected) {
  for (std::size_t i = 0; i < 512; ++i) {
    if (in_version_word(i)) continue;
    Bytes damaged(keyed_);
    damaged[i] ^= 0xFF;
    const Verdicts v = readers_on(damaged);
    EXPECT_EQ(v.get_key_cipher, DOC_ERR_CRC) << "byte " << i;
    EXPECT_EQ(v.get_nonce, DOC_ERR_CRC) << "byte " << i;
    EXPECT_EQ(v.set_key_cipher, DOC_ERR_CRC) << "byte " << i;
    EXPECT_EQ(v.file_decrypt, DOC_ERR_CRC) << "byte " << i;
    EXPECT_TRUE(v.deciphered.empty()) << "byte " << i;
  }
}

TEST_F(HeaderCrcCheck, OtherFormatVersionSkipsTheReadersCheckButNotTheReseal) {
  for (std::size_t i = 8; i < 12; ++i) {
    Bytes other_version(keyed_);
    other_version[i] ^= 0xFF;
    const Verdicts v = readers_on(other_version);
    EXPECT_EQ(v.get_key_cipher, DOC_OK) << "byte " << i;
    EXPECT_EQ(v.get_nonce, DOC_OK) << "byte " << i;
    EXPECT_EQ(v.set_key_cipher, DOC_ERR_CRC) << "byte " << i;
    EXPECT_EQ(v.file_decrypt, DOC_OK) << "byte " << i;
    EXPECT_TRUE(v.deciphered == plain_) << "byte " << i;
  }
}

TEST_F(HeaderCrcCheck, OtherFormatVersionIsReadDespiteFurtherDamage) {
  Bytes header(keyed_);
  header[8] = 0x02;
  header[300] ^= 0x10;
  header[509] ^= 0x10;
  unsigned char nonce[8];
  ASSERT_EQ(DocGetNonce(header.data(), 512, nonce), DOC_OK);
  EXPECT_EQ(0, std::memcmp(nonce, header.data() + 96, 8));
}

using KeyCipherStore = HeaderTest;

TEST_F(KeyCipherStore, FullAreaOf48BytesIsStoredAndSealed) {
  Bytes header(doc_.header);
  int capacity = 512;
  ASSERT_EQ(DocSetKeyCipher(kKeyCipher.data(), 48, header.data(), &capacity), DOC_OK);
  EXPECT_EQ(capacity, 512);
  EXPECT_EQ(le32_at(header, 44), 48u);
  EXPECT_EQ(0, std::memcmp(header.data() + 48, kKeyCipher.data(), 48));
  EXPECT_TRUE(reference_crc_matches(header));
  for (std::size_t i = 0; i < 508; ++i) {
    if (i < 44 || i >= 96) {
      EXPECT_EQ(header[i], doc_.header[i]) << "byte " << i << " changed";
    }
  }
}

TEST_F(KeyCipherStore, LengthOver48OrNegativeIsRefusedAndTheHeaderKept) {
  for (int length : {49, 1000, -1, INT_MIN}) {
    Bytes header(keyed_);
    int capacity = 512;
    Bytes long_cipher(1000, 0x99);
    EXPECT_EQ(DocSetKeyCipher(long_cipher.data(), length, header.data(), &capacity), DOC_ERR_SIZE)
        << length;
    EXPECT_EQ(header, keyed_) << length;
  }
}

TEST_F(KeyCipherStore, ShorterReplacementLeavesTheRestOfTheAreaAsItWas) {
  const Bytes replacement = random_bytes(16, 0x5151);
  Bytes header(keyed_);
  int capacity = 512;
  ASSERT_EQ(DocSetKeyCipher(replacement.data(), 16, header.data(), &capacity), DOC_OK);
  EXPECT_EQ(le32_at(header, 44), 16u);
  EXPECT_EQ(0, std::memcmp(header.data() + 48, replacement.data(), 16));
  EXPECT_EQ(0, std::memcmp(header.data() + 64, kKeyCipher.data() + 16, 16)) << "bytes 64..79";
  for (std::size_t i = 80; i < 96; ++i) EXPECT_EQ(header[i], 0) << "byte " << i;
  EXPECT_TRUE(reference_crc_matches(header)) << "the CRC must cover bytes 64..79 as kept";
}

TEST_F(KeyCipherStore, EmptyKeyCipherIsStored) {
  Bytes header(keyed_);
  int capacity = 512;
  ASSERT_EQ(DocSetKeyCipher(kKeyCipher.data(), 0, header.data(), &capacity), DOC_OK);
  EXPECT_EQ(le32_at(header, 44), 0u);
  EXPECT_TRUE(reference_crc_matches(header));
}

TEST_F(KeyCipherStore, ArgumentChecks) {
  Bytes header(keyed_);
  int capacity = 511;
  EXPECT_EQ(DocSetKeyCipher(kKeyCipher.data(), 16, header.data(), &capacity), DOC_ERR_ARGUMENT);
  capacity = 512;
  EXPECT_EQ(DocSetKeyCipher(nullptr, 16, header.data(), &capacity), DOC_ERR_ARGUMENT);
  EXPECT_EQ(DocSetKeyCipher(kKeyCipher.data(), 16, nullptr, &capacity), DOC_ERR_ARGUMENT);
  EXPECT_EQ(DocSetKeyCipher(kKeyCipher.data(), 16, header.data(), nullptr), DOC_ERR_ARGUMENT);
  EXPECT_EQ(header, keyed_);

  Bytes roomy(keyed_);
  roomy.resize(1024, 0x42);
  capacity = 1024;
  EXPECT_EQ(DocSetKeyCipher(kKeyCipher.data(), 16, roomy.data(), &capacity), DOC_OK);
  EXPECT_EQ(capacity, 512);
  EXPECT_EQ(roomy[512], 0x42);
}

using KeyCipherFetch = HeaderTest;

TEST_F(KeyCipherFetch, TooSmallCapacityReportsTheLengthNeeded) {
  for (unsigned int capacity : {0u, 31u}) {
    Bytes out(64, 0xAA);
    unsigned int in_out = capacity;
    EXPECT_EQ(DocGetKeyCipher(keyed_.data(), 512, out.data(), &in_out), DOC_ERR_SIZE) << capacity;
    EXPECT_EQ(in_out, 32u);
    EXPECT_EQ(out, Bytes(64, 0xAA));
  }
}

TEST_F(KeyCipherFetch, FreshHeaderHasAnEmptyKeyCipher) {
  unsigned char out[1] = {0xAA};
  unsigned int capacity = 0;
  EXPECT_EQ(DocGetKeyCipher(doc_.header.data(), 512, out, &capacity), DOC_OK);
  EXPECT_EQ(capacity, 0u);
  EXPECT_EQ(out[0], 0xAA);
}

TEST_F(KeyCipherFetch, CopyZeroesTheCallersCapacityAndNoMore) {
  Bytes out(64, 0xAA);
  unsigned int capacity = 40;
  ASSERT_EQ(DocGetKeyCipher(keyed_.data(), 512, out.data(), &capacity), DOC_OK);
  EXPECT_EQ(capacity, 32u);
  EXPECT_EQ(0, std::memcmp(out.data(), kKeyCipher.data(), 32));
  for (std::size_t i = 32; i < 40; ++i) EXPECT_EQ(out[i], 0) << "byte " << i;
  for (std::size_t i = 40; i < 64; ++i) EXPECT_EQ(out[i], 0xAA) << "byte " << i;
}

TEST_F(KeyCipherFetch, StoredLengthOver48IsRefusedWhetherOrNotTheCrcIsChecked) {
  Bytes unchecked(keyed_);
  unchecked[11] = 0x02;  // another format version: the CRC is not checked
  put_le32_at(unchecked, 44, 49);
  Bytes sealed(keyed_);
  put_le32_at(sealed, 44, 49);
  reseal_with_reference_crc(sealed);
  Bytes huge(keyed_);
  put_le32_at(huge, 44, 0xFFFFFFFFu);
  reseal_with_reference_crc(huge);

  for (const Bytes *header : {&unchecked, &sealed, &huge}) {
    for (unsigned int capacity : {0u, 64u}) {
      Bytes out(128, 0xAA);
      unsigned int in_out = capacity;
      EXPECT_EQ(DocGetKeyCipher(header->data(), 512, out.data(), &in_out), DOC_ERR_ARGUMENT)
          << "stored length " << le32_at(*header, 44) << ", capacity " << capacity;
      for (std::size_t i = capacity; i < out.size(); ++i)
        ASSERT_EQ(out[i], 0xAA) << "byte " << i << " beyond the capacity was written";
    }
  }
}

TEST_F(KeyCipherFetch, ArgumentChecks) {
  unsigned char out[48];
  unsigned int capacity = sizeof out;
  Bytes roomy(keyed_);
  roomy.resize(1024);
  EXPECT_EQ(DocGetKeyCipher(roomy.data(), 513, out, &capacity), DOC_ERR_ARGUMENT);
  EXPECT_EQ(DocGetKeyCipher(roomy.data(), 511, out, &capacity), DOC_ERR_ARGUMENT);
  EXPECT_EQ(DocGetKeyCipher(nullptr, 512, out, &capacity), DOC_ERR_ARGUMENT);
  EXPECT_EQ(DocGetKeyCipher(keyed_.data(), 512, nullptr, &capacity), DOC_ERR_ARGUMENT);
  EXPECT_EQ(DocGetKeyCipher(keyed_.data(), 512, out, nullptr), DOC_ERR_ARGUMENT);
}

using NonceFetch = HeaderTest;

TEST_F(NonceFetch, ArgumentChecks) {
  unsigned char out[8] = {0};
  Bytes roomy(keyed_);
  roomy.resize(1024);
  EXPECT_EQ(DocGetNonce(roomy.data(), 513, out), DOC_ERR_ARGUMENT);
  EXPECT_EQ(DocGetNonce(roomy.data(), 0, out), DOC_ERR_ARGUMENT);
  EXPECT_EQ(DocGetNonce(nullptr, 512, out), DOC_ERR_ARGUMENT);
  EXPECT_EQ(DocGetNonce(keyed_.data(), 512, nullptr), DOC_ERR_ARGUMENT);
}

TEST(HeaderRead, SmallCapacityIsAnsweredWithoutOpeningTheFile) {
  ScratchDir dir;
  Bytes header(512, 0x33);
  int capacity = 100;
  EXPECT_EQ(DocGetHeader(dir.path("missing").c_str(), header.data(), &capacity), DOC_ERR_SIZE);
  EXPECT_EQ(capacity, 512);
  EXPECT_EQ(header, Bytes(512, 0x33));
}

TEST(HeaderRead, MissingFileIsAnOpenError) {
  ScratchDir dir;
  Bytes header(512);
  int capacity = 512;
  EXPECT_EQ(DocGetHeader(dir.path("missing").c_str(), header.data(), &capacity), DOC_ERR_OPEN);
}

TEST(HeaderRead, EmptyFileIsAReadError) {
  ScratchDir dir;
  write_file(dir.path("empty"), {});
  Bytes header(512);
  int capacity = 512;
  EXPECT_EQ(DocGetHeader(dir.path("empty").c_str(), header.data(), &capacity), DOC_ERR_READ);
}

TEST(HeaderRead, ShortFileReportsTheShortCount) {
  ScratchDir dir;
  const Bytes contents = random_bytes(100, 1);
  write_file(dir.path("short"), contents);
  Bytes header(512, 0);
  int capacity = 512;
  ASSERT_EQ(DocGetHeader(dir.path("short").c_str(), header.data(), &capacity), DOC_OK);
  EXPECT_EQ(capacity, 100);
  EXPECT_TRUE(slice(header, 0, 100) == contents);
}

TEST(HeaderRead, LongFileGivesItsFirst512Bytes) {
  ScratchDir dir;
  const Bytes contents = random_bytes(1000, 2);
  write_file(dir.path("long"), contents);
  Bytes header(600, 0x66);
  int capacity = 600;
  ASSERT_EQ(DocGetHeader(dir.path("long").c_str(), header.data(), &capacity), DOC_OK);
  EXPECT_EQ(capacity, 512);
  EXPECT_TRUE(slice(header, 0, 512) == slice(contents, 0, 512));
  EXPECT_EQ(header[512], 0x66);
}

TEST(HeaderRead, NullArgumentsAreRefused) {
  ScratchDir dir;
  write_file(dir.path("file"), random_bytes(600, 3));
  Bytes header(512);
  int capacity = 512;
  EXPECT_EQ(DocGetHeader(nullptr, header.data(), &capacity), DOC_ERR_ARGUMENT);
  EXPECT_EQ(DocGetHeader(dir.path("file").c_str(), nullptr, &capacity), DOC_ERR_ARGUMENT);
  EXPECT_EQ(DocGetHeader(dir.path("file").c_str(), header.data(), nullptr), DOC_ERR_ARGUMENT);
}
