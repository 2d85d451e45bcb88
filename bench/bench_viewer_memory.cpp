// Peak memory of opening a protected PDF and rendering its first page,
// against the document's size: the viewer's block callback deciphers only
// what PDFium asks for, so a document a hundred times larger should cost
// no more than a little bookkeeping. Each document is opened by a fresh
// child (bench_viewer_child) and its ru_maxrss compared; the two documents
// share the same first page, so any growth comes from the file's size.
//
//   bench_viewer_memory SMALL.pdf LARGE.pdf     (clear PDFs; enciphered
//                                                here into the scratch
//                                                directory, see
//                                                scratch_files.h)
//
// Not linked with the viewer or Qt: the process that forks the children
// must stay smaller than they are (see child_process.h).
//
// Exit status: 0 with the goal reported, met or MISSED; 1 when a child
// could not open or render its document.
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "child_process.h"
#include "protected_copy.h"
#include "ratio_report.h"
#include "scratch_files.h"

namespace {

using folio_bench::Figure;
using folio_bench::Goal;
using folio_bench::RatioReport;
using folio_bench::Samples;

constexpr int kRuns = 3;
constexpr double kGrowthGoalMiB = 8;

double file_mib(const std::string &path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 ? static_cast<double>(status.st_size) / (1 << 20) : 0;
}

// Peak resident MiB of kRuns children opening the document; empty when one
// of them failed.
Samples peak_mib(const std::string &protected_path, const std::string &log_path) {
  Samples peaks;
  for (int run = 0; run < kRuns; ++run) {
    const folio_bench::ChildRun child =
        folio_bench::run_child({FOLIO_BENCH_VIEWER_CHILD, protected_path}, log_path);
    if (!child.succeeded()) {
      std::fprintf(stderr, "bench_viewer_memory: %s failed (exit %d); see %s\n",
                   protected_path.c_str(), child.exit_code, log_path.c_str());
      return Samples{};
    }
    peaks.add(static_cast<double>(child.max_rss_kib) / 1024);
  }
  return peaks;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: bench_viewer_memory SMALL.pdf LARGE.pdf\n");
    return 1;
  }
  folio_bench::ScratchDir scratch;
  if (!scratch.ok()) {
    std::fprintf(stderr, "bench_viewer_memory: no scratch directory\n");
    return 1;
  }
  const std::string small = scratch.path("small-protected.pdf");
  const std::string large = scratch.path("large-protected.pdf");
  if (!folio_bench::write_protected_copy(argv[1], small) ||
      !folio_bench::write_protected_copy(argv[2], large)) {
    std::fprintf(stderr, "bench_viewer_memory: could not encipher %s and %s\n", argv[1], argv[2]);
    return 1;
  }
  const std::string log = scratch.path("viewer-child.log");

  RatioReport::section("Peak memory: open + first page, against the document's size");
  const Samples small_peaks = peak_mib(small, log);
  const Samples large_peaks = small_peaks.empty() ? Samples{} : peak_mib(large, log);
  if (large_peaks.empty()) return 1;

  char small_label[64], large_label[64];
  std::snprintf(small_label, sizeof small_label, "viewer, %.1f MiB PDF", file_mib(small));
  std::snprintf(large_label, sizeof large_label, "viewer, %.1f MiB PDF", file_mib(large));
  RatioReport report;
  report.excess("ru_maxrss growth from the small to the large document",
                Figure::of(large_label, large_peaks, "MiB", 1),
                Figure::of(small_label, small_peaks, "MiB", 1),
                Goal{Goal::below, kGrowthGoalMiB});
  char floor[96];
  std::snprintf(floor, sizeof floor, "least any child of this process can report: %.1f MiB",
                static_cast<double>(folio_bench::fork_floor_kib()) / 1024);
  RatioReport::note(floor);
  report.summary("bench_viewer_memory");
  return 0;
}
