// Why a document opens empty, as the window's log and the program's exit
// status report it, and files that are not regular files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include <QBuffer>
#include <QImage>
#include <chrono>
#include <future>
#include <memory>

#include "document/document_file.h"
#include "document/pdf_picture.h"
#include "document/picture.h"
#include "protected_fixtures.h"

using namespace pageview_test;
using pageview::DocumentFailure;

namespace {

enum class Kind { pdf, image };

struct FailureCase {
  const char *name;
  Kind kind;
  // What the file holds; empty when there is no file at all.
  Bytes (*contents)();
  bool wrongKey;
  DocumentFailure expected;
};

Bytes reportPdf() { return fixture("report.pdf"); }
// A PDF header and nothing PDFium can make a document of.
Bytes damagedPdf() {
  Bytes bytes = fixture("report.pdf");
  bytes.resize(300);
  return bytes;
}
Bytes pngImage() {
  QImage image(6, 4, QImage::Format_RGB32);
  image.fill(Qt::red);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return Bytes(png.begin(), png.end());
}
Bytes textBytes() { return Bytes{'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'}; }

class OpenFailure : public ::testing::TestWithParam<FailureCase> {};

INSTANTIATE_TEST_SUITE_P(
    Reasons, OpenFailure,
    ::testing::Values(
        FailureCase{"PdfOpens", Kind::pdf, reportPdf, false, DocumentFailure::none},
        FailureCase{"PdfMissingFile", Kind::pdf, nullptr, false, DocumentFailure::fileUnreadable},
        FailureCase{"PdfWrongKey", Kind::pdf, reportPdf, true, DocumentFailure::notDeciphered},
        FailureCase{"PdfDamaged", Kind::pdf, damagedPdf, false, DocumentFailure::damaged},
        FailureCase{"ImageOpens", Kind::image, pngImage, false, DocumentFailure::none},
        FailureCase{"ImageMissingFile", Kind::image, nullptr, false,
                    DocumentFailure::fileUnreadable},
        FailureCase{"ImageWrongKey", Kind::image, pngImage, true, DocumentFailure::notDeciphered},
        FailureCase{"ImageNoReaderAccepts", Kind::image, textBytes, false,
                    DocumentFailure::notDeciphered}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_P(OpenFailure, ReasonMatchesTheFile) {
  const FailureCase &c = GetParam();
  folio_test::ScratchDir dir;
  std::string path = dir.path("absent");
  if (c.contents) {
    const Bytes key = c.wrongKey ? Bytes(32, 0x5a) : contentKey();
    path = writeFixture(dir, "document", encipher(c.contents(), key));
  }
  std::unique_ptr<Picture> document;
  if (c.kind == Kind::pdf)
    document = std::make_unique<PdfPicture>(qpath(path), contentKey().data(),
                                            contentNonce().data(), QStringLiteral("v2"));
  else
    document = std::make_unique<Picture>(qpath(path), contentKey().data(), contentNonce().data(),
                                         QStringLiteral("v2"));
  EXPECT_EQ(document->openFailure(), c.expected);
  EXPECT_EQ(document->isEmpty(), c.expected != DocumentFailure::none);
}

// A named pipe in place of the document: refused at once rather than
// waiting for a writer. Opened on a thread of its own so that a viewer that
// waits fails this test instead of hanging it.
TEST(NotARegularFile, NamedPipeIsRefusedWithoutWaiting) {
  folio_test::ScratchDir dir;
  const std::string fifo = dir.path("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const Kind kind : {Kind::pdf, Kind::image}) {
    auto opened = std::async(std::launch::async, [&] {
      // Only the file is opened here (Picture and PdfPicture open it the
      // same way); PDFium and Qt stay on the test's thread.
      return openDocumentFile(qpath(fifo)) != nullptr;
    });
    if (opened.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
      // Release the waiting open, then fail.
      const int writer = ::open(fifo.c_str(), O_WRONLY);
      if (writer >= 0) ::close(writer);
      FAIL() << "opening a named pipe waited for a writer";
    }
    EXPECT_FALSE(opened.get());
    // And the documents on it report an unreadable file.
    std::unique_ptr<Picture> document;
    if (kind == Kind::pdf)
      document = std::make_unique<PdfPicture>(qpath(fifo), contentKey().data(),
                                              contentNonce().data(), QStringLiteral("v2"));
    else
      document = std::make_unique<Picture>(qpath(fifo), contentKey().data(),
                                           contentNonce().data(), QStringLiteral("v2"));
    EXPECT_EQ(document->openFailure(), DocumentFailure::fileUnreadable);
  }
}

}  // namespace
