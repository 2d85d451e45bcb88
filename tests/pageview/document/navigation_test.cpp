// Finding text on a page and reading the outline of a protected PDF.
#include <gtest/gtest.h>

#include <memory>

#include "document/pdf_picture.h"
#include "protected_fixtures.h"

using namespace pageview_test;

namespace {

std::unique_ptr<PdfPicture> openAnnotated(folio_test::ScratchDir &dir) {
  const std::string path = writeFixture(dir, "annotated.protected", encipher(fixture("annotated.pdf")));
  return std::make_unique<PdfPicture>(qpath(path), contentKey().data(), contentNonce().data(),
                                      QStringLiteral("v2"));
}

struct Search {
  const char *text;
  int page;
  std::size_t matches;
  QRect within;  // where the first match lies, at one pixel a point
};

class TextSearch : public ::testing::TestWithParam<Search> {};

INSTANTIATE_TEST_SUITE_P(
    Texts, TextSearch,
    ::testing::Values(
        // Case is ignored; the title is at 72,720 pt in 28 pt type.
        Search{"REPORT", 0, 1, QRect(150, 40, 140, 45)},
        Search{"page", 1, 1, QRect(60, 715, 60, 25)},
        // Drawn in a Latin font, read as CJK through the font's map.
        Search{"搜索", 2, 1, QRect(80, 130, 60, 30)},
        Search{"o", 0, 7, QRect(0, 0, 612, 792)},
        Search{"nowhere to be found", 0, 0, QRect()},
        Search{"", 0, 0, QRect()}),
    [](const auto &info) { return "Case" + std::to_string(info.index); });

TEST_P(TextSearch, FindsEveryMatchWhereItIsDrawn) {
  folio_test::ScratchDir dir;
  auto document = openAnnotated(dir);
  const Search &search = GetParam();
  const auto matches =
      document->findText(search.page, QString::fromUtf8(search.text), QSize(612, 792));
  ASSERT_EQ(matches.size(), search.matches);
  if (matches.empty()) return;
  ASSERT_FALSE(matches[0].empty());
  EXPECT_TRUE(search.within.contains(matches[0][0]))
      << matches[0][0].x() << "," << matches[0][0].y() << " " << matches[0][0].width() << "x"
      << matches[0][0].height();
  // Twice the size, twice the coordinates.
  const auto doubled =
      document->findText(search.page, QString::fromUtf8(search.text), QSize(1224, 1584));
  ASSERT_EQ(doubled.size(), matches.size());
  EXPECT_NEAR(doubled[0][0].center().x(), 2 * matches[0][0].center().x(), 2);
  EXPECT_NEAR(doubled[0][0].center().y(), 2 * matches[0][0].center().y(), 2);
}

TEST(TextSearchLimits, PagesOutsideTheDocumentHaveNoMatches) {
  folio_test::ScratchDir dir;
  auto document = openAnnotated(dir);
  EXPECT_TRUE(document->findText(3, "page", QSize(612, 792)).empty());
  EXPECT_TRUE(document->findText(-1, "page", QSize(612, 792)).empty());
  EXPECT_TRUE(document->findText(0, "page", QSize()).empty());
}

TEST(Outline, BookmarksInReadingOrderWithTheirPages) {
  folio_test::ScratchDir dir;
  auto document = openAnnotated(dir);
  const auto outline = document->outline();
  ASSERT_EQ(outline.size(), 4u);
  const struct {
    const char *title;
    int page, depth;
  } expected[] = {{"Page 1: Quarterly report", 0, 0},
                  {"Last page", 2, 1},
                  {"Page 2: Figures", 1, 0},
                  {"Page 3: Outlook", 2, 0}};
  for (std::size_t i = 0; i < outline.size(); ++i) {
    EXPECT_EQ(outline[i].title, QString::fromUtf8(expected[i].title)) << i;
    EXPECT_EQ(outline[i].page, expected[i].page) << i;
    EXPECT_EQ(outline[i].depth, expected[i].depth) << i;
  }
  // A document without bookmarks has an empty outline.
  const std::string plain = writeFixture(dir, "report.protected", encipher(fixture("report.pdf")));
  PdfPicture report(qpath(plain), contentKey().data(), contentNonce().data(), QStringLiteral("v2"));
  EXPECT_TRUE(report.outline().empty());
}

}  // namespace
