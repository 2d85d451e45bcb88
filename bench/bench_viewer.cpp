// The viewer's document against PDFium on the clear file, same library,
// same run:
//   - opening a protected PDF and rendering its first page at the page
//     size (what the viewer does on start-up), against FPDF_LoadDocument,
//     FPDF_LoadPage and a render of the same size; for a text document and
//     for one of a few MiB with an image on every page;
//   - turning pages at fit width on a 1920 x 1080 view: pageImage of
//     successive pages with the page width scaled to 1920 pixels, held to
//     an absolute median, with PDFium's time for the same render beside it.
//
//   bench_viewer TEXT.pdf HEAVY.pdf     (clear PDFs, at least 31 pages;
//                                        enciphered here into the scratch
//                                        directory, see scratch_files.h)
//
// Needs a Qt platform; scripts/bench runs it with QT_QPA_PLATFORM=offscreen.
//
// Exit status: 0 with every goal reported, met or MISSED; 1 when the run
// itself failed (a document that does not open, a page that does not
// render, or pixels that differ between the two sides, which would make the
// comparison meaningless).
#include <sys/resource.h>

#include <QGuiApplication>
#include <QImage>
#include <QLoggingCategory>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "document/pdf_picture.h"
#include "document/pdfium_library.h"
#include "pdfium_peer.h"
#include "protected_copy.h"
#include "ratio_report.h"
#include "scratch_files.h"

namespace {

using folio_bench::Figure;
using folio_bench::Goal;
using folio_bench::RatioReport;
using folio_bench::Samples;

constexpr int kOpenRounds = 21;
constexpr int kTurns = 30;
constexpr int kViewWidth = 1920;  // a 1920 x 1080 view; fit width ignores its height
constexpr double kOpenRatioGoal = 1.1;
constexpr double kTurnMedianGoalMs = 50;

double milliseconds_since(double start) {
  return 1000 * (folio_bench::monotonic_seconds() - start);
}

std::unique_ptr<PdfPicture> open_protected(const std::string &path) {
  return std::make_unique<PdfPicture>(QString::fromStdString(path),
                                      folio_bench::bench_content_key(),
                                      folio_bench::bench_content_nonce(),
                                      QLatin1String(folio_bench::kBenchVariant));
}

// Whether the viewer's image and PDFium's bitmap hold the same pixels.
bool same_pixels(const QImage &ours, FPDF_BITMAP peer) {
  const auto *peer_rows = static_cast<const unsigned char *>(FPDFBitmap_GetBuffer(peer));
  const int stride = FPDFBitmap_GetStride(peer);
  if (!peer_rows || ours.height() != FPDFBitmap_GetHeight(peer)) return false;
  const auto row_bytes = static_cast<std::size_t>(ours.width()) * 4;
  for (int row = 0; row < ours.height(); ++row)
    if (std::memcmp(ours.constScanLine(row), peer_rows + std::size_t(row) * stride, row_bytes))
      return false;
  return true;
}

// Minor page faults of this process so far: each is a page of fresh memory
// touched for the first time, a cost of allocating per render.
long minor_faults() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt;
}

void note_faults(long ours, long peer, int runs) {
  char text[128];
  std::snprintf(text, sizeof text, "minor page faults per run: ours %ld, peer %ld", ours / runs,
                peer / runs);
  RatioReport::note(text);
}

// The 90th percentile, nearest rank.
double percentile90(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const auto rank = static_cast<std::size_t>(std::ceil(0.9 * values.size()));
  return values.empty() ? 0.0 : values[std::max<std::size_t>(rank, 1) - 1];
}

// Open + first page, both sides, interleaved with alternating order so
// drift in the machine's speed lands on both alike. False when either side
// failed or their first pages differ.
bool compare_open(RatioReport &report, const std::string &title, const std::string &clear,
                  const std::string &protected_path, double dpi) {
  Samples ours_ms, peer_ms;
  long ours_faults = 0, peer_faults = 0;
  for (int round = 0; round < kOpenRounds; ++round) {
    for (int side = 0; side < 2; ++side) {
      if ((side == 0) == (round % 2 == 0)) {
        const long faults = minor_faults();
        const double start = folio_bench::monotonic_seconds();
        std::unique_ptr<PdfPicture> document = open_protected(protected_path);
        const QImage *size = document->pageSizeImage(0);
        const QImage *page = size ? document->pageImage(0, size->width(), size->height()) : nullptr;
        const double elapsed = milliseconds_since(start);
        ours_faults += minor_faults() - faults;
        if (!page) {
          std::fprintf(stderr, "%s: the viewer did not render page 1\n", title.c_str());
          return false;
        }
        ours_ms.add(elapsed);
        if (round == 0) {
          PdfiumDocument check = folio_bench::peer_open(clear);
          PdfiumBitmap peer =
              check ? folio_bench::peer_render(check.get(), 0, page->size()) : nullptr;
          if (!peer || !same_pixels(*page, peer.get())) {
            std::fprintf(stderr, "%s: the viewer's page 1 differs from PDFium's\n", title.c_str());
            return false;
          }
        }
      } else {
        const long faults = minor_faults();
        const double start = folio_bench::monotonic_seconds();
        PdfiumDocument document = folio_bench::peer_open(clear);
        const QSize size = document ? folio_bench::peer_page_size(document.get(), 0, dpi) : QSize();
        PdfiumBitmap page =
            size.isEmpty() ? nullptr : folio_bench::peer_render(document.get(), 0, size);
        const double elapsed = milliseconds_since(start);
        peer_faults += minor_faults() - faults;
        if (!page) {
          std::fprintf(stderr, "%s: PDFium did not render page 1\n", title.c_str());
          return false;
        }
        peer_ms.add(elapsed);
      }
    }
  }
  report.ratio(title, ours_ms, peer_ms, Figure::of("PdfPicture + pageImage", ours_ms, "ms", 2),
               Figure::of("FPDF_LoadDocument + render", peer_ms, "ms", 2),
               Goal{Goal::at_most, kOpenRatioGoal});
  note_faults(ours_faults, peer_faults, kOpenRounds);
  return true;
}

