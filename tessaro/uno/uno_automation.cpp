// The automation back end on LibreOffice, for each call:
//
//   registered           the component (Writer, Calc, Impress) is installed:
//                        its configuration module and core library are there
//                        (installation.h); nothing is started to find out
//   create and run       a headless, invisible office in a new private
//                        profile (also its HOME and temporary folder) on a
//                        private pipe, connected over UNO; it dies with the
//                        calling thread and is killed at the time limit
//   Documents.Open etc.  a hidden load, macros never run, links not updated,
//                        only the module's own filters; presentations
//                        read-only; workbooks editable, from a private copy
//   ExportAsFixedFormat  a store through the module's PDF filter: whole
//                        document, bookmarks as asked, tagged, PDF/A as
//                        asked (document properties are always written)
//   PageSetup puts       PrintGrid; ScaleToPagesX = n with ScaleToPagesY = 0
//                        (as many pages tall as it takes); Zoom = False
//                        keeps that scaling
//   RowHeight            the row's Height, points to 1/100 mm
//   chart sheets         have no Worksheet interface (chart_sheets.h)
//   Saved = True         the document is marked unmodified
//   Close                closed without saving
//   Quit                 the office killed and reaped, its profile and pipe
//                        sockets removed; an office kept for more documents
//                        (office_worker.h) only closes them
#include <pthread.h>
#include <signal.h>
#include <time.h>

#include "uno/uno_automation.h"

#include "automation/office_identifiers.h"
#include "uno/emulated_object.h"
#include "uno/installation.h"

namespace tessaro {

namespace uno_backend {

namespace {

// The mask of the thread in a call, restored when it leaves.
thread_local sigset_t saved_mask;

}  // namespace

// The runtime writes to the office's socket without asking the system
// not to signal: an office that dies (killed at the time limit, or
// crashed on a damaged file) while a request is on its way would raise
// SIGPIPE, and end the whole calling process. So SIGPIPE is blocked on
// the calling thread for the call, and on the bridge's threads, which
// are started from it and inherit the mask.
void UnoAutomation::enter_thread() {
  sigset_t pipe_signal;
  sigemptyset(&pipe_signal);
  sigaddset(&pipe_signal, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipe_signal, &saved_mask);
}

// A SIGPIPE raised meanwhile is taken off before the mask is restored
// (unless the thread had it blocked already).
void UnoAutomation::leave_thread() {
  if (!sigismember(&saved_mask, SIGPIPE)) {
    sigset_t pipe_signal;
    sigemptyset(&pipe_signal);
    sigaddset(&pipe_signal, SIGPIPE);
    const timespec no_wait{0, 0};
    while (sigtimedwait(&pipe_signal, nullptr, &no_wait) == SIGPIPE) {
    }
  }
  pthread_sigmask(SIG_SETMASK, &saved_mask, nullptr);
}

int UnoAutomation::is_registered(OfficeType type) { return component_installed(type); }

std::shared_ptr<OfficeSession> UnoAutomation::office_for(HResult &code) {
  return OfficeSession::start(code);
}

CreatedApplication UnoAutomation::create_application(OfficeType type, const Guid &class_id,
                                                     const Guid &main_interface) {
  static const Guid kClasses[] = {ids::kWordClass, ids::kExcelClass, ids::kPowerPointClass};
  if (type < kWord || type > kPowerPoint || kClasses[type] != class_id ||
      !component_installed(type))
    return {kRegDbEClassNotReg, nullptr};

  CreatedApplication created;
  std::shared_ptr<OfficeSession> session = office_for(created.code);
  if (!session) return created;
  ObjectRef application = type == kWord    ? make_word_application(session)
                          : type == kExcel ? make_excel_application(session)
                                           : make_powerpoint_application(session);
  try {
    created.application = application->query(main_interface);
    created.code = kSOk;
  } catch (const AutomationError &error) {
    session->release_application();
    created.code = error.code();
  }
  return created;
}

}  // namespace uno_backend

OfficeAutomation &platform_automation() {
  static uno_backend::UnoAutomation automation;
  return automation;
}

}  // namespace tessaro
