// One PDF document per process: the block callback's state is shared, so a
// second document takes it over. The earlier one must stop reading (it has
// no pages) rather than read the new file with the new key, and the PDFium
// library must stay set up while any document is left.
#include <gtest/gtest.h>

#include <QImage>
#include <memory>

#include "document/pdf_picture.h"
#include "protected_fixtures.h"

using namespace pageview_test;

TEST(OneDocumentPerProcess, SecondDocumentTakesTheSourceOver) {
  folio_test::ScratchDir dir;
  const std::string report = writeFixture(dir, "report.v1", v1Container(fixture("report.pdf")));
  const std::string mixed = writeFixture(dir, "mixed.v2", encipher(fixture("mixed.pdf")));

  auto first = std::make_unique<PdfPicture>(qpath(report), contentKey().data(),
                                            contentNonce().data(), "v1");
  ASSERT_EQ(first->pageCount(), 3);
  PdfPicture second(qpath(mixed), contentKey().data(), contentNonce().data(), "v2");
  ASSERT_EQ(second.pageCount(), 4);

  EXPECT_EQ(first->pageCount(), 0);
  EXPECT_EQ(first->pageImage(0, 50, 50), nullptr);
  // Destroying the earlier document leaves the later one working.
  first.reset();
  const QImage *page = second.pageImage(3, 120, 80);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->size(), QSize(120, 80));
}

TEST(OneDocumentPerProcess, DocumentsOneAfterAnotherEachOpen) {
  folio_test::ScratchDir dir;
  const std::string report = writeFixture(dir, "report.v1", v1Container(fixture("report.pdf")));
  for (int round = 0; round < 3; ++round) {
    PdfPicture document(qpath(report), contentKey().data(), contentNonce().data(), "v1");
    ASSERT_EQ(document.pageCount(), 3) << round;
    ASSERT_NE(document.pageImage(round, 60, 80), nullptr) << round;
  }
}
