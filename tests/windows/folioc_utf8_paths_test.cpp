// Paths on Windows: every export takes UTF-8 and reaches the file whose
// UTF-16 name is that text, whatever the ANSI code page; text that is not
// UTF-8 opens nothing; files are opened with sharing allowed, so a file
// another program holds open still reads and writes.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "folioc.h"
#include "support/files.h"
#include "support/oracle.h"
#include "support/scratch_dir.h"
#include "support/test_bytes.h"

using namespace folio_test;

namespace {

// Greek, German, Japanese and an emoji outside the basic plane (a UTF-16
// surrogate pair): none fits one ANSI code page.
const std::string kFolder = "Dokumente \xC3\xA4\xC3\xB6\xC3\xBC \xE6\x97\xA5\xE6\x9C\xAC";
const std::string kName = "\xCE\xA3\xCF\x87\xCE\xAD\xCE\xB4\xCE\xB9\xCE\xBF \xF0\x9F\x93\x84.pdf";
const std::wstring kWideFolder = L"Dokumente \u00E4\u00F6\u00FC \u65E5\u672C";
const std::wstring kWideName = L"\u03A3\u03C7\u03AD\u03B4\u03B9\u03BF \U0001F4C4.pdf";

std::wstring wide(const std::string &utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, out.data(), n);
  out.resize(static_cast<std::size_t>(n - 1));
  return out;
}

// Opened through the wide API by the UTF-16 name alone, not by the UTF-8 text.
Bytes read_wide(const std::wstring &path) {
  Bytes bytes;
  std::FILE *file = _wfopen(path.c_str(), L"rb");
  if (!file) return bytes;
  for (int c; (c = std::fgetc(file)) != EOF;) bytes.push_back(static_cast<unsigned char>(c));
  std::fclose(file);
  return bytes;
}

class Utf8Paths : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = dir_.make_directory(kFolder, 0700);
    wide_folder_ = wide(dir_.root()) + L"/" + kWideFolder;
    write_file(source(), plain_);
    key_block_.assign(36, 0);
    for (int i = 0; i < 32; ++i) key_block_[4 + static_cast<std::size_t>(i)] = content_key_[static_cast<std::size_t>(i)];
  }
  std::string source() const { return folder_ + "/" + kName; }
  std::string in_folder(const std::string &name) const { return folder_ + "/" + name; }

  ScratchDir dir_;
  std::string folder_;
  std::wstring wide_folder_;
  const Bytes plain_ = random_bytes(0x100000 + 4321, 0x7E57);
  const Bytes content_key_ = random_bytes(32, 0xC0DE);
  Bytes key_block_;
};

}  // namespace

TEST_F(Utf8Paths, ProtectedDocumentRoundTripsThroughNonAsciiNames) {
  ASSERT_EQ(read_wide(wide_folder_ + L"/" + kWideName), plain_) << "the test's own file is misnamed";
  unsigned char header[512];
  int capacity = 512;
  const std::string cipher = in_folder("\xE6\x9A\x97\xE5\x8F\xB7.bin");  // 暗号
  ASSERT_EQ(DocFileEncrypt(source().c_str(), cipher.c_str(), key_block_.data(), header, &capacity), DOC_OK);

  // The ciphertext is where the UTF-16 name says, and is AES-256 counter
  // mode under the header's nonce.
  const Bytes ciphertext = read_wide(wide_folder_ + L"/\u6697\u53F7.bin");
  unsigned char nonce[8];
  ASSERT_EQ(DocGetNonce(header, 512, nonce), DOC_OK);
  EXPECT_EQ(ciphertext, oracle::aes_ctr(content_key_, nonce, 0, plain_));

  const std::string back = in_folder("zur\xC3\xBC" "ck.pdf");
  ASSERT_EQ(DocFileDecrypt(cipher.c_str(), back.c_str(), key_block_.data(), header, 512), DOC_OK);
  EXPECT_EQ(read_wide(wide_folder_ + L"/zur\u00FCck.pdf"), plain_);
}

