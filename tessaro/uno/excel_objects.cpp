// Excel's Application, Workbooks, Workbook, Sheets, Worksheet, PageSetup
// and Range over Calc: as much of them as printing a workbook needs.
#include <cmath>
#include <map>

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XSheetCellCursor.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XUsedAreaCursor.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/table/CellRangeAddress.hpp>
#include <com/sun/star/util/XModifiable.hpp>

#include "automation/office_identifiers.h"
#include "uno/chart_sheets.h"
#include "uno/emulated_object.h"
#include "uno/office_documents.h"
#include "uno/private_copy.h"
#include "uno/row_heights_job_loader.h"
#include "uno/sheet_row_heights.h"

using namespace css;

namespace tessaro::uno_backend {

namespace {

constexpr int kXlTypePdf = 0;
constexpr Guid kExcelChart = ids::office(0x000208D6);  // _Chart: what a chart sheet is

// Calc keeps row heights in 1/100 mm, Excel speaks points.
constexpr double kHundredthsMmPerPoint = 2540.0 / 72.0;

// The last column of a Calc sheet (0-based).
constexpr sal_Int32 kLastColumn = 16383;

// What the application's Sheets and the workbooks share: the workbook
// opened last (Excel's active workbook), and the row heights of its sheets
// as the Range objects have read and set them.
struct ExcelState {
  uno::Reference<lang::XComponent> active_workbook;
  std::vector<bool> chart_sheets;  // by sheet index
  std::map<sal_Int32, std::shared_ptr<SheetRowHeights>> row_heights;  // by sheet index
  uno::Reference<task::XJob> row_heights_job;
  bool row_heights_job_tried = false;

  void opened(uno::Reference<lang::XComponent> workbook, std::vector<bool> charts) {
    active_workbook = std::move(workbook);
    chart_sheets = std::move(charts);
    row_heights.clear();
  }

  const std::shared_ptr<SheetRowHeights> &heights_of(OfficeSession &session, sal_Int32 index,
                                                     const uno::Reference<sheet::XSpreadsheet> &sheet) {
    std::shared_ptr<SheetRowHeights> &heights = row_heights[index];
    if (!heights) {
      if (!row_heights_job_tried) {
        row_heights_job = load_row_heights_job(session);
        row_heights_job_tried = true;
      }
      heights = std::make_shared<SheetRowHeights>(sheet, row_heights_job);
    }
    return heights;
  }

  // The heights set so far, into the office: before anything prints them.
  void write_row_heights() {
    for (auto &sheet : row_heights) sheet.second->write();
  }
};

class Range : public EmulatedObject {
 public:
  // A rectangle of one sheet (0-based, inclusive). `rows_view` is the
  // Rows collection of the rectangle: counted and indexed by row.
  Range(std::shared_ptr<OfficeSession> session, std::shared_ptr<SheetRowHeights> heights,
        table::CellRangeAddress area, bool rows_view)
      : EmulatedObject(std::move(session), ids::kExcelRange),
        heights_(std::move(heights)),
        area_(area),
        rows_view_(rows_view) {}

 protected:
  Variant on_get(const Member &member, const std::vector<Variant> &a) override {
    if (is(member, "Rows"))
      return Variant::object(std::make_shared<Range>(session_ref(), heights_, area_, true));
    if (is(member, "Count")) {
      const sal_Int64 rows = area_.EndRow - area_.StartRow + 1;
      const sal_Int64 columns = area_.EndColumn - area_.StartColumn + 1;
      const sal_Int64 count = rows_view_ ? rows : rows * columns;
      return Variant::int32(static_cast<std::int32_t>(std::min<sal_Int64>(count, INT32_MAX)));
    }
    if (is(member, "Item")) return item(a);
    if (is(member, "RowHeight")) return row_height();
    not_found(member);
  }

  void on_put(const Member &member, const Variant &value) override {
    if (!is(member, "RowHeight")) not_found(member);
    const double points = value.type() == Variant::Type::real
                              ? value.as_real()
                              : value.changed_to_integer().as_int();
    if (!(points >= 0 && points <= 409)) invalid("row height out of range");  // Excel's limit
    const sal_Int32 height = static_cast<sal_Int32>(std::lround(points * kHundredthsMmPerPoint));
    heights_->set(area_.StartRow, area_.EndRow, height);
  }

