#include "output/process_output.h"

namespace cinelock {

ProcessOutput &process_output() {
  static ProcessOutput output;
  return output;
}

}  // namespace cinelock
