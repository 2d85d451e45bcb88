#include "support/x_windows.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <stdexcept>

namespace xvfb_test {

namespace {

// Errors about windows that went are expected here; each failing request
// reports its failure through its own return value instead.
int ignore_error(Display *, XErrorEvent *) { return 0; }

std::string property_text(Display *display, Window window, Atom property, Atom type) {
  Atom actual = None;
  int format = 0;
  unsigned long items = 0, left = 0;
  unsigned char *value = nullptr;
  if (XGetWindowProperty(display, window, property, 0, 1024, False, type, &actual, &format, &items,
                         &left, &value) != Success)
    return {};
  std::string text;
  if (value && format == 8) text.assign(reinterpret_cast<const char *>(value), items);
  XFree(value);
  return text;
}

std::string title_of(Display *display, Window window) {
  const std::string wide = property_text(display, window, XInternAtom(display, "_NET_WM_NAME", False),
                                         XInternAtom(display, "UTF8_STRING", False));
  return wide.empty() ? property_text(display, window, XA_WM_NAME, AnyPropertyType) : wide;
}

std::string instance_of(Display *display, Window window) {
  XClassHint hint{};
  if (!XGetClassHint(display, window, &hint)) return {};
  std::string instance = hint.res_name ? hint.res_name : "";
  XFree(hint.res_name);
  XFree(hint.res_class);
  return instance;
}

bool ends_with(const std::string &text, const std::string &end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

void collect(Display *display, Window window, const WindowQuery &query,
             std::vector<unsigned long> &found) {
  XWindowAttributes attributes{};
  if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable)
    return;
  if ((query.instance.empty() || instance_of(display, window) == query.instance) &&
      (query.title_end.empty() || ends_with(title_of(display, window), query.title_end)) &&
      (!query.instance.empty() || !query.title_end.empty()))
    found.push_back(window);
  Window root = 0, parent = 0, *children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display, window, &root, &parent, &children, &count)) return;
  for (unsigned int i = 0; i < count; ++i) collect(display, children[i], query, found);
  XFree(children);
}

}  // namespace

XConnection::XConnection(const std::string &display) {
  XSetErrorHandler(ignore_error);
  display_ = XOpenDisplay(display.c_str());
  if (!display_) throw std::runtime_error("cannot open the X display " + display);
}

XConnection::~XConnection() { XCloseDisplay(display_); }

std::vector<unsigned long> XConnection::viewable_windows(const WindowQuery &query) {
  std::vector<unsigned long> found;
  const Window root = DefaultRootWindow(display_);
  Window unused_root = 0, parent = 0, *children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display_, root, &unused_root, &parent, &children, &count)) return found;
  for (unsigned int i = 0; i < count; ++i) collect(display_, children[i], query, found);
  XFree(children);
  return found;
}

std::optional<WindowBox> XConnection::box(unsigned long window) {
  XWindowAttributes attributes{};
  WindowBox box;
  Window child = 0;
  if (!XGetWindowAttributes(display_, window, &attributes) ||
      !XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &box.x, &box.y,
                             &child))
    return std::nullopt;
  box.width = attributes.width;
  box.height = attributes.height;
  return box;
}

void XConnection::close_window(unsigned long window) {
  // What a window manager sends when the user clicks the close button.
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display_, window, False, NoEventMask, &event);
  XSync(display_, False);
}

}  // namespace xvfb_test
