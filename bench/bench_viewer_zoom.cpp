// Zooming into a large page: a repaint of a 1920 x 1080 view at 800 %
// against the same repaint at 100 %, in time and in peak memory. The page
// view draws such a page part by part, so both should follow the view's
// size, not the page's (at 800 % a 2268 x 4032 pt poster is 24192 x 43008
// pixels, 3.9 GiB whole).
//
//   bench_viewer_zoom POSTER.pdf     (a clear one-page PDF; enciphered
//                                     here into the scratch directory)
//
// Each scale runs in children of its own (bench_viewer_zoom_child),
// alternating, so that each peak is its own and drift lands on both.
// Not linked with the viewer or Qt (see child_process.h).
//
// Exit status: 0 with the goals reported, met or MISSED; 1 when a child
// failed.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "child_output.h"
#include "child_process.h"
#include "protected_copy.h"
#include "ratio_report.h"
#include "scratch_files.h"

namespace {

using folio_bench::Figure;
using folio_bench::Goal;
using folio_bench::RatioReport;
using folio_bench::Samples;

constexpr int kRuns = 5;
constexpr int kRepaintsPerRun = 5;
constexpr double kTimeRatioGoal = 2.0;
constexpr double kMemoryExcessGoalMiB = 64;

struct Side {
  Samples repaint_ms;
  Samples peak_mib;
};

// One child at scale; false when it failed.
bool run_once(const std::string &document, const char *scale, const std::string &log, Side &side) {
  const folio_bench::ChildRun child = folio_bench::run_child(
      {FOLIO_BENCH_ZOOM_CHILD, document, scale, std::to_string(kRepaintsPerRun)}, log);
  const double repaint =
      folio_bench::reported(folio_bench::read_small_file(log), "repaint_ms");
  if (!child.succeeded() || !(repaint >= 0)) {
    std::fprintf(stderr, "bench_viewer_zoom: the child at scale %s failed (exit %d); see %s\n",
                 scale, child.exit_code, log.c_str());
    return false;
  }
  side.repaint_ms.add(repaint);
  side.peak_mib.add(static_cast<double>(child.max_rss_kib) / 1024);
  return true;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_viewer_zoom POSTER.pdf\n");
    return 1;
  }
  folio_bench::ScratchDir scratch;
  const std::string poster = scratch.path("poster-protected.pdf");
  if (!scratch.ok() || !folio_bench::write_protected_copy(argv[1], poster)) {
    std::fprintf(stderr, "bench_viewer_zoom: could not encipher %s\n", argv[1]);
    return 1;
  }
  const std::string log = scratch.path("zoom-child.log");
  Side at100, at800;
  for (int run = 0; run < kRuns; ++run) {
    const bool first100 = run % 2 == 0;
    if (!run_once(poster, first100 ? "1" : "8", log, first100 ? at100 : at800) ||
        !run_once(poster, first100 ? "8" : "1", log, first100 ? at800 : at100))
      return 1;
  }

  RatioReport report;
  RatioReport::section("Repaint of a 1920x1080 view of a 2268x4032 pt poster, 800 % against 100 %");
  report.ratio("Repaint time at 800 % over 100 %", at800.repaint_ms, at100.repaint_ms,
               Figure::of("repaint at 800 %", at800.repaint_ms, "ms", 2),
               Figure::of("repaint at 100 %", at100.repaint_ms, "ms", 2),
               Goal{Goal::at_most, kTimeRatioGoal});
  report.excess("Peak memory at 800 % beyond 100 %",
                Figure::of("ru_maxrss at 800 %", at800.peak_mib, "MiB", 1),
                Figure::of("ru_maxrss at 100 %", at100.peak_mib, "MiB", 1),
                Goal{Goal::at_most, kMemoryExcessGoalMiB});
  report.summary("bench_viewer_zoom");
  return 0;
}
