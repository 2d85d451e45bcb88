#include "launching/viewer_process.h"

#include "launching/child_program.h"

namespace folio_host {

namespace {

#ifdef FOLIO_DEFAULT_VIEWER
constexpr const char *kBuiltViewer = FOLIO_DEFAULT_VIEWER;
#else
constexpr const char *kBuiltViewer = nullptr;
#endif

constexpr ProgramChoice kViewer = {"viewer", "--viewer", "FOLIO_PAGEVIEW", "pageview",
                                   kBuiltViewer};

}  // namespace

std::string choose_viewer(const std::string *viewer_option) {
  return choose_program(viewer_option, kViewer);
}

int run_viewer(const std::string &viewer, const std::vector<std::string> &arguments,
               const std::string *standard_input) {
  return run_child_program(viewer, kViewer.role, arguments, standard_input);
}

}  // namespace folio_host
