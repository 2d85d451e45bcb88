// Converting Office documents to PDF: Brevint (ConvertOfficeFileToPdf in a
// process of its own, starting its office in a fresh private profile)
// against LibreOffice's own `soffice --headless --convert-to pdf` on the
// same document in the same run, one process per conversion on both
// sides. The peer keeps one profile for all its runs, set up before the
// timing starts, as a user's installation would be; ours makes a new one
// every time, by design.
//
//   bench_office           a text document (3 pages), a workbook (2
//                          worksheets, 40 x 24 cells), workbooks of 1,000,
//                          16,000 and 50,000 used rows (8 columns; their
//                          row work is the part that grows) and a
//                          presentation (4 slides), made in the scratch
//                          directory
//   bench_office TEXT      only the documents whose title holds TEXT
//                          ("rows": the long workbooks)
//   BENCH_DIR=dir          where scratch files go
//
// Each side runs five times per document, interleaved, starting with a side
// chosen in turn; the goal is met when both the medians' and the fastest
// runs' ratio meet it.
#include <ftw.h>

#include <cstdio>
#include <string>
#include <vector>

#include "child_process.h"
#include "ratio_report.h"
#include "scratch_files.h"
#include "support/office_fixtures.h"

namespace {

using folio_bench::Figure;
using folio_bench::Goal;
using folio_bench::RatioReport;
using folio_bench::Samples;

constexpr int kRounds = 5;

struct Document {
  const char *title;
  const char *file;
  int office_type;
  int workbook_rows;  // 0: the default workbook
};

constexpr int kLongWorkbookColumns = 8;

constexpr Document kDocuments[] = {
    {"text document, 3 pages", "report.docx", 0, 0},
    {"workbook, 2 worksheets", "figures.xlsx", 1, 0},
    {"workbook, 1,000 rows", "rows-1000.xlsx", 1, 1000},
    {"workbook, 16,000 rows", "rows-16000.xlsx", 1, 16000},
    {"workbook, 50,000 rows", "rows-50000.xlsx", 1, 50000},
    {"presentation, 4 slides", "slides.odp", 2, 0},
};

bool make_document(const Document &document, const std::string &path) {
  try {
    switch (document.office_type) {
      case 0: tessaro_test::write_report_docx(path, 3); break;
      case 1: {
        tessaro_test::WorkbookLayout layout;
        if (document.workbook_rows != 0) {
          layout.rows = document.workbook_rows;
          layout.columns = kLongWorkbookColumns;
        }
        tessaro_test::write_workbook_xlsx(path, layout);
        break;
      }
      default: tessaro_test::write_slides_odp(path, 4); break;
    }
  } catch (const std::exception &error) {
    std::fprintf(stderr, "bench_office: %s\n", error.what());
    return false;
  }
  return true;
}

int remove_entry(const char *path, const struct stat *, int, struct FTW *) {
  std::remove(path);
  return 0;
}

}  // namespace

int main(int argc, char **argv) {
  const std::string only = argc > 1 ? argv[1] : "";
  folio_bench::ScratchDir scratch;
  if (!scratch.ok()) return 1;
  const std::string peer_profile = scratch.directory() + "/peer-profile";
  const std::string peer_folder = scratch.directory() + "/peer-pdf";
  const std::string log = scratch.path("office.log");

  RatioReport report;
  RatioReport::section("converting Office documents to PDF");
  int status = 0;
  for (const Document &document : kDocuments) {
    if (std::string(document.title).find(only) == std::string::npos) continue;
    const std::string source = scratch.path(document.file);
    const std::string stem = std::string(document.file).substr(0, std::string(document.file).find('.'));
    const std::string ours_pdf = scratch.path(stem + ".pdf");
    if (!make_document(document, source)) return 1;

    const std::vector<std::string> ours_command = {FOLIO_BENCH_BREVINT,
                                                   std::to_string(document.office_type), source,
                                                   ours_pdf};
    const std::vector<std::string> peer_command = {
        "soffice", "--headless", "-env:UserInstallation=file://" + peer_profile, "--convert-to",
        "pdf", "--outdir", peer_folder, source};

    // Untimed: the peer's profile is set up, both read the office's files
    // into the page cache.
    if (!folio_bench::run_child(peer_command, log).succeeded() ||
        !folio_bench::run_child(ours_command, log).succeeded()) {
      std::fprintf(stderr, "bench_office: converting %s failed (see %s)\n", document.file,
                   log.c_str());
      status = 1;
      break;
    }

    Samples ours;
    Samples peer;
    for (int round = 0; round < kRounds; ++round) {
      for (int turn = 0; turn < 2; ++turn) {
        const bool our_turn = (round + turn) % 2 == 0;
        const folio_bench::ChildRun run =
            folio_bench::run_child(our_turn ? ours_command : peer_command, log);
        if (!run.succeeded()) {
          std::fprintf(stderr, "bench_office: a conversion of %s failed\n", document.file);
          return 1;
        }
        (our_turn ? ours : peer).add(run.seconds);
      }
    }
    report.ratio(std::string(document.title) + ": Brevint vs soffice --convert-to pdf", ours,
                 peer, Figure::of("Brevint (fresh profile)", ours, "s", 3),
                 Figure::of("soffice --convert-to pdf", peer, "s", 3), Goal{Goal::at_most, 1.2});
  }
  nftw(peer_profile.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS);
  nftw(peer_folder.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS);
  report.summary("bench_office");
  return status;
}
