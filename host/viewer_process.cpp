#include "viewer_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "messages.h"

namespace folio_host {

namespace {

constexpr int kForwardedSignals[] = {SIGINT, SIGTERM, SIGHUP};

volatile sig_atomic_t viewer_pid = 0;

extern "C" void forward_to_viewer(int signal_number) {
  if (viewer_pid > 0) ::kill(static_cast<pid_t>(viewer_pid), signal_number);
}

// While the viewer runs, closing it is the viewer's business: this tool
// passes the signal on and reports how the viewer ended.
class SignalsForwarded {
 public:
  explicit SignalsForwarded(pid_t pid) {
    viewer_pid = pid;
    struct sigaction action {};
    action.sa_handler = forward_to_viewer;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < std::size(kForwardedSignals); ++i) {
      ::sigaction(kForwardedSignals[i], nullptr, &previous_[i]);
      // A signal ignored by whoever started us stays ignored (nohup).
      if (previous_[i].sa_handler != SIG_IGN) ::sigaction(kForwardedSignals[i], &action, nullptr);
    }
  }
  ~SignalsForwarded() {
    for (std::size_t i = 0; i < std::size(kForwardedSignals); ++i)
      ::sigaction(kForwardedSignals[i], &previous_[i], nullptr);
    viewer_pid = 0;
  }
  SignalsForwarded(const SignalsForwarded &) = delete;
  SignalsForwarded &operator=(const SignalsForwarded &) = delete;

 private:
  struct sigaction previous_[std::size(kForwardedSignals)]{};
};

void check_startable(const std::string &viewer) {
  struct stat status {};
  if (::stat(viewer.c_str(), &status) != 0)
    throw Failure(viewer, "viewer not found: " + error_text(errno) +
                              " (give its path with --viewer or FOLIO_PAGEVIEW)");
  if (!S_ISREG(status.st_mode)) throw Failure(viewer, "viewer is not a regular file");
  if (::access(viewer.c_str(), X_OK) != 0)
    throw Failure(viewer, "viewer cannot be run: " + error_text(errno));
}

// The child reports a failed execv through a close-on-exec pipe: the parent
// reads the errno, or end of file once the viewer is running.
int read_exec_error(int fd) {
  int child_errno = 0;
  ssize_t got;
  do got = ::read(fd, &child_errno, sizeof child_errno);
  while (got < 0 && errno == EINTR);
  return got == static_cast<ssize_t>(sizeof child_errno) ? child_errno : 0;
}

int wait_for(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) throw Failure("viewer", "cannot wait for it: " + error_text(errno));
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return WEXITSTATUS(status);
}

std::string viewer_path(const std::string *viewer_option) {
  if (viewer_option) {
    if (viewer_option->empty()) throw Failure("--viewer", "empty viewer path");
    return *viewer_option;
  }
  if (const char *from_environment = std::getenv("FOLIO_PAGEVIEW");
      from_environment && *from_environment)
    return from_environment;
#ifdef FOLIO_DEFAULT_VIEWER
  return FOLIO_DEFAULT_VIEWER;
#else
  throw Failure("pageview",
                "this folio-host was built without the viewer: give its path with "
                "--viewer or FOLIO_PAGEVIEW");
#endif
}

}  // namespace

std::string choose_viewer(const std::string *viewer_option) {
  const std::string viewer = viewer_path(viewer_option);
  check_startable(viewer);
  return viewer;
}

int run_viewer(const std::string &viewer, const std::vector<std::string> &arguments) {
  std::vector<std::string> words{viewer};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char *> argv;
  for (std::string &word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) throw Failure(viewer, "cannot start: " + error_text(errno));
  std::fflush(nullptr);  // what is buffered must not be written twice
  // Interrupts wait until the forwarding is in place, so that none can end
  // this tool and leave the viewer behind; the viewer starts with the mask
  // it would have had.
  sigset_t interrupts, previous_mask;
  sigemptyset(&interrupts);
  for (int signal_number : kForwardedSignals) sigaddset(&interrupts, signal_number);
  ::sigprocmask(SIG_BLOCK, &interrupts, &previous_mask);
  const pid_t pid = ::fork();
  if (pid < 0) {
    const int error = errno;
    ::sigprocmask(SIG_SETMASK, &previous_mask, nullptr);
    ::close(report[0]);
    ::close(report[1]);
    throw Failure(viewer, "cannot start: " + error_text(error));
  }
  if (pid == 0) {
    ::sigprocmask(SIG_SETMASK, &previous_mask, nullptr);
    ::close(report[0]);
    ::execv(argv[0], argv.data());
    const int error = errno;
    (void)!::write(report[1], &error, sizeof error);
    _exit(127);
  }
  ::close(report[1]);
  SignalsForwarded forwarded(pid);
  ::sigprocmask(SIG_SETMASK, &previous_mask, nullptr);
  const int exec_error = read_exec_error(report[0]);
  ::close(report[0]);
  const int status = wait_for(pid);
  if (exec_error != 0) throw Failure(viewer, "cannot start: " + error_text(exec_error));
  return status;
}

}  // namespace folio_host
