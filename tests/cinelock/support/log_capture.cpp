#include "log_capture.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

extern "C" {
#include <libavutil/log.h>
}

namespace folio_test {

namespace {

std::mutex captured_mutex;
std::string captured;

void collect(void *, int level, const char *format, va_list arguments) {
  if (level > AV_LOG_ERROR) return;
  char line[1024];
  std::vsnprintf(line, sizeof line, format, arguments);
  const std::lock_guard<std::mutex> lock(captured_mutex);
  captured += line;
}

}  // namespace

LogCapture::LogCapture() {
  clear();
  av_log_set_callback(collect);
}

LogCapture::~LogCapture() { av_log_set_callback(av_log_default_callback); }

std::string LogCapture::text() const {
  const std::lock_guard<std::mutex> lock(captured_mutex);
  return captured;
}

void LogCapture::clear() {
  const std::lock_guard<std::mutex> lock(captured_mutex);
  captured.clear();
}

}  // namespace folio_test