 private:
  // Item(row, column), 1-based and relative to the rectangle; the Rows
  // collection takes the row alone.
  Variant item(const std::vector<Variant> &a) {
    const int row = int_argument(a, 0, 0);
    const bool whole_row = rows_view_ && argument(a, 1).is_missing();
    const int column = whole_row ? 1 : int_argument(a, 1, 0);
    if (row < 1 || column < 1) invalid("index out of range");
    table::CellRangeAddress cell = area_;
    cell.StartRow = area_.StartRow + row - 1;
    cell.EndRow = cell.StartRow;
    if (!whole_row) {
      cell.StartColumn = area_.StartColumn + column - 1;
      cell.EndColumn = cell.StartColumn;
    }
    if (cell.StartRow > kLastRow || cell.StartColumn > kLastColumn) invalid("index out of range");
    return Variant::object(std::make_shared<Range>(session_ref(), heights_, cell, false));
  }

  // In points; Null when the rows differ, as in Excel.
  Variant row_height() {
    const sal_Int32 first = heights_->height(area_.StartRow);
    for (sal_Int32 row = area_.StartRow + 1; row <= area_.EndRow; ++row)
      if (heights_->height(row) != first) return Variant::null();
    return Variant::real(first / kHundredthsMmPerPoint);
  }

  std::shared_ptr<SheetRowHeights> heights_;
  table::CellRangeAddress area_;
  bool rows_view_;
};

// A worksheet's PageSetup is its page style in Calc (shared by the sheets
// that use the same style; every sheet gets the same settings here).
class PageSetup : public EmulatedObject {
 public:
  PageSetup(std::shared_ptr<OfficeSession> session, uno::Reference<beans::XPropertySet> style)
      : EmulatedObject(std::move(session), ids::kIDispatch), style_(std::move(style)) {}

 protected:
  void on_put(const Member &member, const Variant &value) override {
    if (is(member, "PrintGridlines")) {
      style_->setPropertyValue("PrintGrid", uno::Any(value.changed_to_integer().as_int() != 0));
    } else if (is(member, "FitToPagesWide")) {
      // So many pages wide, as many pages tall as it takes.
      const sal_Int16 pages = static_cast<sal_Int16>(value.changed_to_integer().as_int());
      style_->setPropertyValue("ScaleToPagesX", uno::Any(pages));
      style_->setPropertyValue("ScaleToPagesY", uno::Any(sal_Int16(0)));
    } else if (is(member, "Zoom")) {
      // False: the page counts above decide the scale (setting them already
      // made it so in Calc); a number: that percentage instead.
      if (value.type() != Variant::Type::boolean) {
        style_->setPropertyValue("ScaleToPagesX", uno::Any(sal_Int16(0)));
        style_->setPropertyValue("ScaleToPagesY", uno::Any(sal_Int16(0)));
        style_->setPropertyValue(
            "PageScale", uno::Any(static_cast<sal_Int16>(value.changed_to_integer().as_int())));
      } else if (value.as_bool()) {
        invalid("Zoom takes False or a percentage");
      }
    } else {
      not_found(member);
    }
  }

 private:
  uno::Reference<beans::XPropertySet> style_;
};

class Worksheet : public EmulatedObject {
 public:
  Worksheet(std::shared_ptr<OfficeSession> session, uno::Reference<lang::XComponent> workbook,
            uno::Reference<sheet::XSpreadsheet> sheet, std::shared_ptr<SheetRowHeights> heights)
      : EmulatedObject(std::move(session), ids::kExcelWorksheet),
        workbook_(std::move(workbook)),
        sheet_(std::move(sheet)),
        heights_(std::move(heights)) {}

 protected:
  Variant on_get(const Member &member, const std::vector<Variant> &) override {
    if (is(member, "PageSetup")) return Variant::object(page_setup());
    if (is(member, "UsedRange")) return Variant::object(used_range());
    if (is(member, "Cells"))
      return Variant::object(std::make_shared<Range>(
          session_ref(), heights_, table::CellRangeAddress(0, 0, 0, kLastColumn, kLastRow), false));
    not_found(member);
  }

