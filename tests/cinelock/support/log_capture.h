// Collects what FFmpeg's logger is given (error level and more severe)
// while an instance lives, so tests can check the library's messages.
#ifndef FOLIO_TESTS_CINELOCK_LOG_CAPTURE_H
#define FOLIO_TESTS_CINELOCK_LOG_CAPTURE_H

#include <string>

namespace folio_test {

class LogCapture {
 public:
  LogCapture();   // installs the callback, replacing FFmpeg's default
  ~LogCapture();  // restores the default
  LogCapture(const LogCapture &) = delete;
  LogCapture &operator=(const LogCapture &) = delete;

  // Everything logged so far, messages joined as the logger received them.
  std::string text() const;
  bool contains(const std::string &message) const { return text().find(message) != std::string::npos; }
  void clear();
};

}  // namespace folio_test

#endif
