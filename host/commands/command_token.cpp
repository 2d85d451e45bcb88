// token: the seven arguments a viewer is started with for a protected
// file, one per line, made from its key file.
#include <cstdio>

#include "commands/commands.h"
#include "commands/messages.h"
#include "launching/viewer_arguments.h"

namespace folio_host {

int run_token(const CommandArguments &arguments) {
  for (const std::string &line : viewer_arguments(arguments)) std::printf("%s\n", line.c_str());
  return kExitSuccess;
}

}  // namespace folio_host
