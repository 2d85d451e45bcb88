#include "peak_memory.h"

#include <cstdio>

void print_peak_resident_size() {
  long kib = -1;
  if (std::FILE *status = std::fopen("/proc/self/status", "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, status))
      if (std::sscanf(line, "VmHWM: %ld kB", &kib) == 1) break;
    std::fclose(status);
  }
  std::printf("vm_hwm_kib=%ld\n", kib);
}