// Successive pages at fit width, each rendered by both sides in turn.
// Returns whether the median goal was met, or -1 when a render failed.
int compare_turns(const std::string &clear, const std::string &protected_path) {
  std::unique_ptr<PdfPicture> ours = open_protected(protected_path);
  PdfiumDocument peer = folio_bench::peer_open(clear);
  if (!peer || ours->pageCount() < kTurns + 1) {
    std::fprintf(stderr, "page turns: need a document of %d pages that both sides open\n",
                 kTurns + 1);
    return -1;
  }
  Samples ours_ms, peer_ms;
  std::vector<double> ours_values;
  long ours_faults = 0, peer_faults = 0;
  QSize size;
  for (int page = 1; page <= kTurns; ++page) {
    size = folio_bench::peer_fit_width(peer.get(), page, kViewWidth);
    if (size.isEmpty()) return -1;
    for (int side = 0; side < 2; ++side) {
      const long faults = minor_faults();
      const double start = folio_bench::monotonic_seconds();
      bool rendered;
      if ((side == 0) == (page % 2 == 0)) {
        rendered = ours->pageImage(page, size.width(), size.height()) != nullptr;
        const double elapsed = milliseconds_since(start);
        ours_faults += minor_faults() - faults;
        ours_values.push_back(elapsed);
        ours_ms.add(elapsed);
      } else {
        rendered = folio_bench::peer_render(peer.get(), page, size) != nullptr;
        peer_ms.add(milliseconds_since(start));
        peer_faults += minor_faults() - faults;
      }
      if (!rendered) {
        std::fprintf(stderr, "page turns: page %d did not render\n", page + 1);
        return -1;
      }
    }
  }

  const bool met = ours_ms.median() < kTurnMedianGoalMs;
  std::printf("\nPage turn at fit width (%dx%d), pages 2..%d of a text document\n",
              size.width(), size.height(), kTurns + 1);
  std::printf("  %-4s %-34s %12.2f %-6s (%s)\n", "ours", "pageImage, median", ours_ms.median(),
              "ms", ours_ms.spread(2).c_str());
  std::printf("  %-4s %-34s %12.2f %-6s\n", "", "pageImage, 90th percentile",
              percentile90(ours_values), "ms");
  std::printf("  %-14s goal median < %.0f ms   %s\n", "median", kTurnMedianGoalMs,
              met ? "met" : "MISSED");
  std::printf("  %-4s %-34s %12.2f %-6s (%s)\n", "peer", "FPDF_LoadPage + render, median",
              peer_ms.median(), "ms", peer_ms.spread(2).c_str());
  std::printf("  %-14s %.3f (medians; informational, no goal)\n", "ratio",
              ours_ms.median() / peer_ms.median());
  note_faults(ours_faults, peer_faults, kTurns);
  std::fflush(stdout);
  return met ? 1 : 0;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: bench_viewer TEXT.pdf HEAVY.pdf\n");
    return 1;
  }
  // The document's progress messages would time the terminal, not the
  // document.
  QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
  QGuiApplication app(argc, argv);
  const QScreen *screen = QGuiApplication::primaryScreen();
  folio_bench::ScratchDir scratch;
  if (!screen || !scratch.ok()) {
    std::fprintf(stderr, "bench_viewer: no screen or no scratch directory\n");
    return 1;
  }
  const std::string text = argv[1], heavy = argv[2];
  const std::string text_protected = scratch.path("text-protected.pdf");
  const std::string heavy_protected = scratch.path("heavy-protected.pdf");
  if (!folio_bench::write_protected_copy(text, text_protected) ||
      !folio_bench::write_protected_copy(heavy, heavy_protected)) {
    std::fprintf(stderr, "bench_viewer: could not encipher %s and %s\n", text.c_str(),
                 heavy.c_str());
    return 1;
  }
  // Held for the whole run, so that neither side pays for setting PDFium up.
  PdfiumLibrary library;
  const double dpi = screen->logicalDotsPerInch();

  RatioReport report;
  RatioReport::section("Open + first page at the page size");
  if (!compare_open(report, "Open + first page, text document", text, text_protected, dpi) ||
      !compare_open(report, "Open + first page, image on every page", heavy, heavy_protected,
                    dpi))
    return 1;

  RatioReport::section("Page turn");
  const int turns_met = compare_turns(text, text_protected);
  if (turns_met < 0) return 1;

  report.summary("bench_viewer");
  std::printf("bench_viewer: page-turn median goal %s\n", turns_met ? "met" : "MISSED");
  return 0;
}
