// Every test here runs inside one QGuiApplication on the offscreen platform:
// the PDF document reads the primary screen's dpi, and Qt's image readers
// need an application too.
#include <gtest/gtest.h>

#include <QGuiApplication>
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
    // Qt 5.15's offscreen platform never frees the screen and cursor it
    // makes here; that is Qt's leak, not one the leak checker should pin on
    // the code under test, whose own allocations stay checked.
    __lsan_disable();
#endif
    app_ = std::make_unique<QGuiApplication>(argc_, argv_);
#ifdef LEAK_CHECKER
    __lsan_enable();
#endif
  }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[32] = "pageview_document_test";
  char *argv_[2] = {name_, nullptr};
  std::unique_ptr<QGuiApplication> app_;
};

[[maybe_unused]] ::testing::Environment *const kGui =
    ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

}  // namespace
