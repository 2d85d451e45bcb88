// Starting a program this tool hands a file to (the document viewer, the
// video player) as a child, and waiting for it to end.
#ifndef FOLIO_HOST_CHILD_PROGRAM_H
#define FOLIO_HOST_CHILD_PROGRAM_H

#include <cstddef>
#include <string>
#include <vector>

namespace folio_host {

// Where one kind of program is looked for, and the words its messages use.
struct ProgramChoice {
  const char *role;         // "viewer": what the messages call it
  const char *option;       // "--viewer": the option that names it
  const char *environment;  // "FOLIO_PAGEVIEW": the variable that names it
  const char *built_name;   // "pageview": the program built with this tool
  const char *built_path;   // where that program was built; null when it was not
};

// Which program to start: the option's value (null when not given), else
// the environment variable, else the one installed beside this tool, else
// the one built with this tool. Throws
// Failure when there is none, or it is missing or not executable.
std::string choose_program(const std::string *option_value, const ProgramChoice &choice);

// Runs program with the arguments (execv: no shell, no PATH search) and
// waits for it. Interrupt signals that reach this tool meanwhile are passed
// on to it. Returns its exit status, or 128 plus the signal number when a
// signal ended it. Throws Failure (naming the program) when it cannot be
// started; role is what the messages call it. With standard_input, the
// child's standard input is a pipe holding that text (at most
// kMaxChildInputBytes), then end of file; without, it inherits this tool's.
int run_child_program(const std::string &program, const std::string &role,
                      const std::vector<std::string> &arguments,
                      const std::string *standard_input = nullptr);

// Input that always fits a pipe's buffer, written before the child starts.
constexpr std::size_t kMaxChildInputBytes = 4096;

}  // namespace folio_host

#endif
