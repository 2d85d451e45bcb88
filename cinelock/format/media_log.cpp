#include "format/media_log.h"

#include <cstdarg>

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
}

namespace cinelock {

namespace {

// Errors only from the moment the library is loaded, not from the first
// window: a player asks a file's duration (video_get_timespan) before it
// has one, and FFmpeg's description of the file ("Input #0 ...") is no
// message for its user. A host that wants more sets its own level later.
[[maybe_unused]] const bool errors_only = [] {
  av_log_set_level(AV_LOG_ERROR);
  return true;
}();

}  // namespace

void log_error(const char *format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  av_vlog(nullptr, AV_LOG_ERROR, format, arguments);
  va_end(arguments);
}

ErrorText error_text(int code) {
  ErrorText text{};
  av_strerror(code, text.text, sizeof text.text);
  return text;
}

void log_failure(int code) { log_error("Error occurred: %s\n", error_text(code).text); }

}  // namespace cinelock
