// The row heights of one sheet as the emulated Range objects see them:
// read from the office a block of rows at a time and written back in one
// go before the workbook is exported, so that a routine working row by row
// does not make a round trip to the office per row.
#ifndef TESSARO_UNO_SHEET_ROW_HEIGHTS_H
#define TESSARO_UNO_SHEET_ROW_HEIGHTS_H

#include <map>
#include <vector>

#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/task/XJob.hpp>

namespace tessaro::uno_backend {

// The last row of a Calc sheet (0-based).
constexpr sal_Int32 kLastRow = 1048575;

class SheetRowHeights {
 public:
  // `job` is the in-office row-heights job; empty, every block is read and
  // written over the bridge instead (the same results, slower).
  SheetRowHeights(css::uno::Reference<css::sheet::XSpreadsheet> sheet,
                  css::uno::Reference<css::task::XJob> job)
      : sheet_(std::move(sheet)), job_(std::move(job)), block_rows_(job_.is() ? 4096 : 1) {}

  // Height of a row (0-based), in 1/100 mm, with the writes not yet made.
  sal_Int32 height(sal_Int32 row);
  // Rows first ... last get this height (1/100 mm) when written.
  void set(sal_Int32 first, sal_Int32 last, sal_Int32 height);
  // Makes the writes in the office; what the office throws passes through.
  void write();

 private:
  const std::vector<sal_Int32> &block(sal_Int32 index);
  css::uno::Sequence<sal_Int32> read(sal_Int32 first, sal_Int32 count);
  void write(sal_Int32 first, const css::uno::Sequence<sal_Int32> &heights);

  css::uno::Reference<css::sheet::XSpreadsheet> sheet_;
  css::uno::Reference<css::task::XJob> job_;
  // Rows read at once: a block costs one call to the job, but a round trip
  // per row without it.
  sal_Int32 block_rows_;
  std::map<sal_Int32, std::vector<sal_Int32>> blocks_;  // by block index, as read
  std::map<sal_Int32, sal_Int32> pending_;              // row -> height to write
};

}  // namespace tessaro::uno_backend

#endif
