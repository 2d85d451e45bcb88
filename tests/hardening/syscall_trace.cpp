#include "syscall_trace.h"

#include <cstdlib>
#include <map>
#include <set>
#include <sstream>

namespace hardening_test {

namespace {

bool startsWith(const std::string &text, const std::string &prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool endsWith(const std::string &text, const std::string &suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads the quoted string starting at text[at] == '"'; returns the index
// just past the closing quote (text.size() when there is none).
std::size_t unquote(const std::string &text, std::size_t at, std::string &out) {
  out.clear();
  std::size_t i = at + 1;
  while (i < text.size() && text[i] != '"') {
    if (text[i] != '\\' || i + 1 >= text.size()) {
      out += text[i++];
      continue;
    }
    const char escape = text[i + 1];
    i += 2;
    switch (escape) {
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      case 'v': out += '\v'; break;
      case 'f': out += '\f'; break;
      case 'x': {
        int value = 0, digits = 0;
        while (digits < 2 && i < text.size() && hexValue(text[i]) >= 0)
          value = value * 16 + hexValue(text[i++]), ++digits;
        out += static_cast<char>(value);
        break;
      }
      default:
        if (escape >= '0' && escape <= '7') {
          int value = escape - '0', digits = 1;
          while (digits < 3 && i < text.size() && text[i] >= '0' && text[i] <= '7')
            value = value * 8 + (text[i++] - '0'), ++digits;
          out += static_cast<char>(value);
        } else {
          out += escape;  // \\ and \"
        }
    }
  }
  return i < text.size() ? i + 1 : text.size();
}

void collectStrings(TracedCall &call) {
  const std::string &args = call.args;
  for (std::size_t i = 0; i < args.size();) {
    if (args[i] != '"') {
      ++i;
      continue;
    }
    std::string value;
    i = unquote(args, i, value);
    const bool cut = args.compare(i, 3, "...") == 0;
    call.truncated = call.truncated || cut;
    call.strings.push_back(value);
    call.cut.push_back(cut);
  }
}

// "name(args) = result" with the quoted parts skipped while looking for
// the parentheses, so that a written ") = " cannot mislead.
bool parseCall(const std::string &text, TracedCall &call) {
  const std::size_t open = text.find('(');
  if (open == std::string::npos || open == 0) return false;
  int depth = 0;
  std::size_t close = std::string::npos;
  for (std::size_t i = open; i < text.size(); ++i) {
    if (text[i] == '"') {
      std::string ignored;
      i = unquote(text, i, ignored) - 1;
    } else if (text[i] == '(' || text[i] == '[' || text[i] == '{') {
      ++depth;
    } else if (text[i] == ')' || text[i] == ']' || text[i] == '}') {
      if (--depth == 0 && text[i] == ')') {
        close = i;
        break;
      }
    }
  }
  if (close == std::string::npos) return false;
  const std::size_t equals = text.find(" = ", close);
  if (equals == std::string::npos) return false;
  call.name = text.substr(0, open);
  call.args = text.substr(open + 1, close - open - 1);
  call.result = text.substr(equals + 3);
  collectStrings(call);
  return true;
}

// The path in the first "<...>" at or after from, if it comes before any
// quoted string or comma.
std::string annotationAt(const std::string &text, std::size_t from) {
  const std::size_t open = text.find('<', from);
  if (open == std::string::npos) return {};
  const std::size_t stop = text.find_first_of(",\"", from);
  if (stop != std::string::npos && stop < open) return {};
  // The path itself may hold '>' escaped; strace ends it with ">" followed
  // by the end, a comma or a space.
  std::size_t close = open;
  for (;;) {
    close = text.find('>', close + 1);
    if (close == std::string::npos) return {};
    if (close + 1 == text.size() || text[close + 1] == ',' || text[close + 1] == ' ') break;
  }
  std::string path;
  const std::string quoted = "\"" + text.substr(open + 1, close - open - 1) + "\"";
  unquote(quoted, 0, path);
  return path;
}

const std::set<std::string> kOpenCalls = {"open", "openat", "openat2", "creat"};
const std::set<std::string> kCreatingCalls = {"creat",  "mknod",    "mknodat",   "link",
                                              "linkat", "symlink",  "symlinkat", "rename",
                                              "renameat", "renameat2", "truncate"};
// Calls whose first descriptor is written to.
const std::set<std::string> kWriteCalls = {"write",  "pwrite64", "writev",  "pwritev", "pwritev2",
                                           "sendto", "sendmsg",  "sendmmsg", "send"};
// Calls that put data into, or cut, the file of a descriptor.
const std::set<std::string> kDescriptorChanges = {"ftruncate", "fallocate"};
// Calls that move data from one descriptor to another (the target second
// for splice and copy_file_range, first for sendfile).
const std::set<std::string> kDataMovers = {"sendfile", "copy_file_range", "splice", "tee"};

bool opensForWriting(const TracedCall &call) {
  if (call.name == "creat") return true;
  for (const char *flag : {"O_WRONLY", "O_RDWR", "O_CREAT", "O_TRUNC", "O_TMPFILE", "O_APPEND"})
    if (call.args.find(flag) != std::string::npos) return true;
  return false;
}

// A path of the file system, not a pipe, socket or anonymous object.
bool filePath(const std::string &path) {
  return startsWith(path, "/") && !startsWith(path, "/memfd:");
}

// Every "<path>" annotation among the call's arguments.
std::vector<std::string> annotations(const TracedCall &call) {
  std::vector<std::string> paths;
  for (std::size_t at = 0; at < call.args.size();) {
    if (call.args[at] == '"') {
      std::string ignored;
      at = unquote(call.args, at, ignored);
      continue;
    }
    if (call.args[at] == '<') {
      const std::string path = annotationAt(call.args, at);
      if (!path.empty()) paths.push_back(path);
    }
    ++at;
  }
  return paths;
}

}  // namespace

std::vector<std::string> straceCommand(const std::string &logPath) {
  return {"strace", "-f", "-qq", "-y", "-x", "-s", std::to_string(kTraceStringBytes),
          "-e",
          "trace=%file,write,pwrite64,writev,pwritev,pwritev2,sendto,sendmsg,sendmmsg,"
          "sendfile,copy_file_range,splice,tee,ftruncate,fallocate",
          "-o", logPath};
}

bool TracedCall::succeeded() const {
  return !name.empty() && !startsWith(result, "-1") && !startsWith(result, "?");
}

std::string TracedCall::line() const {
  std::string shown = name + "(" + args + ") = " + result;
  if (shown.size() > 300) shown = shown.substr(0, 300) + "...";
  return pid + " " + shown;
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
    const std::size_t start = line.find_first_not_of(' ', gap);
    if (start == std::string::npos) continue;
    std::string text = line.substr(start);
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
    TracedCall call;
    call.pid = pid;
    if (parseCall(text, call)) calls.push_back(std::move(call));
  }
  return calls;
}

std::string firstDescriptorPath(const TracedCall &call) { return annotationAt(call.args, 0); }

std::string resultPath(const TracedCall &call) { return annotationAt(call.result, 0); }

PathAllowed allowDevicesAnd(const std::vector<std::string> &allowedRoots) {
  return [allowedRoots](const std::string &path) {
    if (startsWith(path, "/dev/")) return !startsWith(path, "/dev/shm/");
    for (const std::string &root : allowedRoots)
      if (path == root || startsWith(path, root + "/")) return true;
    return false;
  };
}

std::vector<std::string> diskWrites(const std::vector<TracedCall> &calls, const PathAllowed &allowed) {
  std::vector<std::string> findings;
  const auto forbidden = [&](const std::string &path) { return filePath(path) && !allowed(path); };
  for (const TracedCall &call : calls) {
    if (!call.succeeded()) continue;
    bool found = false;
    if (kOpenCalls.count(call.name) && opensForWriting(call)) {
      // The file opened, as -y resolves it; the path argument as well, in
      // case the result carries none.
      const std::string opened = resultPath(call);
      found = forbidden(opened) || (opened.empty() && !call.strings.empty() &&
                                    (call.strings.front().empty() || call.strings.front()[0] != '/' ||
                                     forbidden(call.strings.front())));
    } else if (kCreatingCalls.count(call.name)) {
      for (const std::string &path : call.strings) found = found || !allowed(path);
    } else if (kWriteCalls.count(call.name) || kDescriptorChanges.count(call.name)) {
      found = forbidden(firstDescriptorPath(call));
    } else if (kDataMovers.count(call.name)) {
      const std::vector<std::string> paths = annotations(call);
      const std::size_t target = call.name == "sendfile" ? 0 : 1;
      found = paths.size() > target && forbidden(paths[target]);
    }
    if (found) findings.push_back(call.line());
  }
  return findings;
}

std::vector<std::string> markedWrites(const std::vector<TracedCall> &calls,
                                      const std::vector<std::string> &markers) {
  std::vector<std::string> findings;
  for (const TracedCall &call : calls) {
    if (!kWriteCalls.count(call.name)) continue;
    // The buffers of one call joined, so that a marker split between two
    // pieces of a vector write is found as well; a buffer strace cut short
    // ends what can be seen.
    std::string written;
    bool cut = false;
    for (std::size_t i = 0; i < call.strings.size() && !cut; ++i) {
      written += call.strings[i];
      cut = call.cut[i];
    }
    // A socket's bytes reach no file by themselves: what strace showed of
    // them is checked, and a long write to one (a picture sent to the X
    // server while it drains the socket) is not a finding for the rest.
    const bool to_socket = startsWith(firstDescriptorPath(call), "socket:");
    if (cut && call.succeeded() && !to_socket) {
      // Only the bytes the call wrote matter: a partial write of a large
      // buffer is complete when strace showed at least that many.
      const unsigned long long done = std::strtoull(call.result.c_str(), nullptr, 10);
      if (written.size() < done) {
        findings.push_back("cut short, not checked: " + call.line());
        continue;
      }
    }
    for (const std::string &marker : markers)
      if (written.find(marker) != std::string::npos) {
        findings.push_back("plaintext: " + call.line());
        break;
      }
  }
  return findings;
}

std::size_t writtenBufferCount(const std::vector<TracedCall> &calls) {
  std::size_t count = 0;
  for (const TracedCall &call : calls)
    if (kWriteCalls.count(call.name)) count += call.strings.size();
  return count;
}

}  // namespace hardening_test
