// Running the built folio-host binary as a child process and collecting
// what it printed and how it ended.
#ifndef FOLIO_TESTS_HOST_HOST_PROCESS_H
#define FOLIO_TESTS_HOST_HOST_PROCESS_H

#include <sys/types.h>

#include <string>
#include <vector>

namespace host_test {

struct RunOptions {
  // Run as user and group 65534 when the tests run as root, so that file
  // permissions bind the tool as they bind an ordinary user.
  bool unprivileged = false;
  // Give the tool a pseudo-terminal as standard error instead of a pipe.
  bool stderr_on_terminal = false;
};

struct RunResult {
  int exit_code = -1;     // -1 when ended by a signal
  int signal_number = 0;  // the signal that ended it, or 0
  std::string out;
  std::string err;
};

// Runs folio-host with the arguments and waits for it.
RunResult run_host(const std::vector<std::string> &arguments, const RunOptions &options = {});

// A folio-host run that the test interrupts itself. Output is discarded.
class BackgroundHost {
 public:
  explicit BackgroundHost(const std::vector<std::string> &arguments);
  ~BackgroundHost();  // kills and reaps a child still running
  BackgroundHost(const BackgroundHost &) = delete;
  BackgroundHost &operator=(const BackgroundHost &) = delete;

  pid_t pid() const { return pid_; }
  // True while the child has not ended (it is reaped when it has).
  bool running();
  void send(int signal_number);
  RunResult wait();

 private:
  pid_t pid_;
  bool reaped_ = false;
  int status_ = 0;
};

// True when the tests run as root and unprivileged runs drop to 65534.
bool running_as_root();

}  // namespace host_test

#endif
