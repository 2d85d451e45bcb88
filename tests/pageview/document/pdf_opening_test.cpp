// Opening a protected PDF: both container variants, and every way an
// opening fails, each leaving a document with no pages that is safe to use.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QImage>
#include <cstdint>
#include <string>
#include <vector>

#include "document/pdf_picture.h"
#include "message_capture.h"
#include "protected_fixtures.h"
#include "support/files.h"

using namespace pageview_test;
using ::testing::ElementsAre;

namespace {

std::vector<std::string> openingMessages(std::uint64_t length) {
  return {"PDFForm::InitFile invoked", "file size = " + std::to_string(length),
          "FPDF_LoadCustomDocument before", "FPDF_LoadCustomDocument successed",
          "FPDF_LoadPage invoked successed"};
}

std::vector<std::string> rejectedMessages(std::uint64_t length) {
  return {"PDFForm::InitFile invoked", "file size = " + std::to_string(length),
          "FPDF_LoadCustomDocument before", "FPDF_LoadCustomDocument failed"};
}

// A document without pages must answer every operation without images.
void expectNoPages(PdfPicture &document) {
  EXPECT_EQ(document.pageCount(), 0);
  EXPECT_TRUE(document.isEmpty());
  EXPECT_EQ(document.pageSizeImage(0), nullptr);
  EXPECT_EQ(document.pageImage(0, 100, 100), nullptr);
  EXPECT_EQ(document.scaledRender(50, 50), nullptr);
}

class PdfOpening : public ::testing::Test {
 protected:
  folio_test::ScratchDir dir;
  const Bytes report = fixture("report.pdf");
};

}  // namespace

TEST_F(PdfOpening, V1ContainerOpensWithEveryPage) {
  const std::string path = writeFixture(dir, "report.v1", v1Container(report));
  MessageCapture messages;
  PdfPicture document(qpath(path), contentKey().data(), contentNonce().data(), "v1");
  EXPECT_EQ(document.pageCount(), 3);
  EXPECT_FALSE(document.isEmpty());
  EXPECT_EQ(messages.debugTexts(), openingMessages(report.size()));
}

TEST_F(PdfOpening, CiphertextOnlyOpensUnderAnyOtherVariantText) {
  const std::string path = writeFixture(dir, "report.v2", encipher(report));
  // The variant is compared case-sensitively: "V1" means no header.
  for (const char *variant : {"v2", "V1", ""}) {
    SCOPED_TRACE(variant);
    MessageCapture messages;
    PdfPicture document(qpath(path), contentKey().data(), contentNonce().data(), variant);
    EXPECT_EQ(document.pageCount(), 3);
    EXPECT_EQ(messages.debugTexts(), openingMessages(report.size()));
  }
}

TEST_F(PdfOpening, WrongVariantFailsToLoad) {
  const std::string v1 = writeFixture(dir, "report.v1", v1Container(report));
  const std::string v2 = writeFixture(dir, "report.v2", encipher(report));
  {
    // The header is deciphered as if it were the document's first bytes.
    MessageCapture messages;
    PdfPicture document(qpath(v1), contentKey().data(), contentNonce().data(), "v2");
    EXPECT_EQ(messages.debugTexts(), rejectedMessages(report.size() + 512));
    expectNoPages(document);
  }
  {
    MessageCapture messages;
    PdfPicture document(qpath(v2), contentKey().data(), contentNonce().data(), "v1");
    EXPECT_EQ(messages.debugTexts(), rejectedMessages(report.size() - 512));
    expectNoPages(document);
  }
}

TEST_F(PdfOpening, WrongKeyOrNonceFailsToLoad) {
  const std::string path = writeFixture(dir, "report.v1", v1Container(report));
  Bytes wrongKey = contentKey();
  wrongKey[31] ^= 1;
  Bytes wrongNonce = contentNonce();
  wrongNonce[0] ^= 0x80;
  for (const auto &[key, nonce] : {std::pair{wrongKey, contentNonce()},
                                  std::pair{contentKey(), wrongNonce}}) {
    MessageCapture messages;
    PdfPicture document(qpath(path), key.data(), nonce.data(), "v1");
    EXPECT_EQ(messages.debugTexts(), rejectedMessages(report.size()));
    expectNoPages(document);
  }
}

