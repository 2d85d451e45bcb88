#include "process_gone.h"

#include <signal.h>

#include <cerrno>
#include <climits>

bool process_gone(long pid) {
  if (pid <= 0 || pid > INT_MAX) return false;
  return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

long leading_process_id(const std::string &text) {
  long pid = 0;
  std::size_t digits = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    if (pid > (INT_MAX - (c - '0')) / 10) return -1;
    pid = pid * 10 + (c - '0');
    ++digits;
  }
  return digits > 0 ? pid : -1;
}
