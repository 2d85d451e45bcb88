#include "viewer_runs.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

#include "support/wait.h"

namespace hardening_test {

namespace {

std::string makeOwnedDirectory(const std::string &path, std::optional<uid_t> user) {
  if (::mkdir(path.c_str(), 0700) != 0) throw std::runtime_error("mkdir " + path);
  if (user && ::chown(path.c_str(), *user, *user) != 0) throw std::runtime_error("chown " + path);
  return path;
}

}  // namespace

ViewerHome::ViewerHome(const folio_test::ScratchDir &dir, const std::string &name,
                       std::optional<uid_t> user)
    : home_(makeOwnedDirectory(dir.path(name + "-home"), user)),
      runtime_(makeOwnedDirectory(dir.path(name + "-runtime"), user)) {}

Environment ViewerHome::environment() const {
  return {{"HOME", home_},
          {"XDG_RUNTIME_DIR", runtime_},
          {"XDG_CACHE_HOME", ""},
          {"XDG_CONFIG_HOME", ""},
          {"XDG_DATA_HOME", ""}};
}

std::vector<std::string> ViewerHome::writableRoots() const {
  std::vector<std::string> roots = {home_ + "/.cache/fontconfig", home_ + "/.cache/mesa_shader_cache",
                                    home_ + "/.cache/mesa_shader_cache_db", home_ + "/.config",
                                    "/var/cache/fontconfig"};
  // Mesa finds its shader cache through the password database, not HOME.
  if (const passwd *entry = ::getpwuid(::geteuid()); entry && entry->pw_dir) {
    const std::string userHome = entry->pw_dir;
    roots.push_back(userHome + "/.cache/mesa_shader_cache");
    roots.push_back(userHome + "/.cache/mesa_shader_cache_db");
  }
  return roots;
}

Environment pageviewEnvironment(const ViewerHome &home) {
  Environment environment = home.environment();
  environment["QT_QPA_PLATFORM"] = "offscreen";
  environment["DISPLAY"] = "";
  environment["WAYLAND_DISPLAY"] = "";
  return environment;
}

bool waitForPage(ChildProcess &viewer) {
  bool shown = false;
  folio_test::wait_until([&] {
    shown = viewer.output().find(kPageShownMessage) != std::string::npos;
    return shown || !viewer.running();
  });
  return shown && viewer.running();
}

std::unique_ptr<PlayerScreen> startPlayerScreen(const folio_test::ScratchDir &dir, std::string &why) {
  if (!xvfb_test::on_path("Xvfb")) {
    why = "Xvfb is not installed";
    return nullptr;
  }
  auto screen = std::make_unique<PlayerScreen>();
  try {
    const std::string frames = dir.path("screen");
    if (::mkdir(frames.c_str(), 0755) != 0) throw std::runtime_error("mkdir " + frames);
    screen->screen = std::make_unique<xvfb_test::VirtualScreen>(frames, 1280, 800);
    screen->connection = std::make_unique<xvfb_test::XConnection>(screen->screen->display());
  } catch (const std::exception &error) {
    why = std::string("no private X server: ") + error.what();
    return nullptr;
  }
  return screen;
}

Environment morlanEnvironment(const ViewerHome &home, const PlayerScreen &screen) {
  Environment environment = home.environment();
  environment["DISPLAY"] = screen.screen->display();
  environment["QT_QPA_PLATFORM"] = "xcb";
  environment["SDL_VIDEODRIVER"] = "";
  environment["SDL_AUDIODRIVER"] = "dummy";
  // As for the other tests on an X server: the libraries SDL loads there
  // keep allocations the leak checker would pin on the player.
  const char *asan = std::getenv("ASAN_OPTIONS");
  environment["ASAN_OPTIONS"] = std::string(asan ? asan : "") + ":detect_leaks=0";
  return environment;
}

bool waitForPlayerWindow(PlayerScreen &screen, const std::string &path, ChildProcess &player) {
  const xvfb_test::WindowQuery query{"Morlan", path};
  bool shown = false;
  folio_test::wait_until([&] {
    shown = !screen.connection->viewable_windows(query).empty();
    return shown || !player.running();
  });
  return shown && player.running();
}

std::string pageviewProgram() { return HARDENING_PAGEVIEW; }
std::string morlanProgram() { return HARDENING_MORLAN; }
std::string folioHostProgram() { return HARDENING_FOLIO_HOST; }

}  // namespace hardening_test
