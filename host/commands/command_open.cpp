// open: starts the viewer for a protected file with the arguments "token"
// prints, and ends with the viewer's exit status.
#include "commands/commands.h"
#include "launching/viewer_arguments.h"
#include "launching/viewer_process.h"

namespace folio_host {

int run_open(const CommandArguments &arguments) {
  // The viewer is chosen first: without one, no launch token is issued.
  const std::string viewer = choose_viewer(arguments.option("--viewer"));
  return run_viewer(viewer, viewer_arguments(arguments));
}

}  // namespace folio_host
