// The library's diagnostics: FFmpeg's log, without a context object, so a
// host sees them through FFmpeg's own log settings.
#ifndef CINELOCK_MEDIA_LOG_H
#define CINELOCK_MEDIA_LOG_H

namespace cinelock {

// av_log(nullptr, AV_LOG_ERROR, format, ...).
void log_error(const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// FFmpeg's text for an error code, as av_strerror gives it (at most 64
// bytes).
struct ErrorText {
  char text[64];
};
ErrorText error_text(int code);

// Logs "Error occurred: <text>" for a failing result code.
void log_failure(int code);

}  // namespace cinelock

#endif
