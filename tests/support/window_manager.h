// A window manager on a test's virtual screen, for tests of what only a
// window manager carries out (maximise and full-screen requests).
#ifndef FOLIO_TESTS_SUPPORT_WINDOW_MANAGER_H
#define FOLIO_TESTS_SUPPORT_WINDOW_MANAGER_H

#include <memory>
#include <string>

#include "support/virtual_screen.h"

namespace xvfb_test {

// Starts the first window manager installed (openbox first) on display
// and waits until it has taken over the screen, so that windows mapped
// afterwards are managed from the start. Null when none is installed or
// none took over before the
// generous deadline.
std::unique_ptr<BackgroundProgram> start_window_manager(const std::string &display,
                                                        const std::string &stderr_path);

}  // namespace xvfb_test

#endif
