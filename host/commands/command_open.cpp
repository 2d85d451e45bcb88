// open: starts the viewer for a protected file with the arguments "token"
// prints, except that the launch token reaches it on its standard input
// ("-" in its place on the command line), and ends with the viewer's exit
// status.
#include "commands/commands.h"
#include "launching/secret_input.h"
#include "launching/viewer_arguments.h"
#include "launching/viewer_process.h"

namespace folio_host {

namespace {

constexpr std::size_t kViewerTokenArgument = 1;  // after the file's path

}  // namespace

int run_open(const CommandArguments &arguments) {
  // The viewer is chosen first: without one, no launch token is issued.
  const std::string viewer = choose_viewer(arguments.option("--viewer"));
  const LaunchWithInput launch = secrets_to_input(viewer_arguments(arguments), {kViewerTokenArgument});
  return run_viewer(viewer, launch.arguments, &launch.input);
}

}  // namespace folio_host
