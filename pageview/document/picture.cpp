#include "picture.h"

#include <openssl/crypto.h>

#include <QImage>
#include <QPainter>
#include <QtGlobal>
#include <cstdint>
#include <limits>
#include <new>

#include "aes.h"
#include "aes_ctr.h"
#include "document_file.h"

namespace {

// The clear image file: wiped before its memory is given back.
class ClearBytes {
 public:
  explicit ClearBytes(std::size_t size) : bytes_(new (std::nothrow) unsigned char[size]), size_(size) {}
  ~ClearBytes() {
    if (bytes_) OPENSSL_cleanse(bytes_.get(), size_);
  }
  ClearBytes(const ClearBytes &) = delete;
  ClearBytes &operator=(const ClearBytes &) = delete;
  unsigned char *data() const { return bytes_.get(); }

 private:
  std::unique_ptr<unsigned char[]> bytes_;
  std::size_t size_;
};

bool hasPixels(const QImage &image) { return image.width() >= 1 && image.height() >= 1; }

}  // namespace

Picture::Picture() = default;

Picture::Picture(const QString &path, const unsigned char *key, const unsigned char *nonce,
                 const QString & /*variant*/) {
  if (!key || !nonce) {
    qDebug("input key or iv is nulll");
    setOpenFailure(pageview::DocumentFailure::missingKey);
    return;
  }
  load(path, key, nonce);
}

Picture::~Picture() = default;

void Picture::load(const QString &path, const unsigned char *key, const unsigned char *nonce) {
  DocumentFile file = openDocumentFile(path);
  if (!file) {
    qDebug("open file Failed!");
    setOpenFailure(pageview::DocumentFailure::fileUnreadable);
    return;
  }
  decoded_ = std::make_unique<QImage>();
  setOpenFailure(pageview::DocumentFailure::damaged);

  // Qt's readers take an int length, and counter mode here an int32 one.
  const std::int64_t size = documentFileSize(file.get());
  if (size <= 0 || size > std::numeric_limits<int>::max()) return;
  ClearBytes bytes(static_cast<std::size_t>(size));
  if (!bytes.data()) return;
  if (!readExactlyAt(file.get(), 0, bytes.data(), static_cast<std::size_t>(size))) {
    setOpenFailure(pageview::DocumentFailure::fileUnreadable);
    return;
  }
  file.reset();

  aes_key_schedule schedule;
  aes_init(&schedule);
  if (aes_setkey_enc(&schedule, key, 256) != 0) return;
  aes_crypt_ctr(&schedule, AES_ENCRYPT, static_cast<std::int32_t>(size), nonce, 0, bytes.data(),
                bytes.data());
  aes_free(&schedule);

  for (const char *format : {"png", "jpg", "gif", "tiff", "bmp"}) {
    if (hasPixels(*decoded_)) break;
    decoded_->loadFromData(bytes.data(), static_cast<int>(size), format);
  }
  setOpenFailure(hasPixels(*decoded_) ? pageview::DocumentFailure::none
                                      : pageview::DocumentFailure::notDeciphered);
}

QImage *Picture::pageSizeImage(int /*page*/) {
  return decoded_ && hasPixels(*decoded_) ? decoded_.get() : nullptr;
}

QImage *Picture::pageImage(int /*page*/, int width, int height) {
  scaled_.reset();
  if (!decoded_ || !hasPixels(*decoded_) || width < 1 || height < 1) return nullptr;
  auto scaled = std::make_unique<QImage>(
      decoded_->scaled(width, height, Qt::IgnoreAspectRatio, Qt::FastTransformation));
  if (!hasPixels(*scaled)) return nullptr;  // no memory for that size
  scaled_ = std::move(scaled);
  return scaled_.get();
}

QImage Picture::pageRegion(int /*page*/, QSize scaledSize, QRect region) {
  if (!decoded_ || !hasPixels(*decoded_) || scaledSize.isEmpty() || region.isEmpty() ||
      !QRect(QPoint(0, 0), scaledSize).contains(region))
    return QImage();
  QImage part(region.size(), QImage::Format_ARGB32_Premultiplied);
  if (part.isNull()) return QImage();
  part.fill(Qt::transparent);
  // The decoded pixels behind the region, drawn nearest-neighbour as the
  // whole-image copy is scaled.
  const double sx = double(decoded_->width()) / scaledSize.width();
  const double sy = double(decoded_->height()) / scaledSize.height();
  QPainter painter(&part);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.drawImage(QRectF(QPointF(0, 0), QSizeF(region.size())), *decoded_,
                    QRectF(region.x() * sx, region.y() * sy, region.width() * sx,
                           region.height() * sy));
  return part;
}

std::vector<pageview::TextMatch> Picture::findText(int /*page*/, const QString & /*text*/,
                                                   QSize /*scaledSize*/) {
  return {};
}

std::vector<pageview::OutlineEntry> Picture::outline() { return {}; }

QImage *Picture::scaledRender(int /*width*/, int /*height*/) { return nullptr; }

int Picture::pageCount() const { return 1; }

bool Picture::isEmpty() const { return !decoded_ || !hasPixels(*decoded_); }
