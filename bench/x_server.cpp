#include "x_server.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace folio_bench {

XServer::XServer(int width, int height) {
  int report[2];
  if (::pipe(report) != 0) return;
  pid_ = ::fork();
  if (pid_ < 0) {
    ::close(report[0]);
    ::close(report[1]);
    return;
  }
  if (pid_ == 0) {
    ::close(report[0]);
    const int quiet = ::open("/dev/null", O_WRONLY);
    ::dup2(quiet, 1);
    ::dup2(quiet, 2);
    const std::string fd = std::to_string(report[1]);
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
             "-nolisten", "tcp", static_cast<char *>(nullptr));
    _exit(127);
  }
  ::close(report[1]);
  // Xvfb writes the display number once it accepts connections; the pipe
  // closes empty when it fails to start.
  std::string number;
  char c;
  while (::read(report[0], &c, 1) == 1 && c != '\n') number += c;
  ::close(report[0]);
  if (!number.empty()) display_ = ":" + number;
}

XServer::~XServer() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
  }
}

double XServer::cpu_seconds() const {
  if (pid_ <= 0) return 0;
  std::FILE *stat = std::fopen(("/proc/" + std::to_string(pid_) + "/stat").c_str(), "r");
  if (!stat) return 0;
  char line[1024] = {};
  const bool read = std::fgets(line, sizeof line, stat) != nullptr;
  std::fclose(stat);
  const char *close = std::strrchr(line, ')');
  if (!read || !close) return 0;
  // After "pid (name)": state and ten more fields, then utime and stime.
  unsigned long long user = 0, system = 0;
  if (std::sscanf(close + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &user,
                  &system) != 2)
    return 0;
  return static_cast<double>(user + system) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

}  // namespace folio_bench
