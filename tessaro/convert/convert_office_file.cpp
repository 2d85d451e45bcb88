#include <cstdio>

#include "convert/convert_routines.h"
#include "convert/narrow_path.h"

namespace tessaro {

void report_creation_failure(HResult code) {
  std::printf("CreateInstance failed w/err 0x%08lx\n",
              static_cast<unsigned long>(static_cast<std::uint32_t>(code)));
  std::fflush(stdout);
}

void quit_application(const ObjectRef &application, int optional_arguments) {
  try {
    application->call({"Quit"}, std::vector<Variant>(static_cast<std::size_t>(optional_arguments),
                                                     Variant::missing()));
  } catch (const AutomationError &) {
    // The application is gone or refused; releasing it is all that is left.
  }
}

int convert_office_file(OfficeAutomation &automation, int office_type, const char *source_path,
                        const char *pdf_path) {
  automation.enter_thread();
  int routine = kRoutineFailed;
  std::u16string source;
  std::u16string pdf;
  // A source that cannot be read, or holds nothing, fails before any
  // application is started: the application would only fail to open it,
  // more slowly, or make a blank page of it. A PDF path that names the
  // source itself would overwrite the user's document.
  if (automation.is_registered(office_type) == 1 && source_path && pdf_path &&
      narrow_path_to_utf16(source_path, source) && narrow_path_to_utf16(pdf_path, pdf) &&
      !source.empty() && !pdf.empty() && readable_document(source_path) &&
      !same_document(source_path, pdf_path)) {
    switch (office_type) {
      case kWord: routine = convertWord(automation, source, pdf); break;
      case kExcel: routine = convertExcel(automation, source, pdf); break;
      case kPowerPoint: routine = convertPowerPoint(automation, source, pdf); break;
      default: break;
    }
  }
  automation.leave_thread();
  return routine == kRoutineOk ? 0 : -1;
}

}  // namespace tessaro
