#include "screen_session.h"

#include <X11/Xlib.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <set>
#include <thread>

#include "support/files.h"
#include "support/media/test_picture.h"
#include "support/wait.h"
#include "support/window_manager.h"

namespace morlan_test {

bool screenToolsPresent(std::string &missing) {
  for (const char *tool : {"Xvfb", "xdotool", "timeout"})
    if (!xvfb_test::on_path(tool)) {
      missing = tool;
      return false;
    }
  return true;
}

ScreenSession::ScreenSession(const folio_test::ScratchDir &dir, int width, int height)
    : dir_(dir),
      screen_(std::make_unique<xvfb_test::VirtualScreen>(dir.root(), width, height)),
      x_(std::make_unique<xvfb_test::XConnection>(screen_->display())) {}

ScreenSession::~ScreenSession() {
  if (running()) {
    ::kill(pid_, SIGKILL);
    while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
}

bool ScreenSession::startWindowManager() {
  windowManager_ = xvfb_test::start_window_manager(screen_->display(), dir_.path("wm.stderr"));
  return windowManager_ != nullptr;
}

void ScreenSession::stopKeyRepeat() {
  XAutoRepeatOff(x_->get());
  XSync(x_->get(), False);
}

void ScreenSession::start(const std::vector<std::string> &arguments) {
  const std::string outPath = dir_.path("morlan.out");
  const std::string errPath = dir_.path("morlan.err");
  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("fork");
  if (pid_ == 0) {
    const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(out, 1);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(err, 2);
    ::setenv("DISPLAY", screen_->display().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);  // offscreen Qt has no X11 window to draw into
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    ::unsetenv("SDL_VIDEODRIVER");
    // In a sanitizer build the leak check is left out for the program on
    // the X server: the X11, OpenGL and D-Bus libraries SDL loads at run
    // time keep allocations whose stacks end in those libraries. The
    // program's own clean-up stays checked by the headless start-up runs
    // and the in-process window tests.
    const char *asan = std::getenv("ASAN_OPTIONS");
    ::setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":detect_leaks=0").c_str(), 1);
    std::vector<std::string> words = arguments;
    std::string program = MORLAN_PROGRAM;
    std::vector<char *> argv{program.data()};
    for (std::string &word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    _exit(127);
  }
}

bool ScreenSession::findWindow(const std::string &titleEnd) {
  const xvfb_test::WindowQuery query{"Morlan", titleEnd};
  std::vector<WindowId> windows;
  folio_test::wait_until([&] {
    windows = x_->viewable_windows(query);
    return !windows.empty() || !running();
  });
  if (windows.empty()) return false;
  window_ = windows.front();
  box_ = box();
  return true;
}

// Asked of the X server itself: xdotool's window position is off by the
// frame for a window a window manager has decorated.
WindowBox ScreenSession::boxOf(WindowId window) { return x_->box(window).value_or(WindowBox{}); }

std::size_t ScreenSession::coloursInWindow() {
  const xvfb_test::Frame frame = screen_->frame();
  std::set<std::uint32_t> colours;
  for (int y = std::max(0, box_.y); y < std::min(frame.height, box_.y + box_.height); y += 3)
    for (int x = std::max(0, box_.x); x < std::min(frame.width, box_.x + box_.width); x += 3)
      colours.insert(frame.at(x, y));
  return colours.size();
}

std::vector<WindowId> ScreenSession::visibleWindows() {
  return x_->viewable_windows({"Morlan", ""});
}

long ScreenSession::frameShown(int pictureWidth, int pictureHeight) {
  const WindowBox window = box();
  const double scale = std::min(static_cast<double>(window.width) / pictureWidth,
                                static_cast<double>(window.height) / pictureHeight);
  const double left = window.x + (window.width - pictureWidth * scale) / 2;
  const double top = window.y + (window.height - pictureHeight * scale) / 2;
  const int cellWidth = pictureWidth / folio_test::media::kFrameBandCells;
  const int y = static_cast<int>(top + pictureHeight / 12.0 * scale);
  const xvfb_test::Frame frame = screen_->frame();
  auto white = [&](int cell) {
    const int x = static_cast<int>(left + (cell * cellWidth + cellWidth / 2.0) * scale);
    if (x < 0 || y < 0 || x >= frame.width || y >= frame.height) return false;
    const std::uint32_t pixel = frame.at(x, y);
    return ((pixel >> 16 & 0xff) + (pixel >> 8 & 0xff) + (pixel & 0xff)) / 3 > 128;
  };
  if (!white(0) || white(folio_test::media::kFrameBandCells - 1)) return -1;
  long number = 0;
  for (int cell = 1; cell <= folio_test::media::kFrameBandBits; ++cell) number = number << 1 | white(cell);
  return number;
}

std::vector<std::uint32_t> ScreenSession::upperPicture() {
  return pixels({box_.x, box_.y, box_.width, box_.height / 2});
}

std::vector<std::uint32_t> ScreenSession::pixels(const WindowBox &area) {
  const xvfb_test::Frame frame = screen_->frame();
  std::vector<std::uint32_t> pixels;
  for (int y = std::max(0, area.y); y < std::min(frame.height, area.y + area.height); ++y)
    for (int x = std::max(0, area.x); x < std::min(frame.width, area.x + area.width); ++x)
      pixels.push_back(frame.at(x, y));
  return pixels;
}

xvfb_test::ToolRun ScreenSession::xdotool(const std::vector<std::string> &arguments) {
  std::vector<std::string> command{"xdotool"};
  command.insert(command.end(), arguments.begin(), arguments.end());
  return xvfb_test::run_tool(screen_->display(), command);
}

void ScreenSession::requestClose() { x_->close_window(window_); }

int ScreenSession::waitForExit(int limitSeconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limitSeconds);
  while (running()) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid_, SIGKILL);
      while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
      }
      pid_ = -1;
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  if (WIFSIGNALED(status_)) return -WTERMSIG(status_);
  return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
}

bool ScreenSession::running() {
  if (pid_ <= 0) return false;
  if (::waitpid(pid_, &status_, WNOHANG) == 0) return true;
  pid_ = -1;
  return false;
}

std::string ScreenSession::output() const {
  const std::string path = dir_.path("morlan.out");
  return folio_test::file_exists(path) ? folio_test::read_text(path) : "";
}

}  // namespace morlan_test

namespace morlan_test {

std::string ScreenSession::errors() const {
  const std::string path = dir_.path("morlan.err");
  return folio_test::file_exists(path) ? folio_test::read_text(path) : "";
}

}  // namespace morlan_test
