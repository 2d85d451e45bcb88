// The back end behind the automation interface: whether an office
// application is installed, and starting one.
#ifndef TESSARO_AUTOMATION_OFFICE_AUTOMATION_H
#define TESSARO_AUTOMATION_OFFICE_AUTOMATION_H

#include "automation/automation_object.h"

namespace tessaro {

// 0 Word, 1 Excel, 2 PowerPoint; anything else is no office type.
using OfficeType = int;
constexpr OfficeType kWord = 0;
constexpr OfficeType kExcel = 1;
constexpr OfficeType kPowerPoint = 2;

// The outcome of creating an application: the object through its main
// interface, or the failing result code.
struct CreatedApplication {
  HResult code = kEFail;
  ObjectRef application;
};

class OfficeAutomation {
 public:
  virtual ~OfficeAutomation() = default;

  // Entering and leaving the automation runtime on the calling thread
  // (CoInitialize / CoUninitialize).
  virtual void enter_thread() = 0;
  virtual void leave_thread() = 0;

  // The registry probe: 1 when the application for `type` is registered
  // (installed), else 0; starts nothing.
  virtual int is_registered(OfficeType type) = 0;

  // Creates and runs the application (class `class_id`) and returns it
  // through `main_interface`. The caller ends it with Quit; releasing the
  // last reference without Quit must still leave nothing running.
  virtual CreatedApplication create_application(OfficeType type, const Guid &class_id,
                                                const Guid &main_interface) = 0;
};

// The back end of this platform.
OfficeAutomation &platform_automation();

}  // namespace tessaro

#endif
