// The player's start-up: checks the command line, unwraps the launch token
// and header block, then opens and plays the video in the main window.
//   Morlan <video path> <launch token, hex> <header block, Base64> [mode]
//   Morlan <video path> - [-] [mode]   token and header block on standard input
//                                      (launch_intake.h)
// Returns the process's exit code: -1 for a command line refused before
// any window exists, 0 once the application has started.
#ifndef MORLAN_STARTUP_H
#define MORLAN_STARTUP_H

namespace morlan {

int runMorlan(int argc, char **argv);

}  // namespace morlan

#endif