 private:
  ObjectRef page_setup() {
    const uno::Reference<beans::XPropertySet> sheet(sheet_, uno::UNO_QUERY_THROW);
    OUString name;
    sheet->getPropertyValue("PageStyle") >>= name;
    const uno::Reference<style::XStyleFamiliesSupplier> families(workbook_, uno::UNO_QUERY_THROW);
    const uno::Reference<container::XNameAccess> page_styles(
        families->getStyleFamilies()->getByName("PageStyles"), uno::UNO_QUERY_THROW);
    const uno::Reference<beans::XPropertySet> style(page_styles->getByName(name),
                                                    uno::UNO_QUERY_THROW);
    return std::make_shared<PageSetup>(session_ref(), style);
  }

  // From the first used cell to the last; A1 alone on an empty sheet.
  ObjectRef used_range() {
    const uno::Reference<sheet::XSheetCellCursor> cursor = sheet_->createCursor();
    const uno::Reference<sheet::XUsedAreaCursor> used(cursor, uno::UNO_QUERY_THROW);
    used->gotoStartOfUsedArea(false);
    used->gotoEndOfUsedArea(true);
    const uno::Reference<sheet::XCellRangeAddressable> address(cursor, uno::UNO_QUERY_THROW);
    return std::make_shared<Range>(session_ref(), heights_, address->getRangeAddress(), false);
  }

  uno::Reference<lang::XComponent> workbook_;
  uno::Reference<sheet::XSpreadsheet> sheet_;
  std::shared_ptr<SheetRowHeights> heights_;
};

// A chart sheet: the sheet exists, but it is no worksheet.
class ChartSheet : public EmulatedObject {
 public:
  explicit ChartSheet(std::shared_ptr<OfficeSession> session)
      : EmulatedObject(std::move(session), kExcelChart) {}
};

class Sheets : public EmulatedObject {
 public:
  Sheets(std::shared_ptr<OfficeSession> session, std::shared_ptr<ExcelState> state)
      : EmulatedObject(std::move(session), ids::kExcelSheets),
        state_(std::move(state)),
        workbook_(state_->active_workbook),
        chart_sheets_(state_->chart_sheets) {}

 protected:
  Variant on_get(const Member &member, const std::vector<Variant> &a) override {
    if (is(member, "Count")) return Variant::int32(sheets()->getCount());
    if (is(member, "Item")) {
      const int index = int_argument(a, 0, 0);
      const uno::Reference<container::XIndexAccess> all = sheets();
      if (index < 1 || index > all->getCount())
        throw AutomationError(kDispEBadIndex, interface_id(), "no such sheet");
      const std::size_t at = static_cast<std::size_t>(index - 1);
      if (at < chart_sheets_.size() && chart_sheets_[at])
        return Variant::object(std::make_shared<ChartSheet>(session_ref()));
      const uno::Reference<sheet::XSpreadsheet> sheet(all->getByIndex(index - 1),
                                                      uno::UNO_QUERY_THROW);
      return Variant::object(std::make_shared<Worksheet>(
          session_ref(), workbook_, sheet, state_->heights_of(session(), index - 1, sheet)));
    }
    not_found(member);
  }

 private:
  uno::Reference<container::XIndexAccess> sheets() {
    const uno::Reference<sheet::XSpreadsheetDocument> document(workbook_, uno::UNO_QUERY_THROW);
    return uno::Reference<container::XIndexAccess>(document->getSheets(), uno::UNO_QUERY_THROW);
  }

  std::shared_ptr<ExcelState> state_;
  uno::Reference<lang::XComponent> workbook_;
  std::vector<bool> chart_sheets_;
};

class Workbook : public EmulatedObject {
 public:
  Workbook(std::shared_ptr<OfficeSession> session, uno::Reference<lang::XComponent> document,
           std::shared_ptr<ExcelState> state)
      : EmulatedObject(std::move(session), ids::kExcelWorkbook),
        document_(std::move(document)),
        state_(std::move(state)) {}

