#include "support/pdf_facts.h"

#include <unistd.h>

#include <cstdlib>
#include <regex>
#include <sstream>
#include <stdexcept>

#include "support/command.h"
#include "support/files.h"

namespace tessaro_test {

int pdf_page_count(const std::string &path) {
  const CommandResult info = run_command({"pdfinfo", path});
  if (info.exit_code != 0) return 0;
  std::smatch match;
  static const std::regex pages(R"(Pages:\s+(\d+))");
  return std::regex_search(info.out, match, pages) ? std::stoi(match[1]) : 0;
}

std::string pdf_text(const std::string &path, int page) {
  std::vector<std::string> argv = {"pdftotext", "-q"};
  if (page > 0) argv.insert(argv.end(), {"-f", std::to_string(page), "-l", std::to_string(page)});
  argv.insert(argv.end(), {path, "-"});
  return run_command(argv).out;
}

std::vector<PdfWord> pdf_words(const std::string &path, int page) {
  const std::string html = run_command({"pdftotext", "-q", "-bbox", "-f", std::to_string(page),
                                        "-l", std::to_string(page), path, "-"})
                               .out;
  static const std::regex word(
      R"re(<word xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="([0-9.]+)" yMax="([0-9.]+)">([^<]*)</word>)re");
  std::vector<PdfWord> words;
  for (auto it = std::sregex_iterator(html.begin(), html.end(), word); it != std::sregex_iterator();
       ++it) {
    const std::smatch &m = *it;
    words.push_back({m[5], std::stod(m[1]), std::stod(m[2]), std::stod(m[3]), std::stod(m[4])});
  }
  return words;
}

PdfWord find_word(const std::vector<PdfWord> &words, const std::string &text) {
  for (const PdfWord &w : words)
    if (w.text == text) return w;
  throw std::runtime_error("no word " + text + " on the page");
}

int long_horizontal_lines(const std::string &path, int page) {
  char pattern[] = "/tmp/tessaro-page-XXXXXX";
  const int fd = mkstemp(pattern);
  if (fd < 0) throw std::runtime_error("mkstemp failed");
  close(fd);
  const std::string image = std::string(pattern) + ".pgm";
  const CommandResult rendered =
      run_command({"pdftoppm", "-q", "-r", "72", "-gray", "-singlefile", "-f", std::to_string(page),
                   "-l", std::to_string(page), path, pattern});
  unlink(pattern);
  if (rendered.exit_code != 0) {
    unlink(image.c_str());
    throw std::runtime_error("pdftoppm failed on " + path);
  }
  const std::string pgm = folio_test::read_text(image);
  unlink(image.c_str());

  // Binary PGM: "P5", width, height, maximum, one whitespace, pixels.
  std::istringstream header(pgm);
  std::string magic;
  int width = 0, height = 0, maximum = 0;
  header >> magic >> width >> height >> maximum;
  const std::size_t start = static_cast<std::size_t>(header.tellg()) + 1;
  if (magic != "P5" || width <= 0 || height <= 0 ||
      pgm.size() < start + static_cast<std::size_t>(width) * height)
    throw std::runtime_error("unexpected page image");
  int lines = 0;
  for (int y = 0; y < height; ++y) {
    int run = 0, longest = 0;
    for (int x = 0; x < width; ++x) {
      const auto value = static_cast<unsigned char>(pgm[start + static_cast<std::size_t>(y) * width + x]);
      run = value < 235 ? run + 1 : 0;
      if (run > longest) longest = run;
    }
    if (longest > width / 2) ++lines;
  }
  return lines;
}

}  // namespace tessaro_test
