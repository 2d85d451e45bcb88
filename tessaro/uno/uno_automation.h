// The automation back end over LibreOffice (what each call does is told in
// uno_automation.cpp). Each application runs in an office of its own
// unless a subclass hands out one it keeps.
#ifndef TESSARO_UNO_UNO_AUTOMATION_H
#define TESSARO_UNO_UNO_AUTOMATION_H

#include <memory>

#include "automation/office_automation.h"
#include "uno/office_session.h"

namespace tessaro::uno_backend {

class UnoAutomation : public OfficeAutomation {
 public:
  void enter_thread() override;
  void leave_thread() override;
  int is_registered(OfficeType type) override;
  CreatedApplication create_application(OfficeType type, const Guid &class_id,
                                        const Guid &main_interface) override;

 protected:
  // The office the next application runs in; null with `code` set when
  // none can be had. Here: a new one, ended by the application's Quit.
  virtual std::shared_ptr<OfficeSession> office_for(HResult &code);
};

}  // namespace tessaro::uno_backend

#endif
