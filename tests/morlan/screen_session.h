// The Morlan program on a private X server for one test: started in the
// background with SDL's dummy sound, its window found by title, its screen
// area read back, and input sent as a user (or a window manager) would.
#ifndef FOLIO_TESTS_MORLAN_SCREEN_SESSION_H
#define FOLIO_TESTS_MORLAN_SCREEN_SESSION_H

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "support/scratch_dir.h"
#include "support/virtual_screen.h"
#include "support/x_windows.h"

namespace morlan_test {

using xvfb_test::WindowBox;
using WindowId = unsigned long;

class ScreenSession {
 public:
  ScreenSession(const folio_test::ScratchDir &dir, int width, int height);
  ~ScreenSession();

  // Starts a window manager on the screen and waits until it has taken
  // over; false when none is installed or it did not come up.
  // Without one, nothing handles requests such as full screen.
  bool startWindowManager();

  // Turns the server's key auto-repeat off: a key held down then sends
  // one press and one release, however slowly the test runs. Call it once
  // the program is connected: the server resets its settings whenever its
  // last client goes.
  void stopKeyRepeat();

  // Starts Morlan with arguments; the window is looked for by the title
  // (the played file's path, matched at its end).
  void start(const std::vector<std::string> &arguments);
  // Waits for the visible window titled ...titleEnd; false when none
  // appears before a generous deadline or the program ends (its output
  // then tells why).
  bool findWindow(const std::string &titleEnd);

  WindowId window() const { return window_; }
  // The main window's box; all zero while it is not there.
  WindowBox box() { return boxOf(window_); }
  WindowBox boxOf(WindowId window);
  // The visible windows of the program (the main window, and the control
  // bar while it is shown).
  std::vector<WindowId> visibleWindows();
  // Distinct colours in the window's area, sampled every third pixel.
  std::size_t coloursInWindow();
  // The pixels of the window's upper part (above the control bar's reach).
  std::vector<std::uint32_t> upperPicture();
  // The pixels of a screen area (clipped to the screen).
  std::vector<std::uint32_t> pixels(const WindowBox &area);
  // The frame number the window shows, read from the band across the top
  // of a clip made with frame_number_band (its picture pictureWidth x
  // pictureHeight, scaled to fit the window and centred); -1 when the
  // band is not there.
  long frameShown(int pictureWidth, int pictureHeight);

  xvfb_test::ToolRun xdotool(const std::vector<std::string> &arguments);
  // What a window manager sends when the user closes the window.
  void requestClose();

  // The program's exit code once it has ended, waiting at most
  // limitSeconds; -1 when it did not end (it is then killed), minus the
  // signal's number when a signal ended it.
  int waitForExit(int limitSeconds);
  bool running();
  std::string output() const;  // standard output
  std::string errors() const;  // standard error, for failure messages

 private:
  const folio_test::ScratchDir &dir_;
  std::unique_ptr<xvfb_test::VirtualScreen> screen_;
  std::unique_ptr<xvfb_test::XConnection> x_;
  std::unique_ptr<xvfb_test::BackgroundProgram> windowManager_;
  pid_t pid_ = -1;
  int status_ = -1;
  WindowId window_ = 0;
  WindowBox box_;
};

// True when Xvfb and xdotool are installed and the program was built.
bool screenToolsPresent(std::string &missing);

}  // namespace morlan_test

#endif
