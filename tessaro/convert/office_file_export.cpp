// ConvertOfficeFileToPdf over this platform's automation back end.
#include "convert/convert_routines.h"
#include "tessaro.h"

extern "C" int ConvertOfficeFileToPdf(int officeType, const char *sourcePath,
                                      const char *pdfPath) {
  try {
    return tessaro::convert_office_file(tessaro::platform_automation(), officeType, sourcePath,
                                        pdfPath);
  } catch (...) {
    // Nothing crosses the library boundary.
    return TESSARO_FAILED;
  }
}
