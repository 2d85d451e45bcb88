// Reading and writing row heights of a sheet through its UNO objects: the
// work of the in-office row-heights job, and what the conversion falls back
// to, row by row over the bridge, when that job cannot be loaded.
#ifndef TESSARO_OFFICE_HELPER_ROW_HEIGHTS_ACCESS_H
#define TESSARO_OFFICE_HELPER_ROW_HEIGHTS_ACCESS_H

#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/uno/Sequence.hxx>

namespace tessaro::row_heights {

// Heights to write at this value leave their row as it is.
constexpr sal_Int32 kLeaveAsIs = -1;

// The implementation name the job's library answers to.
constexpr char kJobImplementationName[] = "tessaro.RowHeightsJob";

// Heights of rows first ... first + count - 1 (0-based), in 1/100 mm.
css::uno::Sequence<sal_Int32> read_heights(const css::uno::Reference<css::sheet::XSpreadsheet> &sheet,
                                           sal_Int32 first, sal_Int32 count);

// Writes heights (1/100 mm) from row `first` on; a run of rows of one height
// is set in one step.
void write_heights(const css::uno::Reference<css::sheet::XSpreadsheet> &sheet, sal_Int32 first,
                   const css::uno::Sequence<sal_Int32> &heights);

}  // namespace tessaro::row_heights

#endif
