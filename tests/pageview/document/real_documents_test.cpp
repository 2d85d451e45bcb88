// Real PDFs that Debian packages ship, protected and opened as the viewer
// opens them: long manuals with bookmarks, in Latin and CJK text. Each
// package is fetched into a cache on first use (support/media/
// packaged_media.h); without the archive the test is skipped, saying why.
#include <gtest/gtest.h>

#include <memory>

#include "clear_render.h"
#include "document/pdf_picture.h"
#include "protected_fixtures.h"
#include "support/files.h"
#include "support/media/packaged_media.h"

using namespace pageview_test;

namespace {

struct RealDocument {
  const char *name;
  const char *package;
  const char *path;  // inside the package
  int pages;
  const char *text;  // to be found on the pages searched
  int searchFrom, searchTo;
};

void PrintTo(const RealDocument &document, std::ostream *out) { *out << document.name; }

class RealDocuments : public ::testing::TestWithParam<RealDocument> {};

INSTANTIATE_TEST_SUITE_P(
    Debian, RealDocuments,
    ::testing::Values(
        // R's reference manual: 2,415 letter pages.
        RealDocument{"r_reference_manual", "r-doc-pdf", "usr/share/R/doc/manual/refman.pdf", 2415,
                     "Description", 100, 110},
        // Debian Edu's manual in Chinese: 98 A4 pages.
        RealDocument{"debian_edu_manual_chinese", "debian-edu-doc-zh-cn",
                     "usr/share/doc/debian-edu-doc-zh-cn/debian-edu-bookworm-manual.pdf", 98,
                     "服务器", 9, 12}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_P(RealDocuments, OpenRenderSearchAndOutline) {
  const RealDocument &real = GetParam();
  const folio_test::media::PackagedFile clear =
      folio_test::media::packaged_file(real.package, real.path);
  if (clear.path.empty()) GTEST_SKIP() << clear.missing;
  folio_test::ScratchDir dir;
  const std::string path = writeFixture(dir, "real.protected", encipher(folio_test::read_file(clear.path)));
  PdfPicture document(qpath(path), contentKey().data(), contentNonce().data(), QStringLiteral("v2"));
  ASSERT_EQ(document.pageCount(), real.pages);

  // The first and the last page as PDFium draws the clear file.
  for (const int page : {0, real.pages - 1}) {
    const QImage *size = document.pageSizeImage(page);
    ASSERT_NE(size, nullptr) << page;
    const QImage *drawn = document.pageImage(page, size->width(), size->height());
    ASSERT_NE(drawn, nullptr) << page;
    EXPECT_EQ(*drawn, renderClearPage(clear.path, page, size->width(), size->height())) << page;
  }

  int matches = 0;
  for (int page = real.searchFrom; page < real.searchTo; ++page)
    matches += static_cast<int>(document.findText(page, QString::fromUtf8(real.text), QSize(600, 800)).size());
  EXPECT_GT(matches, 0) << real.text;

  const auto outline = document.outline();
  ASSERT_GT(outline.size(), 5u);
  int leadSomewhere = 0;
  for (const pageview::OutlineEntry &entry : outline) {
    EXPECT_FALSE(entry.title.isEmpty());
    EXPECT_LT(entry.page, real.pages);
    if (entry.page >= 0) ++leadSomewhere;
  }
  EXPECT_GT(leadSomewhere, static_cast<int>(outline.size()) * 9 / 10);
}

}  // namespace
