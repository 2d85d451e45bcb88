#include "support/command.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace tessaro_test {

CommandResult run_command(const std::vector<std::string> &argv, const std::string &folder) {
  std::vector<char *> args;
  for (const std::string &a : argv) args.push_back(const_cast<char *>(a.c_str()));
  args.push_back(nullptr);
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    dup2(out[1], 1);
    const int null_device = open("/dev/null", O_WRONLY);
    if (null_device >= 0) dup2(null_device, 2);
    if (!folder.empty() && chdir(folder.c_str()) != 0) _exit(126);
    execvp(args[0], args.data());
    _exit(127);
  }
  close(out[1]);
  CommandResult result;
  char buffer[65536];
  for (;;) {
    const ssize_t got = read(out[0], buffer, sizeof buffer);
    if (got > 0) {
      result.out.append(buffer, static_cast<std::size_t>(got));
    } else if (got == 0 || errno != EINTR) {
      break;
    }
  }
  close(out[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

}  // namespace tessaro_test
