// IsInstallOffice: the installation probe, alone in its own library.
#include "automation/office_automation.h"
#include "tessaro.h"

extern "C" int IsInstallOffice(int officeType) {
  try {
    tessaro::OfficeAutomation &automation = tessaro::platform_automation();
    automation.enter_thread();
    const int registered = automation.is_registered(officeType);
    automation.leave_thread();
    return registered == 1 ? 1 : 0;
  } catch (...) {
    return 0;
  }
}
