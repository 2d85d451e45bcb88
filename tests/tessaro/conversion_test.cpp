// Real documents of each kind through ConvertOfficeFileToPdf and the office
// installed here, each PDF checked with poppler's tools. One conversion per
// case: each takes about a second.
#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <thread>

#include "support/files.h"
#include "support/office_fixtures.h"
#include "support/office_scratch.h"
#include "support/pdf_facts.h"
#include "tessaro.h"

namespace tessaro_test {
namespace {

TEST(Conversion, TextDocumentKeepsEveryPageAndItsText) {
  OfficeScratch scratch;
  const std::string source = scratch.path("report.docx");
  const std::string pdf = scratch.path("report.pdf");
  write_report_docx(source, 3);

  ASSERT_EQ(ConvertOfficeFileToPdf(TESSARO_WORD, source.c_str(), pdf.c_str()), TESSARO_OK);
  EXPECT_EQ(pdf_page_count(pdf), 3);
  for (int page = 1; page <= 3; ++page)
    EXPECT_NE(pdf_text(pdf, page).find("Page " + std::to_string(page) + " of the report"),
              std::string::npos);
  EXPECT_EQ(scratch.leftovers(), "");
}

// Every worksheet is printed with gridlines, one page wide (as many pages
// tall as it takes), its used rows but the last 10 points taller; the
// workbook itself is left exactly as it was.
TEST(Conversion, WorkbookPrintsOnePageWideWithGridlinesAndTallerRows) {
  OfficeScratch scratch;
  const std::string source = scratch.path("figures.xlsx");
  const std::string pdf = scratch.path("figures.pdf");
  WorkbookLayout layout;  // 40 rows of 24 columns: four pages wide unscaled
  write_workbook_xlsx(source, layout);
  const folio_test::Bytes before = folio_test::read_file(source);

  ASSERT_EQ(ConvertOfficeFileToPdf(TESSARO_EXCEL, source.c_str(), pdf.c_str()), TESSARO_OK);
  EXPECT_EQ(folio_test::read_file(source), before);

  // One page for "Figures", one for "Notes" (a single used row: nothing to
  // make taller, and it still prints).
  ASSERT_EQ(pdf_page_count(pdf), 2);
  EXPECT_NE(pdf_text(pdf, 2).find("Notes"), std::string::npos);

  const std::vector<PdfWord> words = pdf_words(pdf, 1);
  const PdfWord first = find_word(words, "R1C1");
  const PdfWord last_column = find_word(words, "R1C24");
  EXPECT_NEAR(last_column.y_min, first.y_min, 0.5) << "the last column is on the first row's line";
  EXPECT_NO_THROW(find_word(words, "R40C24"));

  // Cell text sits at the bottom of its row, so the distance from one
  // row's text to the next is the next row's height. Against the height of
  // the text (the page is scaled, the proportion is not): about 2.4 for a
  // row of 13 + 10 points, about 1.3 for the untouched last row.
  const double text_height = first.y_max - first.y_min;
  const double row2 = find_word(words, "R2C1").y_min - first.y_min;
  const double row40 = find_word(words, "R40C1").y_min - find_word(words, "R39C1").y_min;
  EXPECT_GT(row2 / text_height, 1.6);
  EXPECT_LT(row40 / text_height, 1.4);

  // A ruled line under each of the 40 rows, and the frame.
  EXPECT_GE(long_horizontal_lines(pdf, 1), 40);
  EXPECT_EQ(scratch.leftovers(), "");
}

// Workbooks at the edges of what a sheet holds convert: more rows than a
// sheet has columns (each row is reached through its first cell), and a row
// already so tall that 10 points more would pass the tallest a row can be
// (it stops at 409 points).
TEST(Conversion, WorkbooksAtTheSheetLimitsConvert) {
  const struct {
    const char *name;
    WorkbookLayout layout;
  } cases[] = {
      {"20000 rows", {20000, 1, false, 0, 0}},
      {"a 405-point row", {40, 2, false, 2, 405}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    OfficeScratch scratch;
    const std::string source = scratch.path("limits.xlsx");
    const std::string pdf = scratch.path("limits.pdf");
    write_workbook_xlsx(source, c.layout);

    ASSERT_EQ(ConvertOfficeFileToPdf(TESSARO_EXCEL, source.c_str(), pdf.c_str()), TESSARO_OK);
    const int pages = pdf_page_count(pdf);
    const int figures_last_page = pages - 1;  // "Notes" is the last page
    ASSERT_GE(figures_last_page, 1);
    const std::string last_row = "R" + std::to_string(c.layout.rows) + "C1";
    EXPECT_NE(pdf_text(pdf, figures_last_page).find(last_row), std::string::npos);

    if (c.layout.tall_row != 0) {
      // Unscaled (two columns fit a page), so distances are points: the
      // tall second row's text sits 409 points below the first row's.
      const std::vector<PdfWord> words = pdf_words(pdf, 1);
      EXPECT_NEAR(find_word(words, "R2C1").y_min - find_word(words, "R1C1").y_min, 409, 1.5);
    } else {
      // Every row printed: one column of 20000 rows of 23 points.
      EXPECT_GT(pages, 20000 * 23 / 842);
    }
    EXPECT_EQ(scratch.leftovers(), "");
  }
}

// A PDF path naming an open descriptor: the PDF goes into that memory file
// and under no name (nothing partial or whole appears beside the source).
TEST(Conversion, PdfIntoAnOpenDescriptorHasNoName) {
  OfficeScratch scratch;
  const std::string source = scratch.path("report.docx");
  write_report_docx(source, 2);
  const int memory = memfd_create("conversion-test", MFD_CLOEXEC);
  ASSERT_GE(memory, 0);
  const std::string into = "/dev/fd/" + std::to_string(memory);

  ASSERT_EQ(ConvertOfficeFileToPdf(TESSARO_WORD, source.c_str(), into.c_str()), TESSARO_OK);
  const std::string copy = scratch.path("copy.pdf");
  {
    folio_test::Bytes pdf(static_cast<std::size_t>(lseek(memory, 0, SEEK_END)));
    ASSERT_EQ(pread(memory, pdf.data(), pdf.size(), 0), static_cast<ssize_t>(pdf.size()));
    folio_test::write_file(copy, pdf);
  }
  close(memory);
  EXPECT_EQ(pdf_page_count(copy), 2);
  EXPECT_EQ(scratch.leftovers(), "");
}

TEST(Conversion, PresentationGivesOnePagePerSlide) {
  OfficeScratch scratch;
  const std::string source = scratch.path("slides.odp");
  const std::string pdf = scratch.path("slides.pdf");
  write_slides_odp(source, 4);
  const folio_test::Bytes before = folio_test::read_file(source);

  ASSERT_EQ(ConvertOfficeFileToPdf(TESSARO_POWERPOINT, source.c_str(), pdf.c_str()), TESSARO_OK);
  EXPECT_EQ(pdf_page_count(pdf), 4);
  for (int slide = 1; slide <= 4; ++slide)
    EXPECT_NE(pdf_text(pdf, slide).find("Slide " + std::to_string(slide) + " heading"),
              std::string::npos);
  EXPECT_EQ(folio_test::read_file(source), before);
  EXPECT_EQ(scratch.leftovers(), "");
}

// Each call has its own office, profile and pipe: two at once on two
// threads do not meet.
TEST(Conversion, TwoConversionsAtOnceDoNotMeet) {
  OfficeScratch scratch;
  const std::string report = scratch.path("report.docx");
  const std::string slides = scratch.path("slides.odp");
  write_report_docx(report, 2);
  write_slides_odp(slides, 3);
  const std::string report_pdf = scratch.path("report.pdf");
  const std::string slides_pdf = scratch.path("slides.pdf");

  int report_result = -2;
  int slides_result = -2;
  std::thread other([&] {
    slides_result = ConvertOfficeFileToPdf(TESSARO_POWERPOINT, slides.c_str(), slides_pdf.c_str());
  });
  report_result = ConvertOfficeFileToPdf(TESSARO_WORD, report.c_str(), report_pdf.c_str());
  other.join();

  EXPECT_EQ(report_result, TESSARO_OK);
  EXPECT_EQ(slides_result, TESSARO_OK);
  EXPECT_EQ(pdf_page_count(report_pdf), 2);
  EXPECT_EQ(pdf_page_count(slides_pdf), 3);
  EXPECT_EQ(scratch.leftovers(), "");
}

}  // namespace
}  // namespace tessaro_test
