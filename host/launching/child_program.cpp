#include "launching/child_program.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "commands/messages.h"

namespace folio_host {

namespace {

constexpr int kForwardedSignals[] = {SIGINT, SIGTERM, SIGHUP};

volatile sig_atomic_t child_pid = 0;

extern "C" void forward_to_child(int signal_number) {
  if (child_pid > 0) ::kill(static_cast<pid_t>(child_pid), signal_number);
}

// While the child runs, closing it is the child's business: this tool
// passes the signal on and reports how the child ended.
class SignalsForwarded {
 public:
  explicit SignalsForwarded(pid_t pid) {
    child_pid = pid;
    struct sigaction action {};
    action.sa_handler = forward_to_child;
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
    child_pid = 0;
  }
  SignalsForwarded(const SignalsForwarded &) = delete;
  SignalsForwarded &operator=(const SignalsForwarded &) = delete;

 private:
  struct sigaction previous_[std::size(kForwardedSignals)]{};
};

void check_startable(const std::string &program, const ProgramChoice &choice) {
  const std::string role = choice.role;
  struct stat status {};
  if (::stat(program.c_str(), &status) != 0)
    throw Failure(program, role + " not found: " + error_text(errno) + " (give its path with " +
                               choice.option + " or " + choice.environment + ")");
  if (!S_ISREG(status.st_mode)) throw Failure(program, role + " is not a regular file");
  if (::access(program.c_str(), X_OK) != 0)
    throw Failure(program, role + " cannot be run: " + error_text(errno));
}

// A pipe holding text, its writing end already closed: the reading end
// (close-on-exec), for the child's standard input. The text is written
// before the child exists, so it must fit the pipe's buffer (a page at the
// least); nothing waits on the child to read it.
int filled_input_pipe(const std::string &program, const std::string &text) {
  if (text.size() > kMaxChildInputBytes)
    throw Failure(program, "cannot start: its input is over " +
                               std::to_string(kMaxChildInputBytes) + " bytes");
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
    throw Failure(program, "cannot start: " + error_text(errno));
  std::size_t written = 0;
  while (written < text.size()) {
    const ssize_t done = ::write(ends[1], text.data() + written, text.size() - written);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) {
      const int error = done < 0 ? errno : EIO;
      ::close(ends[0]);
      ::close(ends[1]);
      throw Failure(program, "cannot start: " + error_text(error));
    }
    written += static_cast<std::size_t>(done);
  }
  ::close(ends[1]);
  // The child reads with ordinary blocking reads.
  ::fcntl(ends[0], F_SETFL, ::fcntl(ends[0], F_GETFL) & ~O_NONBLOCK);
  return ends[0];
}

// The child reports a failed execv through a close-on-exec pipe: the parent
// reads the errno, or end of file once the program is running.
int read_exec_error(int fd) {
  int child_errno = 0;
  ssize_t got;
  do got = ::read(fd, &child_errno, sizeof child_errno);
  while (got < 0 && errno == EINTR);
  return got == static_cast<ssize_t>(sizeof child_errno) ? child_errno : 0;
}

int wait_for(pid_t pid, const std::string &role) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) throw Failure(role, "cannot wait for it: " + error_text(errno));
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return WEXITSTATUS(status);
}

// The program installed beside this tool (bin/pageview next to
// bin/folio-host); empty when there is none.
std::string sibling_program(const char *name) {
  char self[4096];
  const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) return {};
  std::string path(self, static_cast<std::size_t>(length));
  path.erase(path.rfind('/') + 1);
  path += name;
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) ? path : std::string();
}

std::string program_path(const std::string *option_value, const ProgramChoice &choice) {
  if (option_value) {
    if (option_value->empty())
      throw Failure(choice.option, std::string("empty ") + choice.role + " path");
    return *option_value;
  }
  if (const char *from_environment = std::getenv(choice.environment);
      from_environment && *from_environment)
    return from_environment;
  if (std::string beside = sibling_program(choice.built_name); !beside.empty()) return beside;
  if (choice.built_path) return choice.built_path;
  throw Failure(choice.built_name, std::string("this folio-host was built without the ") +
                                       choice.role + ": give its path with " + choice.option +
                                       " or " + choice.environment);
}

}  // namespace

std::string choose_program(const std::string *option_value, const ProgramChoice &choice) {
  const std::string program = program_path(option_value, choice);
  check_startable(program, choice);
  return program;
}

int run_child_program(const std::string &program, const std::string &role,
                      const std::vector<std::string> &arguments,
                      const std::string *standard_input) {
  std::vector<std::string> words{program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char *> argv;
  for (std::string &word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  const int input = standard_input ? filled_input_pipe(program, *standard_input) : -1;
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) {
    const int error = errno;
    if (input >= 0) ::close(input);
    throw Failure(program, "cannot start: " + error_text(error));
  }
  std::fflush(nullptr);  // what is buffered must not be written twice
  // Interrupts wait until the forwarding is in place, so that none can end
  // this tool and leave the child behind; the child starts with the mask it
  // would have had.
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
    if (input >= 0) ::close(input);
    throw Failure(program, "cannot start: " + error_text(error));
  }
  if (pid == 0) {
    ::sigprocmask(SIG_SETMASK, &previous_mask, nullptr);
    ::close(report[0]);
    // dup2 leaves the copy open across exec; the original closes with it.
    // (Already descriptor 0 when this tool was started without an input:
    // then only its close-on-exec flag goes.)
    if (input >= 0 && (input == STDIN_FILENO ? ::fcntl(input, F_SETFD, 0)
                                             : ::dup2(input, STDIN_FILENO)) < 0) {
      const int error = errno;
      (void)!::write(report[1], &error, sizeof error);
      _exit(127);
    }
    ::execv(argv[0], argv.data());
    const int error = errno;
    (void)!::write(report[1], &error, sizeof error);
    _exit(127);
  }
  ::close(report[1]);
  if (input >= 0) ::close(input);
  SignalsForwarded forwarded(pid);
  ::sigprocmask(SIG_SETMASK, &previous_mask, nullptr);
  const int exec_error = read_exec_error(report[0]);
  ::close(report[0]);
  const int status = wait_for(pid, role);
  if (exec_error != 0) throw Failure(program, "cannot start: " + error_text(exec_error));
  return status;
}

}  // namespace folio_host
