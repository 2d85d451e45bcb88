// What another local process can learn about a running viewer through
// /proc: its command line, who owns its /proc entries, and whether its
// memory can be opened.
#ifndef FOLIO_TESTS_HARDENING_PROC_VIEW_H
#define FOLIO_TESTS_HARDENING_PROC_VIEW_H

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace hardening_test {

// /proc/<pid>/cmdline as the kernel gives it (NUL-separated arguments);
// empty once the process has gone.
std::string commandLineBytes(pid_t pid);

// The arguments of that command line, split at NULs (an argument wiped to
// NULs shows as empty ones).
std::vector<std::string> commandLineWords(pid_t pid);

// The owner of /proc/<pid>: the process's user while it is dumpable, root
// once it has made itself not dumpable; nothing once it has gone.
std::optional<uid_t> procOwner(pid_t pid);

// Whether a process running as user (the caller's own user when none)
// can open /proc/<pid>/mem for reading: the access a debugger or a memory
// scraper of the same user needs. Answered by a child process that drops
// to that user first (the caller must then be root).
bool memoryOpenableBy(pid_t pid, std::optional<uid_t> user);

// The pids of the children of parent.
std::vector<pid_t> childrenOf(pid_t parent);

// The descriptors' targets of /proc/<pid>/fd (readable by root, or by the
// same user while the process is dumpable); empty when they cannot be read.
std::vector<std::string> openFiles(pid_t pid);

}  // namespace hardening_test

#endif
