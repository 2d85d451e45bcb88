// What a benchmark's child process reports of its own memory: the peak
// resident size since its exec (VmHWM), as the line "vm_hwm_kib=<n>" on
// standard output (-1 when /proc cannot tell).
#ifndef FOLIO_BENCH_PEAK_MEMORY_H
#define FOLIO_BENCH_PEAK_MEMORY_H

void print_peak_resident_size();

#endif
