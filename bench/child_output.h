// Figures a benchmark's child process prints as "key=value" lines.
#ifndef FOLIO_BENCH_CHILD_OUTPUT_H
#define FOLIO_BENCH_CHILD_OUTPUT_H

#include <cmath>
#include <cstdlib>
#include <string>

namespace folio_bench {

// The number after "key=" at the start of a line of the child's output
// (the last such line); NaN when it is missing.
inline double reported(const std::string &output, const std::string &key) {
  const std::string prefix = key + "=";
  std::size_t at = output.rfind("\n" + prefix);
  if (at != std::string::npos)
    ++at;
  else if (output.compare(0, prefix.size(), prefix) == 0)
    at = 0;
  else
    return NAN;
  return std::strtod(output.c_str() + at + prefix.size(), nullptr);
}

}  // namespace folio_bench

#endif