TEST_F(Utf8Paths, FileExportsHeaderAndDigestFollowTheSameRule) {
  const int handle = FoliocInit(content_key_.data(), 32, content_key_.data());
  ASSERT_GE(handle, 1);
  const Bytes header = random_bytes(512, 0x4EAD);
  char digest[FOLIOC_DIGEST_TEXT_BYTES] = {};
  const std::string protected_file = in_folder("\xC3\xA9t\xC3\xA9.doc");  // été
  EXPECT_EQ(FileEncrypt(handle, source().c_str(), protected_file.c_str(), header.data(), 512, digest), DOC_OK);
  EXPECT_EQ(read_wide(wide_folder_ + L"/\u00E9t\u00E9.doc").size(), 512 + plain_.size());

  unsigned char read_back[512];
  int capacity = 512;
  EXPECT_EQ(DocGetHeader(protected_file.c_str(), read_back, &capacity), DOC_OK);
  EXPECT_EQ(Bytes(read_back, read_back + 512), header);

  const std::string clear = in_folder("\xCE\xBA\xCE\xB1\xCE\xB8\xCE\xB1\xCF\x81\xCF\x8C");  // καθαρό
  EXPECT_EQ(FileDecrypt(handle, protected_file.c_str(), clear.c_str(), nullptr, 512), DOC_OK);
  EXPECT_EQ(read_wide(wide_folder_ + L"/\u03BA\u03B1\u03B8\u03B1\u03C1\u03CC"), plain_);

  char file_digest[FOLIOC_DIGEST_TEXT_BYTES] = {};
  EXPECT_EQ(MD5File(source().c_str(), file_digest), DOC_OK);
  EXPECT_EQ(std::string(file_digest), oracle::md5_hex(plain_));
  EXPECT_EQ(FoliocClean(handle), DOC_OK);
}

TEST_F(Utf8Paths, TextThatIsNotUtf8OpensNothing) {
  // "é" in Windows-1252: a lone continuation-less lead byte in UTF-8.
  const std::string latin1 = in_folder("caf\xE9.pdf");
  unsigned char header[512];
  int capacity = 512;
  EXPECT_EQ(DocFileEncrypt(source().c_str(), latin1.c_str(), key_block_.data(), header, &capacity),
            DOC_ERR_OPEN);
  capacity = 512;
  EXPECT_EQ(DocGetHeader(latin1.c_str(), header, &capacity), DOC_ERR_OPEN);
  EXPECT_EQ(dir_.names(), std::set<std::string>{kFolder});
  EXPECT_EQ(read_wide(wide_folder_ + L"/caf\u00E9.pdf"), Bytes());
}

TEST_F(Utf8Paths, FilesHeldOpenByAnotherProgramAreStillReadAndWritten) {
  const std::string cipher = in_folder("held.bin");
  write_file(cipher, bytes_of("old contents"));
  // Another program reading and writing both files, sharing them as
  // Windows editors and viewers commonly do.
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
  HANDLE held_source = CreateFileW((wide_folder_ + L"/" + kWideName).c_str(), GENERIC_READ, share,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  HANDLE held_cipher = CreateFileW((wide_folder_ + L"/held.bin").c_str(), GENERIC_READ | GENERIC_WRITE,
                                   share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held_source, INVALID_HANDLE_VALUE);
  ASSERT_NE(held_cipher, INVALID_HANDLE_VALUE);
  unsigned char header[512];
  int capacity = 512;
  EXPECT_EQ(DocFileEncrypt(source().c_str(), cipher.c_str(), key_block_.data(), header, &capacity), DOC_OK);
  CloseHandle(held_source);
  CloseHandle(held_cipher);
  EXPECT_EQ(read_file(cipher).size(), plain_.size());
}
