// The row heights a workbook's Range objects read and set: whole blocks
// read in one call to the in-office job, the writes kept until the workbook
// is printed and then made in as few calls as the rows allow. A fake job
// stands in for the office's sheet.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include <com/sun/star/beans/NamedValue.hpp>
#include <com/sun/star/task/XJob.hpp>
#include <cppuhelper/implbase1.hxx>
#include <rtl/ref.hxx>

#include "uno/sheet_row_heights.h"

using namespace css;

namespace tessaro::uno_backend {
namespace {

constexpr sal_Int32 kDefaultHeight = 452;  // 1/100 mm, 12.8 points

// A sheet's row heights behind the job's two calls, with the calls logged.
class FakeRowHeightsJob : public cppu::WeakImplHelper1<task::XJob> {
 public:
  std::map<sal_Int32, sal_Int32> heights;               // rows not listed: the default
  std::vector<std::pair<sal_Int32, sal_Int32>> reads;   // first row, count
  std::vector<std::pair<sal_Int32, std::vector<sal_Int32>>> writes;  // first row, heights

  sal_Int32 height(sal_Int32 row) const {
    const auto found = heights.find(row);
    return found == heights.end() ? kDefaultHeight : found->second;
  }

  uno::Any SAL_CALL execute(const uno::Sequence<beans::NamedValue> &arguments) override {
    sal_Int32 first = -1;
    sal_Int32 count = -1;
    uno::Sequence<sal_Int32> written;
    bool writing = false;
    for (const beans::NamedValue &argument : arguments) {
      if (argument.Name == "FirstRow") argument.Value >>= first;
      if (argument.Name == "Count") argument.Value >>= count;
      if (argument.Name == "Heights") writing = (argument.Value >>= written);
    }
    if (writing) {
      writes.emplace_back(first, std::vector<sal_Int32>(written.begin(), written.end()));
      for (sal_Int32 i = 0; i < written.getLength(); ++i)
        if (written[i] != -1) heights[first + i] = written[i];
      return uno::Any();
    }
    reads.emplace_back(first, count);
    uno::Sequence<sal_Int32> out(count);
    for (sal_Int32 i = 0; i < count; ++i) out.getArray()[i] = height(first + i);
    return uno::Any(out);
  }
};

struct Fixture {
  rtl::Reference<FakeRowHeightsJob> job = new FakeRowHeightsJob;
  SheetRowHeights rows{uno::Reference<sheet::XSpreadsheet>(), job.get()};
};

// What a routine does to 10,000 used rows: each but the last read and made
// taller, three reads of 4,096-row blocks and one write.
TEST(SheetRowHeights, RowByRowWorkIsAFewCallsToTheOffice) {
  Fixture f;
  f.job->heights[1] = 1000;
  for (sal_Int32 row = 0; row < 9999; ++row) f.rows.set(row, row, f.rows.height(row) + 353);
  EXPECT_EQ(f.job->reads.size(), 3u);
  EXPECT_TRUE(f.job->writes.empty()) << "nothing is written before the workbook prints";

  f.rows.write();
  ASSERT_EQ(f.job->writes.size(), 1u);
  EXPECT_EQ(f.job->writes[0].first, 0);
  EXPECT_EQ(f.job->writes[0].second.size(), 9999u);
  EXPECT_EQ(f.job->height(0), kDefaultHeight + 353);
  EXPECT_EQ(f.job->height(1), 1353);
  EXPECT_EQ(f.job->height(9998), kDefaultHeight + 353);
  EXPECT_EQ(f.job->height(9999), kDefaultHeight) << "the last row is left alone";

  f.rows.write();
  EXPECT_EQ(f.job->writes.size(), 1u) << "a second write has nothing left to make";
  EXPECT_EQ(f.rows.height(1), 1353) << "what was written is what is read";
}

// Rows set apart: close ones go in one write with the rows between left
// as they are, distant ones in writes of their own.
TEST(SheetRowHeights, WritesJoinCloseRowsAndKeepDistantOnesApart) {
  const struct {
    std::vector<sal_Int32> rows_set;
    std::vector<std::pair<sal_Int32, std::size_t>> writes;  // first row, rows written
  } cases[] = {
      {{5}, {{5, 1}}},
      {{5, 6, 7}, {{5, 3}}},
      {{5, 10}, {{5, 6}}},
      {{5, 69}, {{5, 65}}},
      {{5, 70}, {{5, 1}, {70, 1}}},
      {{300, 5, 200}, {{5, 1}, {200, 1}, {300, 1}}},
  };
  for (const auto &c : cases) {
    Fixture f;
    for (sal_Int32 row : c.rows_set) f.rows.set(row, row, 2000);
    f.rows.write();
    ASSERT_EQ(f.job->writes.size(), c.writes.size()) << c.rows_set.size();
    for (std::size_t i = 0; i < c.writes.size(); ++i) {
      EXPECT_EQ(f.job->writes[i].first, c.writes[i].first);
      EXPECT_EQ(f.job->writes[i].second.size(), c.writes[i].second);
    }
    for (sal_Int32 row = 0; row < 400; ++row) {
      const bool set = std::find(c.rows_set.begin(), c.rows_set.end(), row) != c.rows_set.end();
      EXPECT_EQ(f.job->height(row), set ? 2000 : kDefaultHeight) << row;
    }
  }
}

// A height set is read back before it is written; a stretch of whole
// columns' rows is written at once, and reads after it see the office.
TEST(SheetRowHeights, ReadsSeeWhatWasSet) {
  Fixture f;
  EXPECT_EQ(f.rows.height(7), kDefaultHeight);
  f.rows.set(7, 7, 900);
  EXPECT_EQ(f.rows.height(7), 900);

  f.rows.set(0, 99999, 600);
  ASSERT_EQ(f.job->writes.size(), 2u) << "the waiting write goes first";
  EXPECT_EQ(f.job->writes[0].first, 7);
  EXPECT_EQ(f.job->writes[1].second.size(), 100000u);
  EXPECT_EQ(f.rows.height(7), 600);
  EXPECT_EQ(f.rows.height(99999), 600);
  EXPECT_EQ(f.rows.height(100000), kDefaultHeight);
}

}  // namespace
}  // namespace tessaro::uno_backend
