// protect with an Office document: converted and protected in one step, the
// clear PDF made in memory only, and unprotect giving back that PDF.
#include <gtest/gtest.h>

#include <set>

#include "host_process.h"
#include "support/files.h"
#include "support/office_fixtures.h"
#include "support/office_scratch.h"
#include "support/pdf_facts.h"

namespace host_test {
namespace {

std::set<std::string> entries_of(const std::string &folder) {
  const std::vector<std::string> names = folio_test::folder_entries(folder);
  return std::set<std::string>(names.begin(), names.end());
}

// Each kind of Office document: the protected file and its key appear
// beside the source and nothing else does; unprotected, it is the PDF of
// the document.
TEST(ProtectOffice, ConvertsAndProtectsInOneStep) {
  const struct {
    const char *file;
    void (*make)(const std::string &);
    int pages;
    const char *text;
  } cases[] = {
      {"minutes.docx", [](const std::string &p) { tessaro_test::write_report_docx(p, 2); }, 2,
       "Page 2 of the report"},
      {"figures.xlsx", [](const std::string &p) { tessaro_test::write_workbook_xlsx(p, {}); }, 2,
       "R40C24"},
      {"slides.odp", [](const std::string &p) { tessaro_test::write_slides_odp(p, 3); }, 3,
       "Slide 3 heading"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.file);
    tessaro_test::OfficeScratch scratch;
    const std::string folder = scratch.path("in");
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    const std::string source = folder + "/" + c.file;
    c.make(source);

    const RunResult protect = run_host({"protect", source, folder + "/doc.fpd"});
    ASSERT_EQ(protect.exit_code, 0) << protect.err;
    EXPECT_EQ(entries_of(folder), (std::set<std::string>{c.file, "doc.fpd", "doc.fpd.key"}));

    const std::string pdf = scratch.path("clear.pdf");
    const RunResult unprotect =
        run_host({"unprotect", folder + "/doc.fpd", pdf, "--key-file", folder + "/doc.fpd.key"});
    ASSERT_EQ(unprotect.exit_code, 0) << unprotect.err;
    EXPECT_EQ(tessaro_test::pdf_page_count(pdf), c.pages);
    EXPECT_NE(tessaro_test::pdf_text(pdf).find(c.text), std::string::npos);
    EXPECT_EQ(scratch.leftovers(), "");
  }
}

// A document the office cannot read fails the whole step: no protected
// file, no key file.
TEST(ProtectOffice, DocumentThatCannotBeConvertedLeavesNothing) {
  tessaro_test::OfficeScratch scratch;
  const std::string folder = scratch.path("in");
  ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
  const std::string source = folder + "/broken.docx";
  FILE *file = std::fopen(source.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fputs("PK\x03\x04 this is no document", file);
  std::fclose(file);

  const RunResult protect = run_host({"protect", source, folder + "/doc.fpd"});
  EXPECT_NE(protect.exit_code, 0);
  EXPECT_NE(protect.err.find("could not be converted to PDF"), std::string::npos) << protect.err;
  EXPECT_EQ(entries_of(folder), (std::set<std::string>{"broken.docx"}));
  EXPECT_EQ(scratch.leftovers(), "");
}

}  // namespace
}  // namespace host_test
