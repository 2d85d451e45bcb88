// Searching a whole long document as the viewer does, a few pages per turn
// of the event loop (PDFium is not thread-safe, so the search shares the
// GUI thread), against PDFium searching the clear file in one loop with
// the same text API. Also the longest turn the search takes from the event
// loop: the window is unresponsive for at most that long.
//
//   bench_viewer_search DOCUMENT.pdf TEXT     (a clear PDF; enciphered here
//                                              into the scratch directory)
//
// Needs a Qt platform; scripts/bench runs it with QT_QPA_PLATFORM=offscreen.
//
// Exit status: 0 with the goals reported, met or MISSED; 1 when the run
// failed (a document that does not open, or match counts that differ).
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLoggingCategory>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "document/pdf_picture.h"
#include "document/pdfium_library.h"
#include "document_search.h"
#include "pdfium_peer.h"
#include "protected_copy.h"
#include "ratio_report.h"
#include "scratch_files.h"

namespace {

using folio_bench::Figure;
using folio_bench::Goal;
using folio_bench::RatioReport;
using folio_bench::Samples;

constexpr int kRuns = 3;
constexpr double kRatioGoal = 1.5;
constexpr double kLongestTurnGoalMs = 100;

struct OurRun {
  double ms;
  double longest_turn_ms;
  std::size_t matches;
  int pages;
};

OurRun search_ours(PdfPicture &document, const QString &text) {
  pageview::DocumentSearch search;
  QEventLoop loop;
  QElapsedTimer turn;
  double longest = 0;
  // The time from the slice's start to its progress signal is the turn.
  QObject::connect(&search, &pageview::DocumentSearch::progressed, &loop, [&] {
    longest = std::max(longest, turn.nsecsElapsed() / 1e6);
    if (search.finished()) loop.quit();
  });
  // Restarted at every turn of the loop, just before the next slice can run.
  QTimer ticker;
  ticker.setInterval(0);
  QObject::connect(&ticker, &QTimer::timeout, [&] { turn.restart(); });
  const double start = folio_bench::monotonic_seconds();
  turn.start();
  ticker.start();
  search.start(&document, document.pageCount(), text);
  loop.exec();
  return {1000 * (folio_bench::monotonic_seconds() - start), longest, search.found().size(),
          search.pagesSearched()};
}

// PDFium on the clear file: every page's text searched in one loop.
std::size_t search_peer(FPDF_DOCUMENT document, const std::u16string &text) {
  std::size_t matches = 0;
  const int pages = FPDF_GetPageCount(document);
  for (int page = 0; page < pages; ++page) {
    PdfiumPage handle(FPDF_LoadPage(document, page));
    PdfiumTextPage textPage(handle ? FPDFText_LoadPage(handle.get()) : nullptr);
    PdfiumSearch found(textPage ? FPDFText_FindStart(textPage.get(),
                                                     reinterpret_cast<FPDF_WIDESTRING>(text.c_str()),
                                                     0, 0)
                                : nullptr);
    while (found && FPDFText_FindNext(found.get())) ++matches;
  }
  return matches;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: bench_viewer_search DOCUMENT.pdf TEXT\n");
    return 1;
  }
  QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
  QApplication app(argc, argv);
  folio_bench::ScratchDir scratch;
  const std::string clear = argv[1];
  const std::string protected_path = scratch.path("search-protected.pdf");
  if (!scratch.ok() || !folio_bench::write_protected_copy(clear, protected_path)) {
    std::fprintf(stderr, "bench_viewer_search: could not encipher %s\n", clear.c_str());
    return 1;
  }
  const QString text = QString::fromLocal8Bit(argv[2]);
  PdfiumLibrary library;
  PdfPicture ours(QString::fromStdString(protected_path), folio_bench::bench_content_key(),
                  folio_bench::bench_content_nonce(), QLatin1String(folio_bench::kBenchVariant));
  PdfiumDocument peer = folio_bench::peer_open(clear);
  if (ours.pageCount() == 0 || !peer) {
    std::fprintf(stderr, "bench_viewer_search: %s does not open\n", clear.c_str());
    return 1;
  }

  Samples ours_ms, peer_ms, turns_ms;
  std::size_t our_matches = 0, peer_matches = 0;
  for (int run = 0; run < kRuns; ++run) {
    for (int side = 0; side < 2; ++side) {
      if ((side == 0) == (run % 2 == 0)) {
        const OurRun result = search_ours(ours, text);
        ours_ms.add(result.ms);
        turns_ms.add(result.longest_turn_ms);
        our_matches = result.matches;
      } else {
        const double start = folio_bench::monotonic_seconds();
        peer_matches = search_peer(peer.get(), text.toStdU16String());
        peer_ms.add(1000 * (folio_bench::monotonic_seconds() - start));
      }
    }
  }
  if (our_matches != peer_matches) {
    std::fprintf(stderr, "bench_viewer_search: %zu matches against PDFium's %zu\n", our_matches,
                 peer_matches);
    return 1;
  }

  RatioReport report;
  char title[160];
  std::snprintf(title, sizeof title, "Search of %d pages for \"%s\" (%zu matches)",
                ours.pageCount(), argv[2], our_matches);
  RatioReport::section(title);
  report.ratio("Whole-document search", ours_ms, peer_ms,
               Figure::of("DocumentSearch, in event-loop turns", ours_ms, "ms", 0),
               Figure::of("PDFium text search, one loop", peer_ms, "ms", 0),
               Goal{Goal::at_most, kRatioGoal});
  const double longest = turns_ms.max();
  const bool responsive = longest <= kLongestTurnGoalMs;
  std::printf("\nLongest turn the search took from the event loop\n");
  std::printf("  %-4s %-34s %12.1f %-6s goal <= %.0f ms   %s\n", "ours", "slice, worst of all runs",
              longest, "ms", kLongestTurnGoalMs, responsive ? "met" : "MISSED");
  report.summary("bench_viewer_search");
  std::printf("bench_viewer_search: longest-turn goal %s\n", responsive ? "met" : "MISSED");
  return 0;
}