TEST_F(PdfOpening, ProtectedFileThatIsNoPdfFailsToLoad) {
  const Bytes noise = folio_test::random_bytes(5000, 7);
  const std::string path = writeFixture(dir, "noise.v2", encipher(noise));
  MessageCapture messages;
  PdfPicture document(qpath(path), contentKey().data(), contentNonce().data(), "v2");
  EXPECT_EQ(messages.debugTexts(), rejectedMessages(noise.size()));
  expectNoPages(document);
}

TEST_F(PdfOpening, V1FileNoLongerThanItsHeaderHasNoDocument) {
  // The document length is clamped at 0, never file size - 512 wrapped
  // around, and PDFium is not asked to load an empty document.
  for (std::size_t size : {0, 1, 100, 511, 512}) {
    SCOPED_TRACE(size);
    const std::string path =
        writeFixture(dir, "short.v1", folio_test::slice(v1Container(report), 0, size));
    MessageCapture messages;
    PdfPicture document(qpath(path), contentKey().data(), contentNonce().data(), "v1");
    EXPECT_THAT(messages.debugTexts(),
                ElementsAre("PDFForm::InitFile invoked", "file size = 0",
                            "FPDF_LoadCustomDocument failed"));
    expectNoPages(document);
  }
}

TEST_F(PdfOpening, V1FileWithAFewDocumentBytesFailsInPdfium) {
  const std::string path =
      writeFixture(dir, "short.v1", folio_test::slice(v1Container(report), 0, 520));
  MessageCapture messages;
  PdfPicture document(qpath(path), contentKey().data(), contentNonce().data(), "v1");
  EXPECT_EQ(messages.debugTexts(), rejectedMessages(8));
  expectNoPages(document);
}

TEST_F(PdfOpening, DocumentOver32BitLengthFailsWithoutReachingPdfium) {
  // Sparse: no disk space is used.
  const std::uint64_t fourGiB = std::uint64_t{1} << 32;
  const std::string v2 = dir.path("huge.v2");
  folio_test::make_sparse_file(v2, fourGiB);
  const std::string v1 = dir.path("huge.v1");
  folio_test::make_sparse_file(v1, fourGiB + 512);
  for (const auto &[path, variant] : {std::pair{v2, "v2"}, std::pair{v1, "v1"}}) {
    SCOPED_TRACE(variant);
    MessageCapture messages;
    PdfPicture document(qpath(path), contentKey().data(), contentNonce().data(), variant);
    EXPECT_THAT(messages.debugTexts(),
                ElementsAre("PDFForm::InitFile invoked", "file size = 4294967296",
                            "FPDF_LoadCustomDocument failed"));
    expectNoPages(document);
  }
}

TEST_F(PdfOpening, MissingFileOrDirectoryCannotBeOpened) {
  for (const std::string &path : {dir.path("absent.pdf"), dir.root()}) {
    SCOPED_TRACE(path);
    MessageCapture messages;
    PdfPicture document(qpath(path), contentKey().data(), contentNonce().data(), "v1");
    EXPECT_THAT(messages.debugTexts(),
                ElementsAre("PDFForm::InitFile invoked", "open file Failed!"));
    expectNoPages(document);
  }
}

TEST_F(PdfOpening, MissingKeyOrNonceOpensNothing) {
  const std::string path = writeFixture(dir, "report.v1", v1Container(report));
  for (const auto &[key, nonce] :
       {std::pair{contentKey().data(), static_cast<const unsigned char *>(nullptr)},
        std::pair{static_cast<const unsigned char *>(nullptr), contentNonce().data()}}) {
    MessageCapture messages;
    PdfPicture document(qpath(path), key, nonce, "v1");
    EXPECT_THAT(messages.debugTexts(), ElementsAre("input key or iv is nulll"));
    expectNoPages(document);
  }
}
