// The player's launch token and header block as main receives them: from
// the command line, or from standard input when the token argument is "-"
// (the token on the first line, then the header block on the next line
// unless the command line gives one other than "-"). The command-line
// copies are overwritten in the process's argument memory once read, so
// that /proc/<pid>/cmdline shows no secret.
//   Morlan <video> <token> <header> [mode]     both on the command line
//   Morlan <video> - [-] [mode]                both from standard input
#ifndef MORLAN_LAUNCH_INTAKE_H
#define MORLAN_LAUNCH_INTAKE_H

#include <optional>

#include "launch_keys.h"

namespace morlan {

// Nothing when the command line is too short (fewer than three arguments
// after the program name, or two with a token other than "-"), a line to
// read is missing or over 2048 characters, or unwrapLaunchKeys refuses the
// token or the header block. argv[2] and argv[3], where present, are wiped
// (overwritten with NULs; a "-" is left) on every way out.
std::optional<LaunchKeys> takeLaunchKeys(int argc, char **argv);

}  // namespace morlan

#endif
