#include "protected_samples.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QScreen>
#include <cmath>
#include <stdexcept>

#include "aes.h"
#include "aes_ctr.h"
#include "support/files.h"
#include "support/scratch_dir.h"

namespace window_test {

const std::array<unsigned char, 32> kKey = {
    0x60, 0x3d, 0xeb, 0x10, 0x15, 0xca, 0x71, 0xbe, 0x2b, 0x73, 0xae, 0xf0, 0x85, 0x7d, 0x77, 0x81,
    0x1f, 0x35, 0x2c, 0x07, 0x3b, 0x61, 0x08, 0xd7, 0x2d, 0x98, 0x10, 0xa3, 0x09, 0x14, 0xdf, 0xf4};
const std::array<unsigned char, 64> kNonceBuffer = {0xf0, 0xf1, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7};

namespace {

folio_test::Bytes encipher(const folio_test::Bytes &plain) {
  aes_key_schedule schedule;
  aes_init(&schedule);
  if (aes_setkey_enc(&schedule, kKey.data(), 256) != 0) throw std::runtime_error("key schedule");
  folio_test::Bytes out(plain.size());
  aes_crypt_ctr(&schedule, AES_ENCRYPT, static_cast<std::int32_t>(plain.size()),
                kNonceBuffer.data(), 0, plain.data(), out.data());
  aes_free(&schedule);
  return out;
}

}  // namespace

void writeProtectedPdf(const std::string &path, int pages, int widthPoints, int heightPoints,
                       const std::string &options) {
  folio_test::ScratchDir scratch;
  const std::string plain = scratch.path("plain.pdf");
  const std::string command = std::string("python3 '") + PAGEVIEW_SAMPLES_DIR +
                              "/make-sample-pdf' '" + plain + "' --pages " + std::to_string(pages) +
                              " --media " + std::to_string(widthPoints) + "x" +
                              std::to_string(heightPoints) + " " + options;
  if (std::system(command.c_str()) != 0) throw std::runtime_error("make-sample-pdf failed");
  folio_test::write_file(path, encipher(folio_test::read_file(plain)));
}

void writeProtectedImage(const std::string &path, const QImage &image) {
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) throw std::runtime_error("PNG encoding failed");
  writeProtectedBytes(path, png.toStdString());
}

void writeProtectedBytes(const std::string &path, const std::string &bytes) {
  folio_test::write_file(path, encipher(folio_test::Bytes(bytes.begin(), bytes.end())));
}

int pagePixels(int points) {
  const double dpi = static_cast<float>(QGuiApplication::primaryScreen()->logicalDotsPerInch());
  return static_cast<int>(std::lround(points * dpi / 72.0));
}

}  // namespace window_test
