#include "write_trace.h"

#include <map>
#include <set>
#include <sstream>

namespace pageview_test {

namespace {

bool startsWith(const std::string &text, const std::string &prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool endsWith(const std::string &text, const std::string &suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Places where writing is no sign of a document reaching the disk: devices
// (a terminal, /dev/null) and the caches fontconfig keeps for font lists.
bool allowedPath(const std::string &path) {
  if (startsWith(path, "/dev/")) return !startsWith(path, "/dev/shm/");
  return path.find("/.cache/fontconfig/") != std::string::npos ||
         startsWith(path, "/var/cache/fontconfig/");
}

// Not a file system object: pipes, sockets, anonymous memory files.
bool regularFilePath(const std::string &path) {
  return startsWith(path, "/") && !startsWith(path, "/memfd:");
}

TracedCall parseCall(const std::string &text) {
  TracedCall call;
  const std::size_t open = text.find('(');
  const std::size_t equals = text.rfind(") = ");
  if (open == std::string::npos || equals == std::string::npos || equals < open) return call;
  call.name = text.substr(0, open);
  call.args = text.substr(open + 1, equals - open - 1);
  call.result = text.substr(equals + 4);
  return call;
}

const std::set<std::string> kOpenCalls = {"open", "openat", "openat2", "creat"};
const std::set<std::string> kCreatingCalls = {"creat",     "mknod",   "mknodat",  "link",
                                              "linkat",    "symlink", "symlinkat", "rename",
                                              "renameat",  "renameat2", "truncate"};
const std::set<std::string> kWriteCalls = {"write", "pwrite64", "writev", "pwritev", "pwritev2"};

bool opensForWriting(const TracedCall &call) {
  if (call.name == "creat") return true;
  for (const char *flag : {"O_WRONLY", "O_RDWR", "O_CREAT", "O_TRUNC", "O_TMPFILE", "O_APPEND"})
    if (call.args.find(flag) != std::string::npos) return true;
  return false;
}

}  // namespace

bool TracedCall::succeeded() const {
  return !name.empty() && !startsWith(result, "-1") && !startsWith(result, "?");
}

std::vector<TracedCall> tracedCalls(const std::string &log) {
  std::vector<TracedCall> calls;
  std::map<std::string, std::string> unfinished;  // by pid
  std::istringstream lines(log);
  std::string line;
  while (std::getline(lines, line)) {
    const std::size_t gap = line.find(' ');
    if (gap == std::string::npos) continue;
    const std::string pid = line.substr(0, gap);
    std::string text = line.substr(line.find_first_not_of(' ', gap));
    const std::string kUnfinished = " <unfinished ...>";
    if (endsWith(text, kUnfinished)) {
      unfinished[pid] = text.substr(0, text.size() - kUnfinished.size());
      continue;
    }
    if (startsWith(text, "<... ")) {
      const std::size_t resumed = text.find(" resumed>");
      if (resumed == std::string::npos) continue;
      text = unfinished[pid] + text.substr(resumed + 9);
      unfinished.erase(pid);
    }
    if (startsWith(text, "+++") || startsWith(text, "---")) continue;
    TracedCall call = parseCall(text);
    if (!call.name.empty()) calls.push_back(call);
  }
  return calls;
}

std::vector<std::string> quotedPaths(const TracedCall &call) {
  std::vector<std::string> paths;
  for (std::size_t at = call.args.find('"'); at != std::string::npos;) {
    const std::size_t end = call.args.find('"', at + 1);
    if (end == std::string::npos) break;
    paths.push_back(call.args.substr(at + 1, end - at - 1));
    at = call.args.find('"', end + 1);
  }
  return paths;
}

std::string descriptorPath(const TracedCall &call) {
  const std::size_t open = call.args.find('<');
  const std::size_t comma = call.args.find(',');
  if (open == std::string::npos || (comma != std::string::npos && open > comma)) return {};
  const std::size_t close = call.args.find(">,", open);
  if (close == std::string::npos) return {};
  return call.args.substr(open + 1, close - open - 1);
}

std::vector<std::string> fileWrites(const std::vector<TracedCall> &calls) {
  std::vector<std::string> findings;
  for (const TracedCall &call : calls) {
    if (!call.succeeded()) continue;
    const std::string line = call.name + "(" + call.args + ") = " + call.result;
    if ((kOpenCalls.count(call.name) && opensForWriting(call)) || kCreatingCalls.count(call.name)) {
      for (const std::string &path : quotedPaths(call))
        if (!allowedPath(path)) {
          findings.push_back(line);
          break;
        }
    } else if (kWriteCalls.count(call.name)) {
      const std::string path = descriptorPath(call);
      if (regularFilePath(path) && !allowedPath(path)) findings.push_back(line);
    }
  }
  return findings;
}

}  // namespace pageview_test
