#include "support/window_manager.h"

#include <X11/Xlib.h>

#include <vector>

#include "support/wait.h"
#include "support/x_windows.h"

namespace xvfb_test {

namespace {

// A window manager announces itself with this property on the root window.
bool manager_announced(Display *display) {
  const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
  Atom type = None;
  int format = 0;
  unsigned long items = 0, left = 0;
  unsigned char *value = nullptr;
  if (XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, AnyPropertyType,
                         &type, &format, &items, &left, &value) != Success)
    return false;
  XFree(value);
  return items > 0;
}

}  // namespace

std::unique_ptr<BackgroundProgram> start_window_manager(const std::string &display_name,
                                                        const std::string &stderr_path) {
  for (const char *manager : {"openbox", "matchbox-window-manager", "xfwm4", "metacity", "icewm"}) {
    if (!on_path(manager)) continue;
    auto program =
        std::make_unique<BackgroundProgram>(display_name, std::vector<std::string>{manager}, stderr_path);
    XConnection connection(display_name);
    bool ready = false;
    folio_test::wait_until([&] { return (ready = manager_announced(connection.get())) || !program->running(); });
    return ready ? std::move(program) : nullptr;
  }
  return nullptr;
}

}  // namespace xvfb_test
