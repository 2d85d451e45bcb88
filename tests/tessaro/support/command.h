// Running a program to completion and collecting its standard output.
#ifndef TESSARO_TESTS_COMMAND_H
#define TESSARO_TESTS_COMMAND_H

#include <string>
#include <vector>

namespace tessaro_test {

struct CommandResult {
  int exit_code = -1;  // -1 when it did not exit normally
  std::string out;
};

// argv[0] is looked up in PATH; standard error is discarded. `folder`, when
// given, is its working folder.
CommandResult run_command(const std::vector<std::string> &argv, const std::string &folder = "");

}  // namespace tessaro_test

#endif
