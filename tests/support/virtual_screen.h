// A private X server (Xvfb) for one test, whose screen the test reads back
// from the server's frame buffer file, and the X tools run against it.
#ifndef FOLIO_TESTS_SUPPORT_VIRTUAL_SCREEN_H
#define FOLIO_TESTS_SUPPORT_VIRTUAL_SCREEN_H

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace xvfb_test {

// The screen's pixels as 0x00RRGGBB, row by row.
struct Frame {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
  std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

class VirtualScreen {
 public:
  // Starts Xvfb on a display it picks itself, its frame buffer kept in
  // frame_dir. Throws std::runtime_error when it does not come up.
  VirtualScreen(const std::string &frame_dir, int width, int height);
  ~VirtualScreen();
  VirtualScreen(const VirtualScreen &) = delete;
  VirtualScreen &operator=(const VirtualScreen &) = delete;

  const std::string &display() const { return display_; }
  Frame frame() const;

 private:
  pid_t pid_ = -1;
  std::string display_;
  std::string frame_path_;
};

// True when program is found on PATH.
bool on_path(const std::string &program);

struct ToolRun {
  int exit_code = -1;
  std::string out;
};

// Runs a program found on PATH against the display and collects its
// standard output; it is killed after timeout_seconds.
ToolRun run_tool(const std::string &display, std::vector<std::string> arguments,
                 int timeout_seconds = 15);

// A program started in the background on the display, its standard error
// kept in a file; ended with SIGTERM when the object goes.
class BackgroundProgram {
 public:
  BackgroundProgram(const std::string &display, const std::vector<std::string> &arguments,
                    const std::string &stderr_path);
  ~BackgroundProgram();
  BackgroundProgram(const BackgroundProgram &) = delete;
  BackgroundProgram &operator=(const BackgroundProgram &) = delete;

  bool running();
  // The exit status once running() has seen the program end by itself;
  // -1 while it runs or when a signal ended it.
  int exit_code() const { return exit_code_; }

 private:
  pid_t pid_ = -1;
  int exit_code_ = -1;
};

}  // namespace xvfb_test

#endif
