// The viewer's command line as main receives it: the launch token taken
// from the arguments or, when the token argument is "-", from the first
// line of standard input; then the token and nonce arguments overwritten
// in the process's argument memory, so that /proc/<pid>/cmdline shows no
// secret once they are read.
#ifndef PAGEVIEW_LAUNCH_LAUNCH_INTAKE_H
#define PAGEVIEW_LAUNCH_LAUNCH_INTAKE_H

#include "launch_arguments.h"

namespace pageview {

// As parseLaunchArguments (launch_arguments.h), with one more refusal
// after the argument count and before the token checks:
//   token argument "-" and no line on
//     standard input (or one over 2048
//     characters)                      "launch token read error !"  exit 1
// Whatever the outcome, arguments 2 and 3 (token, nonce) are wiped from
// argv's strings (overwritten with NULs; a "-" is left) before this returns.
LaunchOutcome takeLaunchArguments(int argc, char **argv);

}  // namespace pageview

#endif
