#include "support/window_manager.h"

#include <X11/Xlib.h>

#include <chrono>
#include <thread>
#include <vector>

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
    Display *display = XOpenDisplay(display_name.c_str());
    if (!display) return nullptr;
    bool ready = false;
    for (int attempt = 0; attempt < 100 && !ready && program->running(); ++attempt) {
      ready = manager_announced(display);
      if (!ready) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    XCloseDisplay(display);
    return ready ? std::move(program) : nullptr;
  }
  return nullptr;
}

}  // namespace xvfb_test
