#include "office_helper/row_heights_access.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>

using namespace css;

namespace tessaro::row_heights {

uno::Sequence<sal_Int32> read_heights(const uno::Reference<sheet::XSpreadsheet> &sheet,
                                      sal_Int32 first, sal_Int32 count) {
  const uno::Reference<table::XColumnRowRange> whole(sheet, uno::UNO_QUERY_THROW);
  const uno::Reference<container::XIndexAccess> rows(whole->getRows(), uno::UNO_QUERY_THROW);
  uno::Sequence<sal_Int32> heights(count);
  sal_Int32 *out = heights.getArray();
  for (sal_Int32 i = 0; i < count; ++i) {
    const uno::Reference<beans::XPropertySet> row(rows->getByIndex(first + i), uno::UNO_QUERY_THROW);
    row->getPropertyValue("Height") >>= out[i];
  }
  return heights;
}

void write_heights(const uno::Reference<sheet::XSpreadsheet> &sheet, sal_Int32 first,
                   const uno::Sequence<sal_Int32> &heights) {
  const sal_Int32 count = heights.getLength();
  for (sal_Int32 start = 0; start < count;) {
    sal_Int32 end = start + 1;
    while (end < count && heights[end] == heights[start]) ++end;
    if (heights[start] != kLeaveAsIs) {
      const uno::Reference<table::XColumnRowRange> run(
          sheet->getCellRangeByPosition(0, first + start, 0, first + end - 1), uno::UNO_QUERY_THROW);
      const uno::Reference<beans::XPropertySet> rows(run->getRows(), uno::UNO_QUERY_THROW);
      rows->setPropertyValue("Height", uno::Any(heights[start]));
    }
    start = end;
  }
}

}  // namespace tessaro::row_heights
