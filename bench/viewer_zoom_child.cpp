// One side of the zoom benchmark, run as a child process so that its
// ru_maxrss is its own: opens a protected PDF (made by
// write_protected_copy) and repaints a 1920 x 1080 view in the middle of
// its first page at one scale, as the page view does when it draws a page
// too large to hold whole: the part in view and half a view around it.
//
//   bench_viewer_zoom_child PROTECTED.pdf SCALE REPAINTS
//
// Prints "repaint_ms=<median>" and the part's size. Exit status: 0 when
// every repaint drew; 1 otherwise.
#include <QGuiApplication>
#include <QImage>
#include <QLoggingCategory>
#include <QRect>
#include <cstdio>
#include <cstdlib>

#include "document/pdf_picture.h"
#include "protected_copy.h"
#include "ratio_report.h"
#include "scale_model.h"

int main(int argc, char **argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: bench_viewer_zoom_child PROTECTED.pdf SCALE REPAINTS\n");
    return 1;
  }
  QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
  QGuiApplication app(argc, argv);
  const float scale = std::strtof(argv[2], nullptr);
  const int repaints = std::atoi(argv[3]);

  PdfPicture document(QString::fromLocal8Bit(argv[1]), folio_bench::bench_content_key(),
                      folio_bench::bench_content_nonce(),
                      QLatin1String(folio_bench::kBenchVariant));
  const QImage *pageSize = document.pageSizeImage(0);
  if (!pageSize || repaints < 1) {
    std::fprintf(stderr, "bench_viewer_zoom_child: %s: no first page\n", argv[1]);
    return 1;
  }
  const QSize scaled = pageview::scaledSize(pageSize->size(), scale);
  const QSize view(1920, 1080);
  const QRect page(QPoint(0, 0), scaled);
  const QRect visible(QPoint((scaled.width() - view.width()) / 2,
                             (scaled.height() - view.height()) / 2), view);
  const QRect part = visible.adjusted(-view.width() / 2, -view.height() / 2, view.width() / 2,
                                      view.height() / 2) & page;
  folio_bench::Samples times;
  for (int repaint = 0; repaint < repaints; ++repaint) {
    const double start = folio_bench::monotonic_seconds();
    const QImage drawn = document.pageRegion(0, scaled, part);
    times.add(1000 * (folio_bench::monotonic_seconds() - start));
    if (drawn.isNull()) {
      std::fprintf(stderr, "bench_viewer_zoom_child: the part was not drawn\n");
      return 1;
    }
  }
  std::printf("page %dx%d, part %dx%d\nrepaint_ms=%.3f\n", scaled.width(), scaled.height(),
              part.width(), part.height(), times.median());
  return 0;
}
