// Every in-process window test runs inside one QApplication on Qt's
// offscreen platform, made before the first test and destroyed after the
// last, so that the leak checker sees Qt's own clean-up.
#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

#if defined(__SANITIZE_ADDRESS__)
#define LEAK_CHECKER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LEAK_CHECKER 1
#endif
#endif
#ifdef LEAK_CHECKER
#include <sanitizer/lsan_interface.h>
#endif

namespace {

class GuiEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef LEAK_CHECKER
    // Qt 5.15's offscreen platform never frees the screen it makes here.
    __lsan_disable();
#endif
    app_ = std::make_unique<QApplication>(argc_, argv_);
#ifdef LEAK_CHECKER
    __lsan_enable();
#endif
  }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[32] = "morlan_window_tests";
  char *argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] ::testing::Environment *const kGui =
    ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

}  // namespace
