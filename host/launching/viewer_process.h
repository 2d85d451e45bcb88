// Starting the viewer program as a child and waiting for it to end.
#ifndef FOLIO_HOST_VIEWER_PROCESS_H
#define FOLIO_HOST_VIEWER_PROCESS_H

#include <string>
#include <vector>

namespace folio_host {

// Which viewer to start: the --viewer option (null when not given), else
// the FOLIO_PAGEVIEW environment variable, else the viewer built next to
// this tool. Throws Failure when there is none, or it is missing or not
// executable.
std::string choose_viewer(const std::string *viewer_option);

// Runs the viewer as run_child_program (child_program.h) does, with
// standard_input (when given) as its standard input.
int run_viewer(const std::string &viewer, const std::vector<std::string> &arguments,
               const std::string *standard_input = nullptr);

}  // namespace folio_host

#endif
