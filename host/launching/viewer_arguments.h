// The seven arguments a viewer is started with for one protected file:
// shared by "token", which prints them, and "open", which starts the viewer
// with them.
#ifndef FOLIO_HOST_VIEWER_ARGUMENTS_H
#define FOLIO_HOST_VIEWER_ARGUMENTS_H

#include <string>
#include <vector>

#include "commands/command_line.h"

namespace folio_host {

// Reads the operand and the --key-file and --watermark options, checks the
// protected file against its key file and issues a fresh launch token.
// Throws UsageError for a missing key file option or a multi-line watermark,
// Failure for a file that does not check out.
std::vector<std::string> viewer_arguments(const CommandArguments &arguments);

}  // namespace folio_host

#endif
