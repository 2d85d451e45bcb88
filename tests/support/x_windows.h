// Windows on a test's X server, asked of the server itself. A window can
// vanish between two requests (a program replacing its window, a window
// manager reparenting or unmapping it), so no query here ends the process
// on an X error: Xlib's default handler would exit, and a tool such as
// xdotool dies with "BadWindow" and prints nothing. A query about a window
// that went answers "none" instead.
#ifndef FOLIO_TESTS_SUPPORT_X_WINDOWS_H
#define FOLIO_TESTS_SUPPORT_X_WINDOWS_H

#include <optional>
#include <string>
#include <vector>

typedef struct _XDisplay Display;

namespace xvfb_test {

// A window's area on the screen, in root coordinates, without the frame a
// window manager adds.
struct WindowBox {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const WindowBox &other) const {
    return x == other.x && y == other.y && width == other.width && height == other.height;
  }
};

// Which windows to find; an empty field matches any window.
struct WindowQuery {
  std::string instance;   // WM_CLASS instance name, whole ("pageview", "Morlan")
  std::string title_end;  // the title (_NET_WM_NAME, else WM_NAME) ends with this
};

class XConnection {
 public:
  // Throws std::runtime_error when the display cannot be opened.
  explicit XConnection(const std::string &display);
  ~XConnection();
  XConnection(const XConnection &) = delete;
  XConnection &operator=(const XConnection &) = delete;

  Display *get() const { return display_; }

  // The viewable windows (mapped, as are all their ancestors) that match,
  // in stacking order from the bottom; windows that vanish while the tree
  // is walked are left out.
  std::vector<unsigned long> viewable_windows(const WindowQuery &query);
  // The window's box; none when the window no longer exists.
  std::optional<WindowBox> box(unsigned long window);
  // Asks the window's program to close it, as a window manager's close
  // button does (WM_DELETE_WINDOW).
  void close_window(unsigned long window);

 private:
  Display *display_ = nullptr;
};

}  // namespace xvfb_test

#endif
