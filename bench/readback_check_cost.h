// The cost of video_crypt_encrypt's read-back check on its own: the
// library's SealedRecord::check run on a protected file, against a record
// of what that file should hold (made from the file beforehand, untimed).
// The check is part of every protect; this only shows its share.
#ifndef FOLIO_BENCH_READBACK_CHECK_COST_H
#define FOLIO_BENCH_READBACK_CHECK_COST_H

#include <string>

namespace folio_bench {

// Seconds per check, the median of runs checks; negative when the file
// cannot be read or the check fails.
double readback_check_seconds(const std::string &protected_path, int runs);

}  // namespace folio_bench

#endif
