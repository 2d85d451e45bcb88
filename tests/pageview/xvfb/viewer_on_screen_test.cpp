// The real pageview program on a private X server, driven through the X
// server as a user's keyboard and mouse would: a 3-page sample protected
// and opened with the arguments folio-host issues, its window found,
// measured, and its screen read back before and after input.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <sstream>

#include "support/files.h"
#include "support/scratch_dir.h"
#include "support/virtual_screen.h"
#include "support/wait.h"
#include "support/window_manager.h"
#include "support/x_windows.h"

namespace xvfb_test {
namespace {

constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;
const char kWatermark[] = "demo@example.com";

// The watermark is drawn in (153, 153, 153) at alpha 40 of 255; over a
// white page that blends to 255 - (255 - 153) * 40 / 255 = 239.
constexpr int kWatermarkGreyOnWhite = 239;

std::vector<std::string> lines_of(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::size_t count_grey(const Frame &frame, int low, int high) {
  std::size_t count = 0;
  for (std::uint32_t pixel : frame.pixels) {
    const int r = pixel >> 16 & 0xff, g = pixel >> 8 & 0xff, b = pixel & 0xff;
    if (r == g && g == b && r >= low && r <= high) ++count;
  }
  return count;
}

// A page drawn under the watermark: white paper, and the watermark's grey
// on it.
bool shows_page(const Frame &frame) {
  return count_grey(frame, 255, 255) > 100000u &&
         count_grey(frame, kWatermarkGreyOnWhite - 1, kWatermarkGreyOnWhite + 1) > 1000u;
}

class ViewerOnScreen : public testing::Test {
 protected:
  void SetUp() override {
#if !defined(PAGEVIEW_PROGRAM) || !defined(FOLIO_HOST_PROGRAM)
    GTEST_SKIP() << "the viewer or folio-host is not part of this build";
#else
    for (const char *tool : {"Xvfb", "xdotool", "timeout"})
      if (!on_path(tool)) GTEST_SKIP() << tool << " is not installed";
    if (!folio_test::file_exists(PAGEVIEW_PROGRAM)) GTEST_SKIP() << "pageview is not built";
    const std::string protected_path = scratch_.path("report.fpd");
    ASSERT_EQ(
        run_tool("", {FOLIO_HOST_PROGRAM, "protect", SAMPLES_DIR "/report.pdf", protected_path})
            .exit_code,
        0);
    const ToolRun token = run_tool("", {FOLIO_HOST_PROGRAM, "token", protected_path, "--key-file",
                                        protected_path + ".key", "--watermark", kWatermark});
    ASSERT_EQ(token.exit_code, 0);
    viewer_arguments_ = lines_of(token.out);
    ASSERT_EQ(viewer_arguments_.size(), 7u) << token.out;
    viewer_arguments_.insert(viewer_arguments_.begin(), PAGEVIEW_PROGRAM);
    screen_ = std::make_unique<VirtualScreen>(scratch_.root(), kScreenWidth, kScreenHeight);
    x_ = std::make_unique<XConnection>(screen_->display());
#endif
  }

  void start_viewer() {
    viewer_ = std::make_unique<BackgroundProgram>(screen_->display(), viewer_arguments_,
                                                  scratch_.path("viewer.stderr"));
    std::vector<unsigned long> windows;
    folio_test::wait_until([&] {
      windows = x_->viewable_windows({"pageview", ""});
      return !windows.empty() || !viewer_->running();
    });
    ASSERT_FALSE(windows.empty()) << "no pageview window appeared; its output:\n"
                                  << viewer_output();
    window_ = windows.front();
  }

  // The screen once it shows what ready() looks for and the viewer has
  // stopped drawing (two reads a moment apart agree). The document is
  // drawn after the window is mapped, and a redraw after input takes its
  // own time, longer on a loaded machine.
  template <typename Ready>
  Frame frame_when(Ready &&ready, const char *what) {
    Frame current = screen_->frame();
    const bool reached = folio_test::wait_until(
        [&] {
          Frame next = screen_->frame();
          const bool settled = next.pixels == current.pixels && ready(next);
          current = std::move(next);
          return settled;
        },
        folio_test::kGenerousDeadline, std::chrono::milliseconds(250));
    if (!reached) ADD_FAILURE() << "the screen never settled on " << what;
    return current;
  }

  WindowBox box() { return x_->box(window_).value_or(WindowBox{}); }

  // The keyboard goes to the window under the pointer with no window
  // manager; the pointer is put in the middle of the page area.
  void point_into_window() {
    const WindowBox window = box();
    ASSERT_GT(window.width, 0) << "the window went";
    run_tool(screen_->display(), {"xdotool", "mousemove", std::to_string(window.x + window.width / 2),
                                  std::to_string(window.y + window.height / 2)});
    run_tool(screen_->display(), {"xdotool", "windowfocus", std::to_string(window_)});
  }

  void expect_input_changes_picture(const std::vector<std::string> &input) {
    ASSERT_NO_FATAL_FAILURE(start_viewer());
    const Frame before = frame_when(shows_page, "a page under the watermark");
    ASSERT_TRUE(shows_page(before));
    // Once the page is shown the window has its final place and size, and
    // the pointer lands on the page, not on a toolbar of a window still
    // being laid out.
    ASSERT_NO_FATAL_FAILURE(point_into_window());
    std::vector<std::string> command = {"xdotool"};
    command.insert(command.end(), input.begin(), input.end());
    ASSERT_EQ(run_tool(screen_->display(), command).exit_code, 0);
    frame_when([&](const Frame &after) { return after.pixels != before.pixels && shows_page(after); },
               "a changed page");
    EXPECT_TRUE(viewer_->running()) << viewer_output();
  }

  std::string viewer_output() const {
    return folio_test::file_exists(scratch_.path("viewer.stderr"))
               ? folio_test::read_text(scratch_.path("viewer.stderr"))
               : "";
  }

  folio_test::ScratchDir scratch_;
  std::vector<std::string> viewer_arguments_;
  std::unique_ptr<VirtualScreen> screen_;
  std::unique_ptr<XConnection> x_;
  std::unique_ptr<BackgroundProgram> viewer_;
  unsigned long window_ = 0;
};

TEST_F(ViewerOnScreen, FirstPageIsShownUnderTheWatermark) {
  ASSERT_NO_FATAL_FAILURE(start_viewer());
  const Frame frame = frame_when(shows_page, "a page under the watermark");
  ASSERT_EQ(frame.width, kScreenWidth);
  EXPECT_GT(count_grey(frame, 255, 255), 100000u) << "a white page is shown";
  EXPECT_GT(count_grey(frame, kWatermarkGreyOnWhite - 1, kWatermarkGreyOnWhite + 1), 1000u)
      << "the watermark's grey is missing from the page";
}

TEST_F(ViewerOnScreen, PageDownKeyChangesThePicture) {
  expect_input_changes_picture({"key", "Next"});
}

TEST_F(ViewerOnScreen, ControlWheelZoomChangesThePicture) {
  expect_input_changes_picture({"keydown", "ctrl", "click", "4", "keyup", "ctrl"});
}

// Closing the window ends the program: with success after a document that
// was shown, and with the document failure status after one that never
// opened (here the launch token carries another key).
TEST_F(ViewerOnScreen, ClosingTheWindowTellsTheHostWhetherTheDocumentOpened) {
  // The exit status is the viewer's own: in a sanitizer build the leak
  // checker would set it for what the X and UBSan runtimes keep to the end.
  const char *sanitizer = std::getenv("ASAN_OPTIONS");
  setenv("ASAN_OPTIONS", (std::string(sanitizer ? sanitizer : "") + ":detect_leaks=0").c_str(), 1);
  for (const bool wrong_key : {false, true}) {
    if (wrong_key) {
      // Another document protected with a key of its own: this token's key
      // does not open it.
      const std::string other = scratch_.path("other.fpd");
      ASSERT_EQ(run_tool("", {FOLIO_HOST_PROGRAM, "protect", SAMPLES_DIR "/report.pdf", other})
                    .exit_code,
                0);
      viewer_arguments_[1] = other;
    }
    ASSERT_NO_FATAL_FAILURE(start_viewer());
    if (!wrong_key) frame_when(shows_page, "a page under the watermark");
    if (wrong_key)
      ASSERT_TRUE(folio_test::wait_until(
          [&] { return viewer_output().find("document not opened") != std::string::npos; }))
          << viewer_output();
    x_->close_window(window_);
    ASSERT_TRUE(folio_test::wait_until([&] { return !viewer_->running(); })) << viewer_output();
    EXPECT_EQ(viewer_->exit_code(), wrong_key ? 2 : 0) << viewer_output();
  }
}

// Without a window manager nothing carries out a maximise request, so the
// check needs one to be installed.
TEST_F(ViewerOnScreen, WindowIsMaximised) {
  // Started and waited for first: a window mapped while the manager is
  // still taking over the screen may be left unmanaged.
  const std::unique_ptr<BackgroundProgram> window_manager =
      start_window_manager(screen_->display(), scratch_.path("wm.stderr"));
  if (!window_manager)
    GTEST_SKIP() << "no window manager installed to carry out the maximise request";
  ASSERT_NO_FATAL_FAILURE(start_viewer());
  auto maximised = [](const WindowBox &window) {
    return window.width >= kScreenWidth * 95 / 100 && window.height >= kScreenHeight * 85 / 100;
  };
  WindowBox window;
  EXPECT_TRUE(folio_test::wait_until([&] { return maximised(window = box()); }))
      << "the window stayed " << window.width << "x" << window.height;
}

}  // namespace
}  // namespace xvfb_test
