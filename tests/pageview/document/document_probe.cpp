// Test helper: opens one protected document the way the viewer does and
// renders every page at its own size, so that a tracer can watch which
// files the document objects touch.
//
//   document_probe pdf|image <path> <key hex, 64 digits> <nonce hex, 16 digits> <variant>
//
// Prints the number of pages rendered; exits 0 when the document opened and
// every page rendered, 1 when not, 2 on a usage error.
#include <QGuiApplication>
#include <QImage>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "document/pdf_picture.h"
#include "document/picture.h"
#include "support/test_bytes.h"

int main(int argc, char **argv) {
  if (argc != 6 || (std::strcmp(argv[1], "pdf") != 0 && std::strcmp(argv[1], "image") != 0)) {
    std::fprintf(stderr, "usage: document_probe pdf|image <path> <key hex> <nonce hex> <variant>\n");
    return 2;
  }
  folio_test::Bytes key, nonce;
  try {
    key = folio_test::from_hex(argv[3]);
    nonce = folio_test::from_hex(argv[4]);
  } catch (const std::exception &) {
  }
  if (key.size() != 32 || nonce.size() != 8) {
    std::fprintf(stderr, "document_probe: the key takes 64 hex digits, the nonce 16\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);

  const QString path = QString::fromLocal8Bit(argv[2]);
  std::unique_ptr<Picture> document;
  if (std::strcmp(argv[1], "pdf") == 0)
    document = std::make_unique<PdfPicture>(path, key.data(), nonce.data(), argv[5]);
  else
    document = std::make_unique<Picture>(path, key.data(), nonce.data(), argv[5]);
  if (document->isEmpty()) return 1;

  int rendered = 0;
  for (int page = 0; page < document->pageCount(); ++page) {
    const QImage *size = document->pageSizeImage(page);
    if (!size) break;
    if (!document->pageImage(page, size->width(), size->height())) break;
    ++rendered;
  }
  std::printf("%d\n", rendered);
  return rendered == document->pageCount() ? 0 : 1;
}
