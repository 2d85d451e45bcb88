// Every test here runs inside one QGuiApplication on the offscreen platform:
// the PDF document reads the primary screen's dpi, and Qt's image readers
// need an application too.
#include <QGuiApplication>

#include "support/offscreen_gui_environment.h"

[[maybe_unused]] static ::testing::Environment *const kGui = ::testing::AddGlobalTestEnvironment(
    new folio_test::OffscreenGuiEnvironment<QGuiApplication>("pageview_document_test"));
