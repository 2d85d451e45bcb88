// The viewer's side of the memory benchmark, run as a child process so that
// its ru_maxrss is its own: opens one protected PDF (made by
// write_protected_copy) and renders its first page at the page size, as the
// viewer does on start-up, then exits.
//
//   bench_viewer_child PROTECTED.pdf
//
// Exit status: 0 when the page was rendered; 1 when it could not be.
#include <QGuiApplication>
#include <QImage>
#include <QLoggingCategory>
#include <cstdio>

#include "document/pdf_picture.h"
#include "protected_copy.h"

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_viewer_child PROTECTED.pdf\n");
    return 1;
  }
  // The document's progress messages would only add terminal output.
  QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
  QGuiApplication app(argc, argv);

  PdfPicture document(QString::fromLocal8Bit(argv[1]), folio_bench::bench_content_key(),
                      folio_bench::bench_content_nonce(),
                      QLatin1String(folio_bench::kBenchVariant));
  const QImage *size = document.pageSizeImage(0);
  const QImage *page = size ? document.pageImage(0, size->width(), size->height()) : nullptr;
  if (!page || page->isNull()) {
    std::fprintf(stderr, "bench_viewer_child: %s: first page not rendered\n", argv[1]);
    return 1;
  }
  std::printf("%d pages; page 1 rendered at %dx%d\n", document.pageCount(), page->width(),
              page->height());
  return 0;
}
