#include "uno/sheet_row_heights.h"

#include <algorithm>

#include <com/sun/star/beans/NamedValue.hpp>

#include "office_helper/row_heights_access.h"

using namespace css;

namespace tessaro::uno_backend {

namespace {

// Rows left as they are between two written stretches that still go in one
// write rather than two.
constexpr sal_Int32 kJoinedGap = 64;
// Rows set at once beyond which they are written at once, not kept.
constexpr sal_Int32 kLongStretch = 4096;

beans::NamedValue named(const char *name, const uno::Any &value) {
  return beans::NamedValue(rtl::OUString::createFromAscii(name), value);
}

}  // namespace

sal_Int32 SheetRowHeights::height(sal_Int32 row) {
  const auto waiting = pending_.find(row);
  if (waiting != pending_.end()) return waiting->second;
  return block(row / block_rows_)[static_cast<std::size_t>(row % block_rows_)];
}

void SheetRowHeights::set(sal_Int32 first, sal_Int32 last, sal_Int32 height) {
  if (last - first >= kLongStretch) {
    // A stretch this long (whole columns' rows) goes to the office now.
    write();
    write(first, uno::Sequence<sal_Int32>(std::vector<sal_Int32>(
                     static_cast<std::size_t>(last - first + 1), height).data(),
                 last - first + 1));
    for (auto at = blocks_.begin(); at != blocks_.end();) {
      const sal_Int32 start = at->first * block_rows_;
      at = (start + block_rows_ > first && start <= last) ? blocks_.erase(at) : std::next(at);
    }
    return;
  }
  for (sal_Int32 row = first; row <= last; ++row) pending_[row] = height;
}

void SheetRowHeights::write() {
  while (!pending_.empty()) {
    // One stretch of rows: the waiting writes up to the first wide gap.
    const sal_Int32 first = pending_.begin()->first;
    auto end = pending_.begin();
    sal_Int32 last = first;
    while (end != pending_.end() && end->first - last <= kJoinedGap) last = (end++)->first;
    std::vector<sal_Int32> heights(static_cast<std::size_t>(last - first + 1),
                                   row_heights::kLeaveAsIs);
    for (auto at = pending_.begin(); at != end; ++at)
      heights[static_cast<std::size_t>(at->first - first)] = at->second;
    write(first, uno::Sequence<sal_Int32>(heights.data(), static_cast<sal_Int32>(heights.size())));
    // Read blocks keep what is now in the office.
    for (auto at = pending_.begin(); at != end; ++at) {
      const auto read = blocks_.find(at->first / block_rows_);
      if (read != blocks_.end())
        read->second[static_cast<std::size_t>(at->first % block_rows_)] = at->second;
    }
    pending_.erase(pending_.begin(), end);
  }
}

const std::vector<sal_Int32> &SheetRowHeights::block(sal_Int32 index) {
  auto found = blocks_.find(index);
  if (found == blocks_.end()) {
    const sal_Int32 first = index * block_rows_;
    const uno::Sequence<sal_Int32> heights = read(first, std::min(block_rows_, kLastRow + 1 - first));
    found = blocks_.emplace(index, std::vector<sal_Int32>(heights.begin(), heights.end())).first;
  }
  return found->second;
}

uno::Sequence<sal_Int32> SheetRowHeights::read(sal_Int32 first, sal_Int32 count) {
  if (!job_.is()) return row_heights::read_heights(sheet_, first, count);
  uno::Sequence<sal_Int32> heights;
  const beans::NamedValue arguments[] = {named("Sheet", uno::Any(sheet_)),
                                         named("FirstRow", uno::Any(first)),
                                         named("Count", uno::Any(count))};
  job_->execute(uno::Sequence<beans::NamedValue>(arguments, 3)) >>= heights;
  if (heights.getLength() != count) throw uno::RuntimeException("row heights: short read");
  return heights;
}

void SheetRowHeights::write(sal_Int32 first, const uno::Sequence<sal_Int32> &heights) {
  if (!job_.is()) return row_heights::write_heights(sheet_, first, heights);
  const beans::NamedValue arguments[] = {named("Sheet", uno::Any(sheet_)),
                                         named("FirstRow", uno::Any(first)),
                                         named("Heights", uno::Any(heights))};
  job_->execute(uno::Sequence<beans::NamedValue>(arguments, 3));
}

}  // namespace tessaro::uno_backend
