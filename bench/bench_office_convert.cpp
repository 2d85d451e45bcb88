// Converting many Office documents: `folio-host convert` of twenty mixed
// documents (one office, started once and kept for all of them) against
// twenty `soffice --headless --convert-to pdf` runs on the same documents,
// each starting its office, as a portal converting uploads one at a time
// would run it. Same machine, same run. The peer keeps one profile for all
// its runs, set up before the timing starts.
//
//   bench_office_convert   8 text documents (1 to 4 pages), 6 workbooks (2
//                          worksheets, 40 x 24 cells) and 6 presentations
//                          (2 to 7 slides), made in the scratch directory
//   BENCH_DIR=dir          where scratch files go
//
// Three rounds per side, interleaved; the goal is met when both the
// medians' and the fastest rounds' ratio meet it.
#include <ftw.h>
#include <sys/stat.h>

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

constexpr int kRounds = 3;
constexpr int kTextDocuments = 8;
constexpr int kWorkbooks = 6;
constexpr int kPresentations = 6;

// The documents' paths; empty when one could not be written.
std::vector<std::string> make_documents(const std::string &folder) {
  std::vector<std::string> paths;
  try {
    for (int i = 0; i < kTextDocuments; ++i) {
      paths.push_back(folder + "/report-" + std::to_string(i) + ".docx");
      tessaro_test::write_report_docx(paths.back(), 1 + i % 4);
    }
    for (int i = 0; i < kWorkbooks; ++i) {
      paths.push_back(folder + "/figures-" + std::to_string(i) + ".xlsx");
      tessaro_test::write_workbook_xlsx(paths.back(), {});
    }
    for (int i = 0; i < kPresentations; ++i) {
      paths.push_back(folder + "/slides-" + std::to_string(i) + ".odp");
      tessaro_test::write_slides_odp(paths.back(), 2 + i);
    }
  } catch (const std::exception &error) {
    std::fprintf(stderr, "bench_office_convert: %s\n", error.what());
    return {};
  }
  return paths;
}

int remove_entry(const char *path, const struct stat *, int, struct FTW *) {
  std::remove(path);
  return 0;
}

}  // namespace

int main() {
  folio_bench::ScratchDir scratch;
  if (!scratch.ok()) return 1;
  const std::string peer_profile = scratch.directory() + "/peer-profile";
  const std::string peer_folder = scratch.directory() + "/peer-pdf";
  const std::string ours_folder = scratch.directory() + "/ours-pdf";
  const std::string log = scratch.path("office.log");
  const std::vector<std::string> documents = make_documents(scratch.directory());
  if (documents.empty() || ::mkdir(ours_folder.c_str(), 0700) != 0) return 1;

  std::vector<std::string> ours_command = {FOLIO_BENCH_HOST, "convert"};
  ours_command.insert(ours_command.end(), documents.begin(), documents.end());
  ours_command.insert(ours_command.end(), {"--out", ours_folder});
  const auto peer_command = [&](const std::string &document) {
    return std::vector<std::string>{"soffice",      "--headless",
                                    "-env:UserInstallation=file://" + peer_profile,
                                    "--convert-to", "pdf",
                                    "--outdir",     peer_folder,
                                    document};
  };

  // Untimed: the peer's profile is set up, both read the office's files
  // into the page cache.
  if (!folio_bench::run_child(peer_command(documents.front()), log).succeeded() ||
      !folio_bench::run_child(ours_command, log).succeeded()) {
    std::fprintf(stderr, "bench_office_convert: a conversion failed (see %s)\n", log.c_str());
    return 1;
  }

  RatioReport report;
  RatioReport::section("converting 20 Office documents to PDF");
  Samples ours;
  Samples peer;
  for (int round = 0; round < kRounds; ++round) {
    for (int turn = 0; turn < 2; ++turn) {
      const bool our_turn = (round + turn) % 2 == 0;
      double seconds = 0;
      for (const std::string &document : documents) {
        const folio_bench::ChildRun run =
            folio_bench::run_child(our_turn ? ours_command : peer_command(document), log);
        if (!run.succeeded()) {
          std::fprintf(stderr, "bench_office_convert: a conversion failed (see %s)\n",
                       log.c_str());
          return 1;
        }
        seconds += run.seconds;
        if (our_turn) break;  // one run converts them all
      }
      (our_turn ? ours : peer).add(seconds);
    }
  }
  report.ratio("20 documents: folio-host convert vs 20 x soffice --convert-to pdf", ours, peer,
               Figure::of("folio-host convert (one office)", ours, "s", 2),
               Figure::of("20 x soffice --convert-to pdf", peer, "s", 2),
               Goal{Goal::at_most, 0.4});
  for (const std::string &folder : {peer_profile, peer_folder, ours_folder})
    nftw(folder.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS);
  report.summary("bench_office_convert");
  return 0;
}
