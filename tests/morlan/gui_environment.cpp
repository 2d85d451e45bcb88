// Every in-process window test runs inside one QApplication on Qt's
// offscreen platform.
#include <QApplication>

#include "support/offscreen_gui_environment.h"

[[maybe_unused]] static ::testing::Environment *const kGui = ::testing::AddGlobalTestEnvironment(
    new folio_test::OffscreenGuiEnvironment<QApplication>("morlan_window_tests"));
