#include "format/media_log.h"

#include <cstdarg>

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
}

namespace cinelock {

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
