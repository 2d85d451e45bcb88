// The block callback PDFium reads through: any range, in any order, any
// number of times, deciphers to exactly the clear document's bytes; a range
// that cannot be read whole is a failure, never garbage reported as read.
#include <gtest/gtest.h>

#include <QString>
#include <algorithm>
#include <climits>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "document/pdf_picture.h"
#include "protected_fixtures.h"
#include "support/test_bytes.h"

using namespace pageview_test;

namespace {

// What GetCipherBlock delivers for [position, position + size); empty when
// it reports failure.
Bytes block(unsigned long position, unsigned long size) {
  Bytes bytes(size, 0xA5);
  if (!PdfPicture::GetCipherBlock(nullptr, position, bytes.data(), size)) return {};
  return bytes;
}

struct Layout {
  const char *variant;
  Bytes (*container)(const Bytes &);
};

void PrintTo(const Layout &layout, std::ostream *out) { *out << layout.variant; }

Bytes ciphertextOnly(const Bytes &clear) { return encipher(clear); }

class CipherBlockSource : public ::testing::TestWithParam<Layout> {
 protected:
  void SetUp() override {
    path = writeFixture(dir, "mixed.protected", GetParam().container(clear));
    document = std::make_unique<PdfPicture>(qpath(path), contentKey().data(),
                                            contentNonce().data(), GetParam().variant);
    ASSERT_EQ(document->pageCount(), 4);
  }

  folio_test::ScratchDir dir;
  const Bytes clear = fixture("mixed.pdf");
  std::string path;
  std::unique_ptr<PdfPicture> document;
};

}  // namespace

TEST_P(CipherBlockSource, RangesInAscendingAndDescendingOrderGiveTheClearBytes) {
  // Sizes that start and end inside, on and across 16-byte counter blocks.
  for (unsigned long size : {1ul, 15ul, 16ul, 17ul, 31ul, 512ul, 1000ul}) {
    SCOPED_TRACE(size);
    std::vector<unsigned long> starts;
    for (unsigned long at = 0; at + size <= clear.size(); at += size) starts.push_back(at);
    for (unsigned long at : starts) ASSERT_EQ(block(at, size), folio_test::slice(clear, at, size));
    std::reverse(starts.begin(), starts.end());
    for (unsigned long at : starts) ASSERT_EQ(block(at, size), folio_test::slice(clear, at, size));
  }
}

TEST_P(CipherBlockSource, OverlappingAndRepeatedRangesGiveIdenticalBytes) {
  std::mt19937_64 random(42);
  for (int round = 0; round < 500; ++round) {
    const unsigned long at = random() % clear.size();
    const unsigned long size = 1 + random() % std::min<unsigned long>(3000, clear.size() - at);
    const Bytes first = block(at, size);
    ASSERT_EQ(first, folio_test::slice(clear, at, size)) << at << "+" << size;
    ASSERT_EQ(block(at, size), first) << at << "+" << size;
  }
}

TEST_P(CipherBlockSource, WholeDocumentInOneRange) {
  EXPECT_EQ(block(0, clear.size()), clear);
}

TEST_P(CipherBlockSource, RangeNotReadableWholeFails) {
  const unsigned long length = clear.size();
  EXPECT_TRUE(block(length - 10, 20).empty()) << "crosses the end of the file";
  EXPECT_TRUE(block(length, 1).empty()) << "starts at the end";
  EXPECT_TRUE(block(length + 4096, 16).empty()) << "starts beyond the end";
  EXPECT_TRUE(block(ULONG_MAX - 8, 16).empty()) << "position + size wraps";
  unsigned char small[16];
  EXPECT_EQ(PdfPicture::GetCipherBlock(nullptr, 1, small, ULONG_MAX), 0) << "size wraps";
  // A failure leaves the file usable for the next request.
  EXPECT_EQ(block(length - 10, 10), folio_test::slice(clear, length - 10, 10));
}

TEST_P(CipherBlockSource, EmptyRequestsFail) {
  unsigned char byte = 0;
  EXPECT_EQ(PdfPicture::GetCipherBlock(nullptr, 0, nullptr, 1), 0);
  EXPECT_EQ(PdfPicture::GetCipherBlock(nullptr, 0, &byte, 0), 0);
}

TEST_P(CipherBlockSource, NothingIsServedOnceTheDocumentIsGone) {
  ASSERT_FALSE(block(0, 16).empty());
  document.reset();
  EXPECT_TRUE(block(0, 16).empty());
}

TEST_P(CipherBlockSource, NothingIsServedAfterAFailedOpening) {
  PdfPicture missing(qpath(dir.path("absent")), contentKey().data(), contentNonce().data(),
                     GetParam().variant);
  EXPECT_TRUE(block(0, 16).empty());
}

INSTANTIATE_TEST_SUITE_P(Variants, CipherBlockSource,
                         ::testing::Values(Layout{"v1", &v1Container},
                                           Layout{"v2", &ciphertextOnly}),
                         [](const auto &info) { return std::string(info.param.variant); });
