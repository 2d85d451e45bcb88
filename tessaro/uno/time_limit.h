// How long one conversion may take, from starting the office to its end;
// an office still busy then (a dialog nobody sees, a damaged file) is
// killed and the conversion fails.
#ifndef TESSARO_UNO_TIME_LIMIT_H
#define TESSARO_UNO_TIME_LIMIT_H

#include <chrono>

namespace tessaro::uno_backend {

std::chrono::milliseconds conversion_time_limit();
void set_conversion_time_limit(std::chrono::milliseconds limit);

}  // namespace tessaro::uno_backend

#endif
