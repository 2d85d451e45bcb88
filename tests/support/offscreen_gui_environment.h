// One Qt application object (QGuiApplication or QApplication) on Qt's
// offscreen platform for a whole test program: made before the first test
// and destroyed after the last, so that the leak checker sees Qt's own
// clean-up. Register it from one source file of the program:
//
//   [[maybe_unused]] ::testing::Environment *const kGui = ::testing::AddGlobalTestEnvironment(
//       new folio_test::OffscreenGuiEnvironment<QApplication>("my_tests"));
#ifndef FOLIO_TESTS_SUPPORT_OFFSCREEN_GUI_ENVIRONMENT_H
#define FOLIO_TESTS_SUPPORT_OFFSCREEN_GUI_ENVIRONMENT_H

#include <gtest/gtest.h>

#include <QByteArray>
#include <QtGlobal>
#include <cstring>
#include <memory>

#if defined(__SANITIZE_ADDRESS__)
#define FOLIO_TEST_LEAK_CHECKER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define FOLIO_TEST_LEAK_CHECKER 1
#endif
#endif
#ifdef FOLIO_TEST_LEAK_CHECKER
#include <sanitizer/lsan_interface.h>
#endif

namespace folio_test {

template <typename Application>
class OffscreenGuiEnvironment : public ::testing::Environment {
 public:
  explicit OffscreenGuiEnvironment(const char *program_name) {
    std::strncpy(name_, program_name, sizeof name_ - 1);
  }

  void SetUp() override {
    qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef FOLIO_TEST_LEAK_CHECKER
    // Qt 5.15's offscreen platform never frees the screen and cursor it
    // makes here; that is Qt's leak, not one the leak checker should pin on
    // the code under test, whose own allocations stay checked.
    __lsan_disable();
#endif
    app_ = std::make_unique<Application>(argc_, argv_);
#ifdef FOLIO_TEST_LEAK_CHECKER
    __lsan_enable();
#endif
  }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[32] = {};
  char *argv_[2] = {name_, nullptr};
  std::unique_ptr<Application> app_;
};

}  // namespace folio_test

#endif
