#include "control/foreign_window.h"

#include <SDL_syswm.h>

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xlib.h>
#endif

namespace cinelock {

void follow_foreign_window_size(SDL_Window *window) {
#if defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
  Display *display = info.info.x11.display;
  const Window native = info.info.x11.window;
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, native, &attributes)) return;
  // Added to what SDL already selected on its connection; the other
  // toolkit's own connection keeps its input.
  XSelectInput(display, native, attributes.your_event_mask | StructureNotifyMask);
  XFlush(display);
#else
  (void)window;
#endif
}

}  // namespace cinelock
