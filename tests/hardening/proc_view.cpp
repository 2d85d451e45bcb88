#include "proc_view.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace hardening_test {

std::string commandLineBytes(pid_t pid) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::vector<std::string> commandLineWords(pid_t pid) {
  const std::string bytes = commandLineBytes(pid);
  std::vector<std::string> words;
  std::size_t start = 0;
  for (std::size_t end; (end = bytes.find('\0', start)) != std::string::npos; start = end + 1)
    words.push_back(bytes.substr(start, end - start));
  if (start < bytes.size()) words.push_back(bytes.substr(start));
  return words;
}

std::optional<uid_t> procOwner(pid_t pid) {
  struct stat status {};
  // An entry inside the directory: the kernel refreshes its owner when it
  // is looked up.
  if (::stat(("/proc/" + std::to_string(pid) + "/status").c_str(), &status) != 0)
    return std::nullopt;
  return status.st_uid;
}

bool memoryOpenableBy(pid_t pid, std::optional<uid_t> user) {
  const std::string path = "/proc/" + std::to_string(pid) + "/mem";
  const pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    if (user && (::setgroups(0, nullptr) != 0 || ::setgid(*user) != 0 || ::setuid(*user) != 0))
      _exit(2);
    const int fd = ::open(path.c_str(), O_RDONLY);
    _exit(fd >= 0 ? 0 : 1);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::vector<pid_t> childrenOf(pid_t parent) {
  std::vector<pid_t> children;
  std::error_code error;
  for (const auto &entry : std::filesystem::directory_iterator("/proc", error)) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    std::getline(stat, line);
    // "pid (name) state ppid ...": the name may hold spaces.
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos) continue;
    char state = 0;
    long ppid = 0;
    if (std::sscanf(line.c_str() + close + 1, " %c %ld", &state, &ppid) == 2 && ppid == parent)
      children.push_back(static_cast<pid_t>(std::stol(name)));
  }
  return children;
}

std::vector<std::string> openFiles(pid_t pid) {
  std::vector<std::string> targets;
  std::error_code error;
  for (const auto &entry :
       std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
    std::error_code link_error;
    const auto target = std::filesystem::read_symlink(entry.path(), link_error);
    if (!link_error) targets.push_back(target.string());
  }
  return targets;
}

}  // namespace hardening_test
