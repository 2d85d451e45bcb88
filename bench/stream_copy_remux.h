// The peer of the video encryption benchmark: a plain stream-copy re-mux
// with libavformat, every stream's packets copied to the container the
// output name selects with their timestamps rescaled, nothing else done.
#ifndef FOLIO_BENCH_STREAM_COPY_REMUX_H
#define FOLIO_BENCH_STREAM_COPY_REMUX_H

#include <string>

namespace folio_bench {

// Empty on success, else what failed.
std::string stream_copy_remux(const std::string &input, const std::string &output);

}  // namespace folio_bench

#endif
