// Reading a system call trace (strace -f -y -x -s <large> -o LOG) of a
// viewer for what it put on disk: files opened for writing, created,
// renamed or truncated, and the bytes of every buffer it wrote anywhere.
#ifndef FOLIO_TESTS_HARDENING_SYSCALL_TRACE_H
#define FOLIO_TESTS_HARDENING_SYSCALL_TRACE_H

#include <functional>
#include <string>
#include <vector>

namespace hardening_test {

// The strace options that make the log these functions read, up to the
// log's path and the command: every thread and child, descriptors shown
// with their paths, strings up to kTraceStringBytes with non-printing bytes
// in hexadecimal.
std::vector<std::string> straceCommand(const std::string &logPath);

// More than a socket takes in one go: a large write that is only partly
// done shows all that was written, and the retries that follow (each
// printing what is left) keep the log small.
constexpr std::size_t kTraceStringBytes = 1 << 18;

struct TracedCall {
  std::string pid;
  std::string name;    // e.g. "openat"
  std::string args;    // as strace printed them
  std::string result;  // after " = ", e.g. "3</tmp/x>" or "-1 ENOENT (...)"
  std::vector<std::string> strings;  // the quoted arguments, unescaped
  std::vector<bool> cut;             // for each: strace printed only its start ("...")
  bool truncated = false;            // any of them was cut
  bool succeeded() const;
  std::string line() const;  // the call as printed, for messages
};

// Every completed call of the log, calls split between threads
// ("<unfinished ...>" / "<... resumed>") joined again.
std::vector<TracedCall> tracedCalls(const std::string &log);

// The path strace -y printed in <...> after the call's first descriptor
// argument, or after its result (the file an open call opened); empty when
// there is none.
std::string firstDescriptorPath(const TracedCall &call);
std::string resultPath(const TracedCall &call);

// Whether a path (as -y prints it) may be written: devices but /dev/shm,
// and the caches and settings under allowedRoots (each a directory).
using PathAllowed = std::function<bool(const std::string &path)>;
PathAllowed allowDevicesAnd(const std::vector<std::string> &allowedRoots);

// One line per successful call that opened a regular file for writing,
// created, linked, renamed or truncated one, or wrote or moved data into
// one, where allowed says no.
std::vector<std::string> diskWrites(const std::vector<TracedCall> &calls, const PathAllowed &allowed);

// One line per write call (write, pwrite, writev, send..., to any
// descriptor: files, pipes, sockets) whose buffers, joined, hold one of
// the markers, and per write call of which strace printed less than the
// bytes it wrote (it could not be checked whole).
std::vector<std::string> markedWrites(const std::vector<TracedCall> &calls,
                                      const std::vector<std::string> &markers);

// The number of written buffers the log holds, for telling a real trace
// from an empty one.
std::size_t writtenBufferCount(const std::vector<TracedCall> &calls);

}  // namespace hardening_test

#endif
