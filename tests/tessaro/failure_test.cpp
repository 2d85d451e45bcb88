// Conversions that must fail (-1): those that need no office fail before
// one is started; the others end their office. None leaves a profile, a
// process or a pipe behind, and no source file is changed.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <random>

#include "support/fake_installation.h"
#include "support/files.h"
#include "support/office_fixtures.h"
#include "support/office_scratch.h"
#include "tessaro.h"
#include "uno/time_limit.h"

namespace tessaro_test {
namespace {

using Clock = std::chrono::steady_clock;

// Conversions that must fail before an office is started run against a
// stand-in installation, whose office program notes it was started.
class WithoutAnOffice {
 public:
  explicit WithoutAnOffice(OfficeScratch &scratch, const FakeComponents &components = {})
      : root_(make(scratch.path("office"), components)), override_(root_) {}
  bool officeStarted() const { return fake_office_started(root_); }

 private:
  static std::string make(const std::string &root, const FakeComponents &components) {
    make_fake_installation(root, components);
    return root;
  }
  std::string root_;
  InstallationRootOverride override_;
};

TEST(ConversionFailure, UnknownTypesFailWithoutAnOffice) {
  OfficeScratch scratch;
  const std::string source = scratch.path("report.docx");
  const std::string pdf = scratch.path("report.pdf");
  write_report_docx(source, 1);
  WithoutAnOffice office(scratch);
  for (int type : {3, -1, 100})
    EXPECT_EQ(ConvertOfficeFileToPdf(type, source.c_str(), pdf.c_str()), TESSARO_FAILED) << type;
  EXPECT_FALSE(office.officeStarted());
  EXPECT_FALSE(folio_test::file_exists(pdf));
  EXPECT_EQ(scratch.leftovers(), "");
}

TEST(ConversionFailure, UnreadableSourceFailsWithoutAnOffice) {
  OfficeScratch scratch;
  const std::string pdf = scratch.path("out.pdf");
  const std::string missing = scratch.path("missing.docx");
  const std::string folder = scratch.path("offices");
  WithoutAnOffice office(scratch);
  EXPECT_EQ(ConvertOfficeFileToPdf(TESSARO_WORD, missing.c_str(), pdf.c_str()), TESSARO_FAILED);
  EXPECT_EQ(ConvertOfficeFileToPdf(TESSARO_EXCEL, folder.c_str(), pdf.c_str()), TESSARO_FAILED);
  EXPECT_EQ(ConvertOfficeFileToPdf(TESSARO_WORD, nullptr, pdf.c_str()), TESSARO_FAILED);
  EXPECT_EQ(ConvertOfficeFileToPdf(TESSARO_WORD, missing.c_str(), nullptr), TESSARO_FAILED);
  EXPECT_EQ(ConvertOfficeFileToPdf(TESSARO_WORD, "", pdf.c_str()), TESSARO_FAILED);
  EXPECT_FALSE(office.officeStarted());
  EXPECT_FALSE(folio_test::file_exists(pdf));
  EXPECT_EQ(scratch.leftovers(), "");
}

// A PDF path that is the document itself (under any name) would replace
// the user's document; an empty file would become a blank page. Both fail
// before an office is started, and the document keeps every byte.
TEST(ConversionFailure, PdfOverTheSourceOrAnEmptySourceFailsWithoutAnOffice) {
  struct Case {
    const char *what;
    int type;
    const char *source;  // in the scratch folder; "d/" exists
    const char *pdf;     // empty: a hard link to the source
    bool empty;
  };
  const Case cases[] = {
      {"same path", TESSARO_WORD, "s.docx", "s.docx", false},
      {"same path", TESSARO_EXCEL, "s.xlsx", "s.xlsx", false},
      {"through ..", TESSARO_POWERPOINT, "d/s.pptx", "d/../d/s.pptx", false},
      {"hard link", TESSARO_WORD, "t.docx", "", false},
      {"empty", TESSARO_WORD, "e.docx", "e.pdf", true},
      {"empty", TESSARO_EXCEL, "e.xlsx", "e.pdf", true},
      {"empty", TESSARO_POWERPOINT, "e.pptx", "e.pdf", true},
  };
  OfficeScratch scratch;
  ASSERT_EQ(mkdir(scratch.path("d").c_str(), 0700), 0);
  WithoutAnOffice office(scratch);
  for (const Case &test : cases) {
    SCOPED_TRACE(std::string(test.what) + ": " + test.source);
    const std::string source = scratch.path(test.source);
    if (test.empty)
      folio_test::write_file(source, {});
    else
      write_report_docx(source, 1);
    const folio_test::Bytes before = folio_test::read_file(source);
    std::string pdf = scratch.path(test.pdf);
    if (*test.pdf == '\0') {
      pdf = source + ".link.pdf";
      ASSERT_EQ(link(source.c_str(), pdf.c_str()), 0);
    }
    EXPECT_EQ(ConvertOfficeFileToPdf(test.type, source.c_str(), pdf.c_str()), TESSARO_FAILED);
    EXPECT_EQ(folio_test::read_file(source), before) << "the document was changed";
    if (test.empty) {
      EXPECT_FALSE(folio_test::file_exists(pdf));
    }
  }
  EXPECT_FALSE(office.officeStarted());
  EXPECT_EQ(scratch.leftovers(), "");
}

TEST(ConversionFailure, ComponentNotInstalledFailsWithoutAnOffice) {
  OfficeScratch scratch;
  const std::string source = scratch.path("figures.xlsx");
  const std::string pdf = scratch.path("figures.pdf");
  write_workbook_xlsx(source, {});
  WithoutAnOffice installed_without_calc(scratch, {true, false, true});

  EXPECT_EQ(ConvertOfficeFileToPdf(TESSARO_EXCEL, source.c_str(), pdf.c_str()), TESSARO_FAILED);
  EXPECT_FALSE(installed_without_calc.officeStarted());
  EXPECT_EQ(scratch.leftovers(), "");
}

// An office that never answers (a dialog, a damaged file) is killed when
// the time limit passes.
TEST(ConversionFailure, OfficeThatNeverAnswersIsEndedAtTheTimeLimit) {
  OfficeScratch scratch;
  const std::string root = scratch.path("office");
  make_fake_installation(root, {});
  const std::string source = scratch.path("report.docx");
  const std::string pdf = scratch.path("report.pdf");
  write_report_docx(source, 1);
  InstallationRootOverride never_answering(root);
  const auto saved_limit = tessaro::uno_backend::conversion_time_limit();
  tessaro::uno_backend::set_conversion_time_limit(std::chrono::milliseconds(500));

  const auto start = Clock::now();
  const int result = ConvertOfficeFileToPdf(TESSARO_WORD, source.c_str(), pdf.c_str());
  const auto elapsed = Clock::now() - start;
  tessaro::uno_backend::set_conversion_time_limit(saved_limit);

  EXPECT_EQ(result, TESSARO_FAILED);
  EXPECT_GE(elapsed, std::chrono::milliseconds(500));
  // Ended by the limit, not by the stand-in's own minute.
  EXPECT_LT(elapsed, std::chrono::seconds(30));
  EXPECT_EQ(scratch.leftovers(), "");
}

// The office is started for these; each still fails and ends it.
TEST(ConversionFailure, FileThatIsNoDocumentFails) {
  OfficeScratch scratch;
  const std::string source = scratch.path("notes.docx");
  const std::string pdf = scratch.path("notes.pdf");
  folio_test::Bytes noise(4096);
  std::mt19937 random(11);
  for (auto &b : noise) b = static_cast<unsigned char>(random());
  folio_test::write_file(source, noise);

  EXPECT_EQ(ConvertOfficeFileToPdf(TESSARO_WORD, source.c_str(), pdf.c_str()), TESSARO_FAILED);
  EXPECT_FALSE(folio_test::file_exists(pdf));
  EXPECT_EQ(scratch.leftovers(), "");
}

TEST(ConversionFailure, PasswordProtectedDocumentFails) {
  OfficeScratch scratch;
  const std::string source = scratch.path("locked.odt");
  const std::string pdf = scratch.path("locked.pdf");
  write_protected_odt(source);

  EXPECT_EQ(ConvertOfficeFileToPdf(TESSARO_WORD, source.c_str(), pdf.c_str()), TESSARO_FAILED);
  EXPECT_FALSE(folio_test::file_exists(pdf));
  EXPECT_EQ(scratch.leftovers(), "");
}

// The document is open, and editable, when the export fails: the office
// must not leave its lock file beside it.
TEST(ConversionFailure, UnwritablePdfPathFails) {
  OfficeScratch scratch;
  const std::string source = scratch.path("report.docx");
  write_report_docx(source, 1);
  // A folder that is a file: not writable, even for root.
  const std::string pdf = source + "/report.pdf";

  EXPECT_EQ(ConvertOfficeFileToPdf(TESSARO_WORD, source.c_str(), pdf.c_str()), TESSARO_FAILED);
  EXPECT_EQ(scratch.leftovers(), "");
}

// The office writes the PDF under a temporary name that is renamed into
// place; here the rename fails (a folder stands at the PDF's path), and the
// written file must not stay behind.
TEST(ConversionFailure, PdfThatCannotBePutInPlaceLeavesNoPartialFile) {
  OfficeScratch scratch;
  const std::string source = scratch.path("report.docx");
  write_report_docx(source, 1);
  const std::string pdf = scratch.path("taken.pdf");
  ASSERT_EQ(::mkdir(pdf.c_str(), 0700), 0);

  EXPECT_EQ(ConvertOfficeFileToPdf(TESSARO_WORD, source.c_str(), pdf.c_str()), TESSARO_FAILED);
  EXPECT_EQ(scratch.leftovers(), "");
}

TEST(ConversionFailure, WorkbookWithAChartSheetFailsAndStaysUnchanged) {
  OfficeScratch scratch;
  const std::string source = scratch.path("chart.xlsx");
  const std::string pdf = scratch.path("chart.pdf");
  WorkbookLayout layout;
  layout.chart_sheet = true;
  write_workbook_xlsx(source, layout);
  const folio_test::Bytes before = folio_test::read_file(source);

  EXPECT_EQ(ConvertOfficeFileToPdf(TESSARO_EXCEL, source.c_str(), pdf.c_str()), TESSARO_FAILED);
  EXPECT_FALSE(folio_test::file_exists(pdf));
  EXPECT_EQ(folio_test::read_file(source), before);
  EXPECT_EQ(scratch.leftovers(), "");
}

}  // namespace
}  // namespace tessaro_test
