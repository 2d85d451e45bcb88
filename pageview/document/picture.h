// The viewer's document objects. Picture is the image document and the base
// of every other document (PdfPicture); the window shows any of them through
// the virtual operations below, one page at a time.
//
// A protected image file is the image file (PNG, JPEG, GIF, TIFF or BMP)
// enciphered whole with AES-256 in counter mode: file byte p is deciphered
// with keystream offset p. There is no header. Picture deciphers the whole
// file in memory once, lets Qt's image readers decode it, and forgets the
// clear bytes (they are wiped, and never written anywhere).
//
// Images: every operation returns an image the document owns. The next call
// of the same operation replaces and frees it, and so does destroying the
// document, so a caller uses a returned image only until then. Null means
// there is nothing to show: no document, a page out of range, a size below
// 1 x 1, or a failed decode or render. A returned image is never null-sized.
//
// Messages go to Qt's debug stream (category "default"):
//   "input key or iv is nulll"  key or nonce missing: nothing is loaded
//   "open file Failed!"         the file cannot be opened
// A file no reader accepts (wrong key or nonce, damaged, another format)
// gives an empty document without a message.
//
// GUI thread only.
#ifndef PAGEVIEW_DOCUMENT_PICTURE_H
#define PAGEVIEW_DOCUMENT_PICTURE_H

#include <QString>
#include <memory>

#include "document_failure.h"
#include "document_navigation.h"

#include <QImage>
#include <QRect>
#include <QSize>

class Picture {
 public:
  // key: the 32-byte content key; nonce: the 8-byte content nonce; either
  // may be null (see above). path: the protected file. variant: the
  // container variant of the launch; images have only one layout, so it
  // plays no part here.
  Picture(const QString &path, const unsigned char *key, const unsigned char *nonce,
          const QString &variant);
  virtual ~Picture();
  Picture(const Picture &) = delete;
  Picture &operator=(const Picture &) = delete;

  // The page at its own size (for an image: the decoded image; the page
  // index is ignored).
  virtual QImage *pageSizeImage(int page);
  // The page at exactly width x height pixels (for an image: a scaled copy,
  // aspect ratio not kept, fast transformation).
  virtual QImage *pageImage(int page, int width, int height);
  // Part of the page as pageImage(page, scaledSize) would show it: the
  // pixels of region (in that image's coordinates, inside it) alone, so
  // that the cost follows the region, not the page, at any zoom. Returned
  // by value and owned by the caller; null when the region cannot be drawn
  // (nothing to show, a region outside the page, or no memory for it).
  virtual QImage pageRegion(int page, QSize scaledSize, QRect region);
  // Where text occurs on the page, case ignored, each match's rectangles in
  // pixels of the page shown at scaledSize; in reading order. Images have
  // no text.
  virtual std::vector<pageview::TextMatch> findText(int page, const QString &text,
                                                    QSize scaledSize);
  // The document's bookmarks; none for an image.
  virtual std::vector<pageview::OutlineEntry> outline();
  // A scaled copy of the last page rendered by pageImage; images have none.
  virtual QImage *scaledRender(int width, int height);
  // 1 for an image, also when it could not be decoded: ask isEmpty.
  virtual int pageCount() const;
  // True when there is nothing to show at all (nothing loaded or decoded).
  virtual bool isEmpty() const;
  // Why the document is empty; none when it is not.
  pageview::DocumentFailure openFailure() const { return failure_; }

 protected:
  void setOpenFailure(pageview::DocumentFailure failure) { failure_ = failure; }

 protected:
  // The base part of a derived document: holds no image, reads nothing.
  Picture();

 private:
  void load(const QString &path, const unsigned char *key, const unsigned char *nonce);

  std::unique_ptr<QImage> decoded_;  // null until a file was opened
  std::unique_ptr<QImage> scaled_;
  pageview::DocumentFailure failure_ = pageview::DocumentFailure::none;
};

#endif
