// Protected test documents: sample PDFs written by samples/make-sample-pdf
// and images drawn here, enciphered whole with the crypto core (content
// key kKey, nonce kNonce, stream offset 0; the container layout without a
// header).
#ifndef PAGEVIEW_TESTS_WINDOW_PROTECTED_SAMPLES_H
#define PAGEVIEW_TESTS_WINDOW_PROTECTED_SAMPLES_H

#include <QImage>
#include <QString>
#include <array>
#include <string>

namespace window_test {

extern const std::array<unsigned char, 32> kKey;
extern const std::array<unsigned char, 64> kNonceBuffer;  // first 8 bytes used

// A protected PDF of pages pages of widthPoints x heightPoints; options are
// more make-sample-pdf options ("--outline").
void writeProtectedPdf(const std::string &path, int pages, int widthPoints, int heightPoints,
                       const std::string &options = "");
// A protected PNG of image.
void writeProtectedImage(const std::string &path, const QImage &image);
// bytes enciphered as they stand (e.g. garbage that no reader accepts).
void writeProtectedBytes(const std::string &path, const std::string &bytes);

// The size of a page of points at the primary screen's resolution.
int pagePixels(int points);

}  // namespace window_test

#endif
