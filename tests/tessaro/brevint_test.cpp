// Brevint as a user runs it: its label byte for byte, its exit code, and a
// real conversion.
#include <gtest/gtest.h>

#include "support/command.h"
#include "support/files.h"
#include "support/office_fixtures.h"
#include "support/office_scratch.h"
#include "support/pdf_facts.h"

namespace tessaro_test {
namespace {

// -1 as a process status.
constexpr int kFailedStatus = 255;

TEST(Brevint, WritesTheLabelAndArgumentsVerbatimWithoutLineEnd) {
  OfficeScratch scratch;
  // Type 3 converts nothing: the label alone, then failure.
  const CommandResult run = run_command({BREVINT, "3", "a%s%n.docx", "100%d.pdf"});
  EXPECT_EQ(run.out, "Pardine: 3a%s%n.docx100%d.pdf");
  EXPECT_EQ(run.exit_code, kFailedStatus);
  EXPECT_EQ(scratch.leftovers(), "");
}

TEST(Brevint, ConvertsAndExitsWithTheConversionResult) {
  OfficeScratch scratch;
  write_report_docx(scratch.path("report.docx"), 2);
  // Relative paths, against Brevint's working folder.
  const CommandResult run =
      run_command({BREVINT, "0", "report.docx", "report.pdf"}, scratch.path(""));
  EXPECT_EQ(run.out, "Pardine: 0report.docxreport.pdf");
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(pdf_page_count(scratch.path("report.pdf")), 2);
  EXPECT_NE(pdf_text(scratch.path("report.pdf")).find("Page 2 of the report"), std::string::npos);
}

// "Word" is no number: it reads as 0, so the text document converts.
TEST(Brevint, TypeThatIsNoNumberReadsAsWord) {
  OfficeScratch scratch;
  write_report_docx(scratch.path("memo.docx"), 1);
  const std::string pdf = scratch.path("memo.pdf");
  const CommandResult run = run_command({BREVINT, "Word", scratch.path("memo.docx"), pdf});
  EXPECT_EQ(run.out, "Pardine: Word" + scratch.path("memo.docx") + pdf);
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(pdf_page_count(pdf), 1);
}

}  // namespace
}  // namespace tessaro_test
