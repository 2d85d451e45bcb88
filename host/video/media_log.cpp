#include "video/media_log.h"

#include <unistd.h>

#include <atomic>
#include <cstdarg>
#include <cstring>

extern "C" {
#include <libavutil/log.h>
}

namespace folio_host {

namespace {

std::atomic<bool> g_line_left_open{false};

void print_and_track(void *context, int level, const char *format, va_list arguments) {
  if (level <= av_log_get_level() && format && *format)
    g_line_left_open = format[std::strlen(format) - 1] != '\n';
  av_log_default_callback(context, level, format, arguments);
}

}  // namespace

void set_media_log_verbosity(bool verbose) {
  av_log_set_level(verbose ? AV_LOG_INFO : AV_LOG_ERROR);
  av_log_set_callback(print_and_track);
}

void end_media_log_line() {
  if (g_line_left_open.exchange(false)) (void)!::write(STDERR_FILENO, "\n", 1);
}

MediaLogSilenced::MediaLogSilenced() : previous_level_(av_log_get_level()) {
  av_log_set_level(AV_LOG_QUIET);
}

MediaLogSilenced::~MediaLogSilenced() { av_log_set_level(previous_level_); }

}  // namespace folio_host
