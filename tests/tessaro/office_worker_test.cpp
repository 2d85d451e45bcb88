// One office kept for many documents (tessaro::OfficeWorker): the results
// of ConvertOfficeFileToPdf from a single office start, nothing of one
// document reaching the next, and an office that is killed or hangs
// failing only its own document.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <thread>

#include "support/files.h"
#include "support/office_fixtures.h"
#include "support/office_scratch.h"
#include "support/pdf_facts.h"
#include "support/wait.h"
#include "tessaro.h"
#include "uno/office_worker.h"
#include "uno/time_limit.h"

namespace tessaro_test {
namespace {

using Clock = std::chrono::steady_clock;

// A workbook row's height against its text's: about 2.4 for the default
// 13 points made 10 taller once (twice would be about 3.2).
double second_row_proportion(const std::string &pdf) {
  const std::vector<PdfWord> words = pdf_words(pdf, 1);
  const PdfWord first = find_word(words, "R1C1");
  return (find_word(words, "R2C1").y_min - first.y_min) / (first.y_max - first.y_min);
}

// Whether the office's private copy of the workbook `name` exists: from
// just before the workbook loads until its conversion is over.
bool converting_workbook(const OfficeScratch &scratch, const std::string &name) {
  for (const std::string &office : folio_test::folder_entries(scratch.offices_folder()))
    for (const std::string &copy : folio_test::folder_entries(scratch.offices_folder() + "/" + office + "/tmp"))
      if (folio_test::file_exists(scratch.offices_folder() + "/" + office + "/tmp/" + copy + "/" + name))
        return true;
  return false;
}

TEST(OfficeWorker, ConvertsDocumentAfterDocumentInOneOffice) {
  OfficeScratch scratch;
  write_report_docx(scratch.path("report.docx"), 2);
  write_workbook_xlsx(scratch.path("figures.xlsx"), {});
  write_slides_odp(scratch.path("slides.odp"), 3);
  write_protected_odt(scratch.path("locked.odt"));
  const folio_test::Bytes workbook = folio_test::read_file(scratch.path("figures.xlsx"));

  const struct {
    const char *source;
    int type;
    int pages;        // 0: the conversion fails
    const char *text; // on the PDF, or in the reason it failed
  } documents[] = {
      {"report.docx", TESSARO_WORD, 2, "Page 2 of the report"},
      {"figures.xlsx", TESSARO_EXCEL, 2, "R40C24"},
      {"locked.odt", TESSARO_WORD, 0, "cannot open it as a text document"},
      {"slides.odp", TESSARO_POWERPOINT, 3, "Slide 3 heading"},
      // Again, after the others: its rows are made taller from scratch.
      {"figures.xlsx", TESSARO_EXCEL, 2, "R40C24"},
  };
  {
    tessaro::OfficeWorker office;
    int index = 0;
    for (const auto &d : documents) {
      SCOPED_TRACE(d.source);
      const std::string pdf = scratch.path(std::to_string(index++) + ".pdf");
      const tessaro::DocumentResult result =
          office.convert(d.type, scratch.path(d.source), pdf);
      // Its clear copy is not left for the next document to find.
      EXPECT_FALSE(converting_workbook(scratch, d.source));
      if (d.pages == 0) {
        EXPECT_FALSE(result.converted);
        EXPECT_NE(result.reason.find(d.text), std::string::npos) << result.reason;
        EXPECT_FALSE(folio_test::file_exists(pdf));
        continue;
      }
      ASSERT_TRUE(result.converted) << result.reason;
      EXPECT_EQ(pdf_page_count(pdf), d.pages);
      EXPECT_NE(pdf_text(pdf).find(d.text), std::string::npos);
      if (d.type == TESSARO_EXCEL) {
        // One page wide, each row but the last 10 points taller, gridlines.
        const std::vector<PdfWord> words = pdf_words(pdf, 1);
        EXPECT_NEAR(find_word(words, "R1C24").y_min, find_word(words, "R1C1").y_min, 0.5);
        EXPECT_GT(second_row_proportion(pdf), 1.6);
        EXPECT_LT(second_row_proportion(pdf), 2.9);
        EXPECT_GE(long_horizontal_lines(pdf, 1), 40);
      }
    }
    EXPECT_EQ(office.offices_started(), 1);
  }
  EXPECT_EQ(folio_test::read_file(scratch.path("figures.xlsx")), workbook);
  EXPECT_EQ(scratch.leftovers(), "");
}

// Sends `signal_number` to the office once it is converting the workbook
// `name`; false when that did not happen in time.
bool signal_office_while_converting(const OfficeScratch &scratch, const std::string &name,
                                    int signal_number) {
  const auto deadline = Clock::now() + folio_test::kGenerousDeadline;
  while (!converting_workbook(scratch, name)) {
    if (Clock::now() > deadline) return false;
    std::this_thread::yield();
  }
  bool sent = false;
  for (const auto &process : scratch.processes())
    if (process.second.find("soffice.bin") != std::string::npos)
      sent = ::kill(process.first, signal_number) == 0 || sent;
  return sent;
}

// The office killed (kill -9) in the middle of a large workbook, then a
// fresh one hung (stopped) in the middle of another: each fails its own
// document with the reason, and the next document converts in a new office.
TEST(OfficeWorker, OfficeKilledOrHungFailsOnlyItsDocument) {
  OfficeScratch scratch;
  WorkbookLayout large;
  large.rows = 4000;
  write_workbook_xlsx(scratch.path("killed.xlsx"), large);
  write_workbook_xlsx(scratch.path("hung.xlsx"), large);
  write_report_docx(scratch.path("report.docx"), 1);
  const auto saved_limit = tessaro::uno_backend::conversion_time_limit();

  const struct {
    const char *source;
    int type;
    int signal_number;   // sent to the office mid-conversion; 0: none
    int limit_seconds;   // the document's time limit
    const char *reason;  // empty: converted
  } documents[] = {
      {"report.docx", TESSARO_WORD, 0, 120, ""},
      {"killed.xlsx", TESSARO_EXCEL, SIGKILL, 120, "the office ended while converting it"},
      {"hung.xlsx", TESSARO_EXCEL, SIGSTOP, 5, "did not finish it within 5 s"},
      {"report.docx", TESSARO_WORD, 0, 120, ""},
  };
  {
    tessaro::OfficeWorker office;
    for (const auto &d : documents) {
      SCOPED_TRACE(d.source);
      tessaro::uno_backend::set_conversion_time_limit(std::chrono::seconds(d.limit_seconds));
      bool signalled = false;
      std::thread signaller;
      if (d.signal_number != 0)
        signaller = std::thread([&] {
          signalled = signal_office_while_converting(scratch, d.source, d.signal_number);
        });
      const tessaro::DocumentResult result =
          office.convert(d.type, scratch.path(d.source), scratch.path("out.pdf"));
      if (signaller.joinable()) signaller.join();
      if (d.signal_number != 0) {
        EXPECT_TRUE(signalled) << "the office was never caught converting it";
        EXPECT_FALSE(result.converted);
        EXPECT_NE(result.reason.find(d.reason), std::string::npos) << result.reason;
      } else {
        EXPECT_TRUE(result.converted) << result.reason;
        EXPECT_EQ(pdf_page_count(scratch.path("out.pdf")), 1);
      }
    }
    EXPECT_EQ(office.offices_started(), 3);
  }
  tessaro::uno_backend::set_conversion_time_limit(saved_limit);
  EXPECT_TRUE(folio_test::wait_until([&] { return scratch.leftovers().empty(); }))
      << scratch.leftovers();
}

}  // namespace
}  // namespace tessaro_test