 protected:
  Variant on_call(const Member &member, const std::vector<Variant> &a) override {
    if (!is(member, "ExportAsFixedFormat")) not_found(member);
    // Type, Filename, Quality, IncludeDocProperties, IgnorePrintAreas,
    // From, To, OpenAfterPublish, FixedFormatExtClassPtr.
    if (int_argument(a, 0, -1) != kXlTypePdf) invalid("only PDF is exported");
    const std::u16string &pdf = string_argument(a, 1, interface_id());
    PdfOptions options;
    options.structure_tags = false;
    if (!argument(a, 5).is_missing() || !argument(a, 6).is_missing())
      options.page_range = OUString::number(int_argument(a, 5, 1)) + "-" +
                           (argument(a, 6).is_missing() ? OUString()
                                                        : OUString::number(int_argument(a, 6, 1)));
    if (state_->active_workbook == document_) state_->write_row_heights();
    store_as_pdf(document_, "calc_pdf_Export", pdf, options);
    return Variant();
  }

  void on_put(const Member &member, const Variant &value) override {
    if (!is(member, "Saved")) not_found(member);
    const uno::Reference<util::XModifiable> modifiable(document_, uno::UNO_QUERY_THROW);
    modifiable->setModified(!(value.changed_to_integer().as_int() != 0));
  }

 private:
  uno::Reference<lang::XComponent> document_;
  std::shared_ptr<ExcelState> state_;
};

class Workbooks : public EmulatedObject {
 public:
  Workbooks(std::shared_ptr<OfficeSession> session, std::shared_ptr<ExcelState> state)
      : EmulatedObject(std::move(session), ids::kExcelWorkbooks), state_(std::move(state)) {}

 protected:
  Variant on_call(const Member &member, const std::vector<Variant> &a) override {
    if (!is(member, "Open")) not_found(member);
    // FileName, UpdateLinks, ReadOnly, Format, Password, ...
    const std::u16string &source = string_argument(a, 0, interface_id());
    // The workbook is changed before it is printed, so it must load
    // editable (a read-only workbook silently keeps its row heights), and
    // the user's file must stay as it is whatever happens to the office:
    // it loads from a private copy.
    const std::string copy = private_copy(source, session().scratch_folder());
    if (copy.empty()) invalid("the workbook cannot be read");
    const OUString url = file_url_utf8(copy);
    std::vector<bool> charts = chart_sheets(session().office_context(), url);
    LoadOptions options;
    if (argument(a, 4).type() == Variant::Type::string) options.password = argument(a, 4).as_string();
    uno::Reference<lang::XComponent> document = load_document(
        session(), url, "com.sun.star.sheet.SpreadsheetDocument", options);
    state_->opened(document, std::move(charts));
    return Variant::object(std::make_shared<Workbook>(session_ref(), std::move(document), state_));
  }

 private:
  std::shared_ptr<ExcelState> state_;
};

class ExcelApplication : public EmulatedObject {
 public:
  explicit ExcelApplication(std::shared_ptr<OfficeSession> session)
      : EmulatedObject(std::move(session), ids::kExcelApplication),
        state_(std::make_shared<ExcelState>()) {}

 protected:
  Variant on_get(const Member &member, const std::vector<Variant> &) override {
    if (is(member, "Workbooks"))
      return Variant::object(std::make_shared<Workbooks>(session_ref(), state_));
    if (is(member, "Sheets")) {
      if (!state_->active_workbook.is()) return Variant::object(nullptr);
      return Variant::object(std::make_shared<Sheets>(session_ref(), state_));
    }
    not_found(member);
  }
  Variant on_call(const Member &member, const std::vector<Variant> &) override {
    if (!is(member, "Quit")) not_found(member);
    state_->opened(nullptr, {});
    session().release_application();
    return Variant();
  }

 private:
  std::shared_ptr<ExcelState> state_;
};

}  // namespace

ObjectRef make_excel_application(std::shared_ptr<OfficeSession> session) {
  return std::make_shared<ExcelApplication>(std::move(session));
}

}  // namespace tessaro::uno_backend
