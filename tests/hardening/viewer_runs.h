// Running the built viewers for a hardening test: pageview on Qt's
// offscreen platform, Morlan on a private X server with SDL's dummy sound,
// each with a home and runtime directory of its own, and the conditions a
// test waits for (a page shown, the player's window on screen).
#ifndef FOLIO_TESTS_HARDENING_VIEWER_RUNS_H
#define FOLIO_TESTS_HARDENING_VIEWER_RUNS_H

#include <sys/types.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/scratch_dir.h"
#include "support/virtual_screen.h"
#include "support/x_windows.h"
#include "viewer_process.h"

namespace hardening_test {

using Environment = std::map<std::string, std::string>;

// A home and a runtime directory inside dir, owned by user when one is
// given (made for another user's run).
class ViewerHome {
 public:
  ViewerHome(const folio_test::ScratchDir &dir, const std::string &name,
             std::optional<uid_t> user = std::nullopt);

  const std::string &home() const { return home_; }
  // HOME and XDG_RUNTIME_DIR here; the XDG directories that would move
  // caches and settings elsewhere removed.
  Environment environment() const;
  // Where a viewer may legitimately write: the font and shader caches and
  // the settings under this home, and the system's font cache.
  std::vector<std::string> writableRoots() const;

 private:
  std::string home_;
  std::string runtime_;
};

// pageview without any display: Qt's offscreen platform.
Environment pageviewEnvironment(const ViewerHome &home);

// The message pageview writes once it has laid out a page it rendered.
constexpr char kPageShownMessage[] = "Current Scale";

// Waits for pageview to show its first page; false when it ends first or
// a generous deadline passes.
bool waitForPage(ChildProcess &viewer);

// A private X server for Morlan: without a window system the player stops
// before it deciphers anything. Null (with why) when Xvfb is missing or
// does not start.
struct PlayerScreen {
  std::unique_ptr<xvfb_test::VirtualScreen> screen;
  std::unique_ptr<xvfb_test::XConnection> connection;
};
std::unique_ptr<PlayerScreen> startPlayerScreen(const folio_test::ScratchDir &dir, std::string &why);

// Morlan on that screen (Qt's xcb platform, SDL's X11 video, dummy sound).
Environment morlanEnvironment(const ViewerHome &home, const PlayerScreen &screen);

// Waits for Morlan's window, titled with the played path, to be on the
// screen; false when the player ends first or a generous deadline passes.
bool waitForPlayerWindow(PlayerScreen &screen, const std::string &path, ChildProcess &player);

// The programs under test.
std::string pageviewProgram();
std::string morlanProgram();
std::string folioHostProgram();

}  // namespace hardening_test

#endif
