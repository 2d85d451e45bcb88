// A viewer (pageview, Morlan) or any program run as a child for a
// hardening test: its arguments, environment, standard input (a pipe the
// test writes when it chooses), the user it runs as, and its merged
// standard output and error collected through a pipe (never a file, which
// a system call trace would count as written).
#ifndef FOLIO_TESTS_HARDENING_VIEWER_PROCESS_H
#define FOLIO_TESTS_HARDENING_VIEWER_PROCESS_H

#include <sys/types.h>

#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace hardening_test {

struct ProcessLaunch {
  std::vector<std::string> command;  // the program's path first
  // Set (or, with an empty value, removed) in the child's environment.
  std::map<std::string, std::string> environment;
  // Run with this user and group id (the caller must be root to change).
  std::optional<uid_t> user{};
  // The child's standard input: a pipe that the test writes with
  // sendInput, or closes with closeInput (end of file at once when
  // neither is called before the child reads).
};

class ChildProcess {
 public:
  // Starts the child; throws std::runtime_error when it cannot.
  explicit ChildProcess(const ProcessLaunch &launch);
  // Kills the child if it still runs, and reaps it.
  ~ChildProcess();
  ChildProcess(const ChildProcess &) = delete;
  ChildProcess &operator=(const ChildProcess &) = delete;

  pid_t pid() const { return pid_; }
  // Writes text to the child's standard input, then closes it.
  void sendInput(const std::string &text);
  void closeInput();

  // True until the child has ended (reaping it then).
  bool running();
  // Waits up to limit for the child to end; its exit code (0..255), or
  // 128 plus the signal that ended it; nullopt when it is still running.
  std::optional<int> waitForExit(std::chrono::milliseconds limit);
  // SIGTERM, then SIGKILL when it has not ended within limit; the outcome
  // as waitForExit gives it.
  int stop(std::chrono::milliseconds limit = std::chrono::seconds(10));

  // Everything the child wrote to standard output and error so far.
  std::string output() const;

 private:
  void collectOutput(int fd);

  pid_t pid_ = -1;
  int input_ = -1;
  std::optional<int> status_;
  std::thread reader_;
  mutable std::mutex outputLock_;
  std::string output_;
};

// The user id unprivileged runs use: 65534 when the tests run as root,
// otherwise none (the tests' own user already is unprivileged).
std::optional<uid_t> unprivilegedUser();

}  // namespace hardening_test

#endif
