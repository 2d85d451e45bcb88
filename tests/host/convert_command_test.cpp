// convert: many Office documents through one office, each PDF beside its
// document or in --out, a line per document, status 1 when any failed.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <set>

#include "host_process.h"
#include "support/files.h"
#include "support/office_fixtures.h"
#include "support/office_scratch.h"
#include "support/pdf_facts.h"

namespace host_test {
namespace {

using folio_test::folder_entries;

std::set<std::string> names_in(const std::string &folder) {
  const std::vector<std::string> names = folder_entries(folder);
  return std::set<std::string>(names.begin(), names.end());
}

void write_damaged(const std::string &path) { folio_test::write_text(path, "PK\x03\x04 no document"); }

// One run over a folder and a file: the documents of the folder convert,
// the file whose PDF name the folder's report already takes fails, and so
// does the damaged document; nothing else appears in --out, on a terminal
// a progress line is drawn and wiped.
TEST(ConvertCommand, ConvertsAFolderAndFilesIntoOneOutputFolder) {
  tessaro_test::OfficeScratch scratch;
  const std::string in = scratch.path("in"), other = scratch.path("other"),
                    out = scratch.path("out");
  for (const std::string &folder : {in, other, out}) ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
  tessaro_test::write_report_docx(in + "/report.docx", 2);
  tessaro_test::write_workbook_xlsx(in + "/figures.xlsx", {});
  tessaro_test::write_slides_odp(in + "/slides.odp", 3);
  write_damaged(in + "/damaged.docx");
  folio_test::write_text(in + "/notes.txt", "not an Office document");
  tessaro_test::write_report_docx(other + "/report.docx", 1);

  RunOptions options;
  options.stderr_on_terminal = true;
  const RunResult run = run_host({"convert", in, other + "/report.docx", "--out", out}, options);
  EXPECT_EQ(run.exit_code, 1) << run.err;

  EXPECT_EQ(names_in(out), (std::set<std::string>{"report.pdf", "figures.pdf", "slides.pdf"}));
  EXPECT_EQ(names_in(in), (std::set<std::string>{"report.docx", "figures.xlsx", "slides.odp",
                                                 "damaged.docx", "notes.txt"}));
  const struct {
    const char *pdf;
    int pages;
    const char *text;
  } pdfs[] = {{"report.pdf", 2, "Page 2 of the report"},
              {"figures.pdf", 2, "R40C24"},
              {"slides.pdf", 3, "Slide 3 heading"}};
  for (const auto &p : pdfs) {
    SCOPED_TRACE(p.pdf);
    EXPECT_EQ(tessaro_test::pdf_page_count(out + "/" + p.pdf), p.pages);
    EXPECT_NE(tessaro_test::pdf_text(out + "/" + p.pdf).find(p.text), std::string::npos);
    EXPECT_NE(run.out.find(" -> " + out + "/" + p.pdf + "\n"), std::string::npos) << run.out;
  }
  EXPECT_NE(run.err.find(in + "/damaged.docx: the office cannot open it"), std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find(other + "/report.docx: its PDF " + out +
                         "/report.pdf is already the one made of " + in + "/report.docx"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("\rconverting 5 documents: "), std::string::npos) << run.err;
  EXPECT_EQ(run.err.back(), '\r') << "the progress line must be wiped at the end";
  EXPECT_EQ(scratch.leftovers(), "");
}

// What cannot be converted is reported before any office is asked: each
// operand fails with its reason, and nothing is written.
TEST(ConvertCommand, OperandsThatAreNoDocumentsFailEachWithItsReason) {
  tessaro_test::OfficeScratch scratch;
  const std::string empty_folder = scratch.path("empty");
  ASSERT_EQ(::mkdir(empty_folder.c_str(), 0700), 0);
  folio_test::write_text(scratch.path("notes.txt"), "text");
  folio_test::write_text(scratch.path("blank.docx"), "");
  const struct {
    std::string operand;
    const char *reason;
  } cases[] = {
      {scratch.path("notes.txt"), "is not an Office document"},
      {empty_folder, "holds no Office documents"},
      {scratch.path("missing.docx"), "No such file or directory"},
      {scratch.path("blank.docx"), "is empty"},
  };
  std::vector<std::string> arguments = {"convert"};
  for (const auto &c : cases) arguments.push_back(c.operand);
  const RunResult run = run_host(arguments);
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.out, "");
  for (const auto &c : cases)
    EXPECT_NE(run.err.find(c.operand + ": " + c.reason), std::string::npos) << run.err;
  EXPECT_FALSE(folio_test::file_exists(scratch.path("blank.pdf")));
  EXPECT_EQ(run_host({"convert", scratch.path("blank.docx"), "--out", scratch.path("notes.txt")})
                .exit_code,
            1);
  EXPECT_EQ(scratch.leftovers(), "");
}

}  // namespace
}  // namespace host_test
