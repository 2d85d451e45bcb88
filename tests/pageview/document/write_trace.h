// Reading an strace log (strace -f -y -o LOG) for what a traced program
// wrote to the file system.
#ifndef PAGEVIEW_TESTS_DOCUMENT_WRITE_TRACE_H
#define PAGEVIEW_TESTS_DOCUMENT_WRITE_TRACE_H

#include <string>
#include <vector>

namespace pageview_test {

struct TracedCall {
  std::string name;    // e.g. "openat"
  std::string args;    // everything between the parentheses, as strace printed it
  std::string result;  // after " = ", e.g. "3</tmp/x>" or "-1 ENOENT (...)"
  bool succeeded() const;
};

// Every completed system call of the log, with calls that strace split
// between threads ("<unfinished ...>" / "<... resumed>") joined again.
std::vector<TracedCall> tracedCalls(const std::string &log);

// The quoted path arguments of a call, in order.
std::vector<std::string> quotedPaths(const TracedCall &call);

// The path strace -y printed for the call's first (descriptor) argument,
// e.g. "/dev/pts/0" or "pipe:[123]"; empty when there is none.
std::string descriptorPath(const TracedCall &call);

// Each successful call that opened a file for writing, created, renamed,
// linked or truncated one, or wrote to a regular file, outside the places
// allowed: devices (not /dev/shm) and fontconfig's caches. One line each.
std::vector<std::string> fileWrites(const std::vector<TracedCall> &calls);

}  // namespace pageview_test

#endif
