// The office applications' class identifiers, the interfaces the conversion
// routines reach, and the identifiers their errors are reported under.
#ifndef TESSARO_AUTOMATION_OFFICE_IDENTIFIERS_H
#define TESSARO_AUTOMATION_OFFICE_IDENTIFIERS_H

#include "automation/guid.h"

namespace tessaro::ids {

// {00020xxx-0000-0000-C000-000000000046}: the Office type libraries' own range.
constexpr Guid office(std::uint32_t data1) {
  return Guid{data1, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
}
// {9149xxxx-5A91-11CF-8700-00AA0060263B}: PowerPoint's range.
constexpr Guid powerpoint(std::uint32_t data1) {
  return Guid{data1, 0x5A91, 0x11CF, {0x87, 0x00, 0x00, 0xAA, 0x00, 0x60, 0x26, 0x3B}};
}

// Word
constexpr Guid kWordClass = office(0x000209FF);
constexpr Guid kWordApplication = office(0x00020970);
constexpr Guid kWordDocuments = office(0x0002096C);
constexpr Guid kWordDocument = office(0x0002096B);
// Excel
constexpr Guid kExcelClass = office(0x00024500);
constexpr Guid kExcelApplication = office(0x000208D5);
constexpr Guid kExcelWorkbooks = office(0x000208DB);
constexpr Guid kExcelWorkbook = office(0x000208DA);
constexpr Guid kExcelSheets = office(0x000208D7);
constexpr Guid kExcelWorksheet = office(0x000208D8);
constexpr Guid kExcelRange = office(0x00020846);
// PowerPoint
constexpr Guid kPowerPointClass = powerpoint(0x91493441);
constexpr Guid kPowerPointApplication = powerpoint(0x91493442);
constexpr Guid kPowerPointPresentations = powerpoint(0x91493462);
constexpr Guid kPowerPointPresentation = powerpoint(0x9149349D);

// IDispatch, for objects reached only by name.
constexpr Guid kIDispatch = office(0x00020400);

}  // namespace tessaro::ids

#endif
