// Brevint: converts one document from the command line.
//
//   Brevint <office type> <source document> <PDF>
//
// Writes "Pardine: " and the three arguments, run together and without a
// line end, then converts; the exit code is the conversion's result (0, or
// -1 on failure: 255 as a process status).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "automation/interrupts.h"
#include "tessaro.h"

int main(int argc, char **argv) {
  // An interrupted conversion leaves no office, private folder or socket.
  tessaro::end_offices_on_interrupt();
  if (argc < 4) {
    std::fputs("usage: Brevint <office type: 0 Word, 1 Excel, 2 PowerPoint> <source> <pdf>\n",
               stderr);
    return 2;
  }
  // Written as they are: a path may hold '%' and must not be a format.
  const std::string label = std::string("Pardine: ") + argv[1] + argv[2] + argv[3];
  std::fwrite(label.data(), 1, label.size(), stdout);
  std::fflush(stdout);
  return ConvertOfficeFileToPdf(std::atoi(argv[1]), argv[2], argv[3]);
}
