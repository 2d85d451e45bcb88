// The built Morlan program run as a child process with an environment the
// test chooses, its standard output collected.
#ifndef FOLIO_TESTS_MORLAN_PROGRAM_RUN_H
#define FOLIO_TESTS_MORLAN_PROGRAM_RUN_H

#include <map>
#include <string>
#include <vector>

namespace morlan_test {

struct ProgramRun {
  bool exited = false;  // false: killed by a signal, or ended by the time limit
  int exitCode = -1;    // 0..255 as the shell sees it: -1 shows as 255
  std::string out;
};

// Runs the program with arguments. environment entries replace (or, with
// an empty value, remove) inherited variables. Killed after limitSeconds.
ProgramRun runMorlan(const std::vector<std::string> &arguments,
                     const std::map<std::string, std::string> &environment, int limitSeconds = 30);

// An environment in which the program cannot open a window of any kind:
// no display, and Qt told to use X11 (creating the application then aborts
// the process instead of exiting with a code).
std::map<std::string, std::string> noDisplayEnvironment();

// Qt without a screen, SDL without video or sound: the program starts its
// application but the video output cannot be set up.
std::map<std::string, std::string> headlessEnvironment();

}  // namespace morlan_test

#endif
