// The three conversion routines and the steps around them, written against
// the automation interface so that both back ends run the same calls.
#ifndef TESSARO_CONVERT_CONVERT_ROUTINES_H
#define TESSARO_CONVERT_CONVERT_ROUTINES_H

#include <string>

#include "automation/office_automation.h"

namespace tessaro {

// Results of the routines.
constexpr int kRoutineOk = 0;
constexpr int kRoutineNotCreated = 1;  // the application could not be created
constexpr int kRoutineFailed = 2;      // any later failure

int convertWord(OfficeAutomation &automation, const std::u16string &source,
                const std::u16string &pdf);
int convertExcel(OfficeAutomation &automation, const std::u16string &source,
                 const std::u16string &pdf);
int convertPowerPoint(OfficeAutomation &automation, const std::u16string &source,
                      const std::u16string &pdf);

// ConvertOfficeFileToPdf over a given back end: 0 or -1.
int convert_office_file(OfficeAutomation &automation, int office_type, const char *source_path,
                        const char *pdf_path);

// "CreateInstance failed w/err 0x%08lx\n" on standard output.
void report_creation_failure(HResult code);

// Quit on the application with `optional_arguments` missing arguments; a
// failing Quit is not the conversion's failure.
void quit_application(const ObjectRef &application, int optional_arguments);

}  // namespace tessaro

#endif
