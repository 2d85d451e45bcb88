#include "host_process.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace host_test {

namespace {

constexpr uid_t kNobody = 65534;

std::vector<char *> make_argv(const std::vector<std::string> &arguments,
                              std::vector<std::string> &storage) {
  storage.assign(1, FOLIO_HOST_BINARY);
  storage.insert(storage.end(), arguments.begin(), arguments.end());
  std::vector<char *> argv;
  for (std::string &word : storage) argv.push_back(word.data());
  argv.push_back(nullptr);
  return argv;
}

// In the child, after fork: never returns.
[[noreturn]] void exec_host(char **argv, bool unprivileged) {
  if (unprivileged && ::geteuid() == 0) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
      _exit(126);
  }
  ::execv(argv[0], argv);
  _exit(127);
}

void drain(int fds[2], std::string *texts[2]) {
  int open_count = 2;
  while (open_count > 0) {
    pollfd polled[2];
    int count = 0;
    int which[2];
    for (int i = 0; i < 2; ++i) {
      if (fds[i] < 0) continue;
      polled[count] = {fds[i], POLLIN, 0};
      which[count++] = i;
    }
    if (::poll(polled, static_cast<nfds_t>(count), -1) < 0) {
      if (errno == EINTR) continue;
      throw std::runtime_error("poll failed");
    }
    for (int k = 0; k < count; ++k) {
      if (!(polled[k].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      const int i = which[k];
      char buffer[4096];
      const ssize_t got = ::read(fds[i], buffer, sizeof buffer);
      if (got > 0) {
        texts[i]->append(buffer, static_cast<std::size_t>(got));
      } else if (got == 0 || errno != EINTR) {
        // A pseudo-terminal's master reads EIO once the child has gone.
        ::close(fds[i]);
        fds[i] = -1;
        --open_count;
      }
    }
  }
}

RunResult result_from_status(int status) {
  RunResult result;
  if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal_number = WTERMSIG(status);
  return result;
}

}  // namespace

bool running_as_root() { return ::geteuid() == 0; }

RunResult run_host(const std::vector<std::string> &arguments, const RunOptions &options) {
  std::vector<std::string> storage;
  std::vector<char *> argv = make_argv(arguments, storage);
  int out_pipe[2];
  if (::pipe2(out_pipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  int err_parent = -1, err_child = -1;
  if (options.stderr_on_terminal) {
    if (::openpty(&err_parent, &err_child, nullptr, nullptr, nullptr) != 0)
      throw std::runtime_error("openpty failed");
    ::fcntl(err_parent, F_SETFD, FD_CLOEXEC);
    ::fcntl(err_child, F_SETFD, FD_CLOEXEC);
  } else {
    int err_pipe[2];
    if (::pipe2(err_pipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    err_parent = err_pipe[0];
    err_child = err_pipe[1];
  }

  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    const int null_in = ::open("/dev/null", O_RDONLY);
    ::dup2(null_in, STDIN_FILENO);
    ::dup2(out_pipe[1], STDOUT_FILENO);
    ::dup2(err_child, STDERR_FILENO);
    exec_host(argv.data(), options.unprivileged);
  }
  ::close(out_pipe[1]);
  ::close(err_child);

  std::string out, err;
  int fds[2] = {out_pipe[0], err_parent};
  std::string *texts[2] = {&out, &err};
  drain(fds, texts);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  RunResult result = result_from_status(status);
  result.out = std::move(out);
  result.err = std::move(err);
  return result;
}

BackgroundHost::BackgroundHost(const std::vector<std::string> &arguments) {
  std::vector<std::string> storage;
  std::vector<char *> argv = make_argv(arguments, storage);
  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    const int null_fd = ::open("/dev/null", O_RDWR);
    for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) ::dup2(null_fd, fd);
    // The test runner may have SIGINT ignored or blocked; the tool must see
    // the signal as an interactive shell would deliver it.
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGTERM, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    exec_host(argv.data(), false);
  }
}

BackgroundHost::~BackgroundHost() {
  if (!reaped_) {
    ::kill(pid_, SIGKILL);
    wait();
  }
}

bool BackgroundHost::running() {
  if (reaped_) return false;
  const pid_t got = ::waitpid(pid_, &status_, WNOHANG);
  if (got == pid_) reaped_ = true;
  return !reaped_;
}

void BackgroundHost::send(int signal_number) { ::kill(pid_, signal_number); }

RunResult BackgroundHost::wait() {
  while (!reaped_) {
    if (::waitpid(pid_, &status_, 0) == pid_)
      reaped_ = true;
    else if (errno != EINTR)
      break;
  }
  return result_from_status(status_);
}

}  // namespace host_test
