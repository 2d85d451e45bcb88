// What poppler's command-line tools tell about a PDF.
#ifndef TESSARO_TESTS_PDF_FACTS_H
#define TESSARO_TESTS_PDF_FACTS_H

#include <string>
#include <vector>

namespace tessaro_test {

// "Pages:" of pdfinfo; 0 when pdfinfo cannot read the file.
int pdf_page_count(const std::string &path);

// The text of one page (1-based), or of all pages for 0.
std::string pdf_text(const std::string &path, int page = 0);

// The words of one page with their boxes, in points from the top left.
struct PdfWord {
  std::string text;
  double x_min, y_min, x_max, y_max;
};
std::vector<PdfWord> pdf_words(const std::string &path, int page);

// The first word with this text on the page; throws when there is none.
PdfWord find_word(const std::vector<PdfWord> &words, const std::string &text);

// How many pixel rows of the page, rendered in grey at 72 dpi, hold a dark
// run longer than half the page's width: ruled lines such as gridlines
// (text alone never makes such a run).
int long_horizontal_lines(const std::string &path, int page);

}  // namespace tessaro_test

#endif
