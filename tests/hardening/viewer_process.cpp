#include "viewer_process.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <cstdlib>
#include <stdexcept>

#include "support/wait.h"

namespace hardening_test {

namespace {

constexpr uid_t kNobody = 65534;

int statusCode(int status) {
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return WEXITSTATUS(status);
}

}  // namespace

std::optional<uid_t> unprivilegedUser() {
  if (::geteuid() == 0) return kNobody;
  return std::nullopt;
}

ChildProcess::ChildProcess(const ProcessLaunch &launch) {
  if (launch.command.empty()) throw std::invalid_argument("no program");
  int input[2], output[2];
  if (::pipe2(input, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
  if (::pipe2(output, O_CLOEXEC) != 0) {
    ::close(input[0]);
    ::close(input[1]);
    throw std::runtime_error("pipe");
  }
  // Everything the child needs is made here: between fork and exec a
  // child of this threaded process may only make async-signal-safe calls.
  std::vector<std::string> words = launch.command;
  std::vector<char *> argv;
  for (std::string &word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  std::map<std::string, std::string> variables;
  for (char **entry = environ; *entry; ++entry) {
    const std::string text = *entry;
    const std::size_t equals = text.find('=');
    if (equals != std::string::npos) variables[text.substr(0, equals)] = text.substr(equals + 1);
  }
  for (const auto &[name, value] : launch.environment) {
    if (value.empty())
      variables.erase(name);
    else
      variables[name] = value;
  }
  std::vector<std::string> entries;
  for (const auto &[name, value] : variables) entries.push_back(name + "=" + value);
  std::vector<char *> envp;
  for (std::string &entry : entries) envp.push_back(entry.data());
  envp.push_back(nullptr);

  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("fork");
  if (pid_ == 0) {
    // A process group of its own, so that a wrapper's children (strace's
    // tracee) end with it.
    ::setpgid(0, 0);
    ::dup2(input[0], 0);
    ::dup2(output[1], 1);
    ::dup2(output[1], 2);
    if (launch.user) {
      if (::setgroups(0, nullptr) != 0 || ::setgid(*launch.user) != 0 ||
          ::setuid(*launch.user) != 0)
        _exit(126);
    }
    ::execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  ::setpgid(pid_, pid_);  // as the child does: whichever runs first
  ::close(input[0]);
  ::close(output[1]);
  input_ = input[1];
  reader_ = std::thread([this, fd = output[0]] { collectOutput(fd); });
}

ChildProcess::~ChildProcess() {
  closeInput();
  if (running()) {
    ::kill(-pid_, SIGKILL);
    waitForExit(std::chrono::milliseconds(folio_test::kGenerousDeadline));
  }
  if (reader_.joinable()) reader_.join();
}

void ChildProcess::collectOutput(int fd) {
  char buffer[4096];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    const std::lock_guard<std::mutex> lock(outputLock_);
    output_.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
}

void ChildProcess::sendInput(const std::string &text) {
  if (input_ < 0) throw std::logic_error("input already closed");
  std::size_t written = 0;
  while (written < text.size()) {
    const ssize_t done = ::write(input_, text.data() + written, text.size() - written);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) break;  // the child is gone; its outcome tells
    written += static_cast<std::size_t>(done);
  }
  closeInput();
}

void ChildProcess::closeInput() {
  if (input_ >= 0) ::close(input_);
  input_ = -1;
}

bool ChildProcess::running() {
  if (status_) return false;
  siginfo_t info{};
  if (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) != 0 ||
      info.si_pid != pid_)
    return true;
  // Ended but not reaped: its process group is still reserved, so what is
  // left in it (a wrapper's child, holding the output pipe) can go first.
  ::kill(-pid_, SIGKILL);
  int status = 0;
  while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  status_ = statusCode(status);
  return false;
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds limit) {
  folio_test::wait_until([&] { return !running(); }, limit, std::chrono::milliseconds(20));
  return status_;
}

int ChildProcess::stop(std::chrono::milliseconds limit) {
  if (running()) ::kill(pid_, SIGTERM);
  if (const auto code = waitForExit(limit)) return *code;
  ::kill(-pid_, SIGKILL);
  if (const auto code = waitForExit(std::chrono::milliseconds(folio_test::kGenerousDeadline)))
    return *code;
  return -1;
}

std::string ChildProcess::output() const {
  const std::lock_guard<std::mutex> lock(outputLock_);
  return output_;
}

}  // namespace hardening_test
