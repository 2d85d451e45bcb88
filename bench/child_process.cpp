#include "child_process.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "ratio_report.h"

namespace folio_bench {
namespace {

// The file exec will run, resolved before the fork so that the child only
// makes async-signal-safe calls; empty when not found.
std::string executable_path(const std::string &name) {
  if (name.find('/') != std::string::npos) return ::access(name.c_str(), X_OK) == 0 ? name : "";
  const char *path = std::getenv("PATH");
  std::string directories = path ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= directories.size()) {
    std::size_t end = directories.find(':', start);
    if (end == std::string::npos) end = directories.size();
    const std::string directory = end > start ? directories.substr(start, end - start) : ".";
    const std::string candidate = directory + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return "";
}

// wait4 for pid, retried across signals; false when it could not be reaped.
bool reap(pid_t pid, int &status, rusage &usage) {
  pid_t waited;
  do {
    waited = ::wait4(pid, &status, 0, &usage);
  } while (waited < 0 && errno == EINTR);
  return waited == pid;
}

}  // namespace

ChildRun run_child(const std::vector<std::string> &argv, const std::string &log_path) {
  ChildRun run;
  const std::string program = executable_path(argv.at(0));
  if (program.empty()) return run;
  std::vector<char *> args;
  for (const std::string &arg : argv) args.push_back(const_cast<char *>(arg.c_str()));
  args.push_back(nullptr);

  const double start = monotonic_seconds();
  const pid_t pid = ::fork();
  if (pid < 0) return run;
  if (pid == 0) {
    const int log = ::open(log_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (log < 0 || ::dup2(log, 1) < 0 || ::dup2(log, 2) < 0) ::_exit(127);
    ::close(log);
    ::execv(program.c_str(), args.data());
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  const bool reaped = reap(pid, status, usage);
  run.seconds = monotonic_seconds() - start;
  if (!reaped) return run;

  run.started = true;
  run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  run.max_rss_kib = usage.ru_maxrss;
  return run;
}

long fork_floor_kib() {
  const pid_t pid = ::fork();
  if (pid < 0) return -1;
  if (pid == 0) ::_exit(0);
  int status = 0;
  rusage usage{};
  return reap(pid, status, usage) ? usage.ru_maxrss : -1;
}

}  // namespace folio_bench
