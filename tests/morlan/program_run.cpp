#include "program_run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <thread>

namespace morlan_test {

namespace {

void applyEnvironment(const std::map<std::string, std::string> &environment) {
  for (const auto &[name, value] : environment) {
    if (value.empty())
      ::unsetenv(name.c_str());
    else
      ::setenv(name.c_str(), value.c_str(), 1);
  }
}

}  // namespace

ProgramRun runMorlan(const std::vector<std::string> &arguments,
                     const std::map<std::string, std::string> &environment, int limitSeconds) {
  int out[2];
  if (::pipe(out) != 0) throw std::runtime_error("pipe");
  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork");
  if (pid == 0) {
    ::close(out[0]);
    ::dup2(out[1], 1);
    const int quiet = ::open("/dev/null", O_WRONLY);
    ::dup2(quiet, 2);
    applyEnvironment(environment);
    std::vector<char *> argv;
    std::string program = MORLAN_PROGRAM;
    argv.push_back(program.data());
    std::vector<std::string> words = arguments;
    for (std::string &word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    _exit(127);
  }
  ::close(out[1]);
  ::fcntl(out[0], F_SETFL, O_NONBLOCK);
  ProgramRun run;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limitSeconds);
  int status = 0;
  bool reaped = false;
  char buffer[4096];
  for (;;) {
    ssize_t got;
    while ((got = ::read(out[0], buffer, sizeof buffer)) > 0)
      run.out.append(buffer, static_cast<std::size_t>(got));
    if (reaped) break;
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) {
      reaped = true;  // one more read collects what is left in the pipe
      continue;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ::close(out[0]);
  if (WIFEXITED(status)) {
    run.exited = true;
    run.exitCode = WEXITSTATUS(status);
  }
  return run;
}

std::map<std::string, std::string> noDisplayEnvironment() {
  return {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", "xcb"}};
}

std::map<std::string, std::string> headlessEnvironment() {
  return {{"DISPLAY", ""},
          {"WAYLAND_DISPLAY", ""},
          {"QT_QPA_PLATFORM", "offscreen"},
          {"SDL_VIDEODRIVER", "dummy"},
          {"SDL_AUDIODRIVER", "dummy"}};
}

}  // namespace morlan_test
