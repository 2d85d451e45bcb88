// Excel: open the workbook, set up every worksheet's printing (gridlines,
// one page wide, no zoom), make its used rows but the last 10 points taller,
// export it as PDF and mark it saved so that the source file is never
// written, quit.
#include <algorithm>

#include "automation/office_identifiers.h"
#include "convert/convert_routines.h"

namespace tessaro {

namespace {

// Dispatch identifiers of Excel's PageSetup and Range members.
constexpr Member kPrintGridlines{"PrintGridlines", 0x3EC};
constexpr Member kFitToPagesWide{"FitToPagesWide", 0x3F6};
constexpr Member kZoom{"Zoom", 0x297};
constexpr Member kRows{"Rows", 0x102};
constexpr Member kCount{"Count", 0x76};
constexpr Member kItem{"Item", 0xAA};
constexpr Member kRowHeight{"RowHeight", 0x110};

constexpr int kXlTypePdf = 0;
constexpr int kWorkbookOpenOptionalArguments = 14;
constexpr int kExportOptionalArguments = 7;
constexpr int kRowHeightIncrease = 10;  // points
// The tallest a row can be (points): a row already near it stops there
// instead of failing the whole conversion.
constexpr int kMaximumRowHeight = 409;

// Print settings and row heights of one worksheet.
void prepare_worksheet(const ObjectRef &worksheet) {
  const ObjectRef page_setup = require_object(worksheet->get({"PageSetup"}), ids::kIDispatch,
                                              ids::kExcelWorksheet, "PageSetup");
  page_setup->put(kPrintGridlines, Variant::boolean(true));
  page_setup->put(kFitToPagesWide, Variant::integer(1));
  page_setup->put(kZoom, Variant::boolean(false));

  const ObjectRef used = require_object(worksheet->get({"UsedRange"}, {}, kLocaleNeutral),
                                        ids::kExcelRange, ids::kExcelWorksheet, "UsedRange");
  const ObjectRef rows =
      require_object(used->get(kRows), ids::kExcelRange, ids::kExcelRange, "UsedRange.Rows");
  const int row_count = rows->get(kCount).changed_to_integer().as_int();

  const ObjectRef cells = require_object(worksheet->get({"Cells"}), ids::kExcelRange,
                                         ids::kExcelWorksheet, "Cells");
  // The last used row keeps its height. Each row is reached through its
  // first cell: a sheet has far more rows than columns, so the row number
  // cannot double as a column.
  for (int t = 1; t < row_count; ++t) {
    const ObjectRef cell =
        require_object(cells->get(kItem, {Variant::int32(t), Variant::int32(1)}), ids::kExcelRange,
                       ids::kExcelRange, "Cells.Item");
    Variant height = cell->get(kRowHeight);
    if (height.type() != Variant::Type::integer) height = height.changed_to_integer();
    cell->put(kRowHeight,
              Variant::integer(std::min(height.as_int() + kRowHeightIncrease, kMaximumRowHeight)));
  }
}

}  // namespace

int convertExcel(OfficeAutomation &automation, const std::u16string &source,
                 const std::u16string &pdf) {
  CreatedApplication created =
      automation.create_application(kExcel, ids::kExcelClass, ids::kExcelApplication);
  if (failed(created.code) || !created.application) {
    report_creation_failure(created.code);
    return kRoutineNotCreated;
  }
  const ObjectRef excel = created.application;

  int result = kRoutineFailed;
  try {
    const ObjectRef workbooks = require_object(excel->get({"Workbooks"}), ids::kExcelWorkbooks,
                                               ids::kExcelApplication, "Workbooks");
    std::vector<Variant> open{Variant::string(source)};
    open.resize(1 + kWorkbookOpenOptionalArguments, Variant::missing());
    const ObjectRef workbook =
        require_object(workbooks->call({"Open"}, open, kLocaleNeutral), ids::kExcelWorkbook,
                       ids::kExcelWorkbooks, "Workbooks.Open");

    const ObjectRef sheets =
        require_object(excel->get({"Sheets"}), ids::kExcelSheets, ids::kExcelApplication, "Sheets");
    const int sheet_count = sheets->get({"Count"}).changed_to_integer().as_int();
    for (int d = 1; d <= sheet_count; ++d) {
      // A sheet without the worksheet interface (a chart sheet) fails the
      // whole conversion here.
      const ObjectRef worksheet = require_object(sheets->get({"Item"}, {Variant::integer(d)}),
                                                 ids::kExcelWorksheet, ids::kExcelSheets,
                                                 "Sheets.Item");
      prepare_worksheet(worksheet);
    }

    std::vector<Variant> export_arguments{Variant::int32(kXlTypePdf), Variant::string(pdf)};
    export_arguments.resize(2 + kExportOptionalArguments, Variant::missing());
    workbook->call({"ExportAsFixedFormat"}, export_arguments);
    // The workbook is only marked saved: the changed row heights never
    // reach the source file.
    workbook->put({"Saved"}, Variant::boolean(true), kLocaleNeutral);
    result = kRoutineOk;
  } catch (const AutomationError &) {
    // Reported through the result; the application is still quit below.
  }
  quit_application(excel, 0);
  return result;
}

}  // namespace tessaro
