// The calls the conversion routines make, over a recording automation back
// end: the same calls reach Office through COM on Windows, so every name,
// dispatch identifier, value and type is checked here, with the paths a
// failure takes.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "automation/office_identifiers.h"
#include "convert/convert_routines.h"
#include "support/files.h"
#include "support/scratch_dir.h"

namespace tessaro {
namespace {

using Log = std::vector<std::string>;

std::string describe(const Variant &v) {
  switch (v.type()) {
    case Variant::Type::empty: return "empty";
    case Variant::Type::null: return "null";
    case Variant::Type::missing: return "missing";
    case Variant::Type::boolean: return v.as_bool() ? "bool:true" : "bool:false";
    case Variant::Type::int32: return "i4:" + std::to_string(v.as_int());
    case Variant::Type::integer: return "int:" + std::to_string(v.as_int());
    case Variant::Type::real: return "r8:" + std::to_string(v.as_real());
    case Variant::Type::string: return "str:" + std::string(v.as_string().begin(), v.as_string().end());
    case Variant::Type::object: return v.as_object() ? "object" : "no-object";
  }
  return "?";
}

// One object: every call is logged as "<object>.<member>[#dispid] <kind>
// (<arguments>)"; what it answers comes from `answer`, keyed by member.
class Recorder : public AutomationObject, public std::enable_shared_from_this<Recorder> {
 public:
  using Answer = std::function<Variant(const std::vector<Variant> &)>;

  Recorder(std::string name, Guid id, Log &log) : name_(std::move(name)), id_(id), log_(log) {}
  void on(const std::string &member, Answer answer) { answers_[member] = std::move(answer); }
  void lacks(const Guid &id) { lacking_ = id, has_lacking_ = true; }

  const Guid &interface_id() const override { return id_; }
  Variant get(const Member &m, const std::vector<Variant> &a, LocaleId l) override {
    return record("get", m, a, l);
  }
  void put(const Member &m, const Variant &value, LocaleId l) override {
    record("put", m, {value}, l);
  }
  Variant call(const Member &m, const std::vector<Variant> &a, LocaleId l) override {
    return record("call", m, a, l);
  }
  ObjectRef query(const Guid &id) override {
    if (has_lacking_ && id == lacking_) throw AutomationError(kENoInterface, id, "no interface");
    return shared_from_this();
  }

 private:
  Variant record(const char *kind, const Member &m, const std::vector<Variant> &a, LocaleId l) {
    std::string line = name_ + "." + m.name;
    if (m.id != kDispIdUnknown) {
      char id[16];
      std::snprintf(id, sizeof id, "#%X", static_cast<unsigned>(m.id));
      line += id;
    }
    line += std::string(" ") + kind + " (";
    for (std::size_t i = 0; i < a.size(); ++i) line += (i ? " " : "") + describe(a[i]);
    line += ")";
    if (l == kLocaleNeutral) line += " lcid:0";
    log_.push_back(line);
    const auto answer = answers_.find(m.name);
    return answer == answers_.end() ? Variant() : answer->second(a);
  }

  std::string name_;
  Guid id_;
  Log &log_;
  std::map<std::string, Answer> answers_;
  Guid lacking_{};
  bool has_lacking_ = false;
};

std::shared_ptr<Recorder> object(const std::string &name, const Guid &id, Log &log) {
  return std::make_shared<Recorder>(name, id, log);
}

Recorder::Answer gives(const ObjectRef &o) {
  return [o](const std::vector<Variant> &) { return Variant::object(o); };
}

class RecordingAutomation : public OfficeAutomation {
 public:
  explicit RecordingAutomation(Log &log) : log_(log) {}
  void enter_thread() override { log_.push_back("enter"); }
  void leave_thread() override { log_.push_back("leave"); }
  int is_registered(OfficeType type) override { return registered && type >= 0 && type <= 2; }
  CreatedApplication create_application(OfficeType type, const Guid &class_id,
                                        const Guid &main) override {
    log_.push_back("create " + std::to_string(type) + " " + to_string(class_id) + " " +
                   to_string(main));
    if (creation_fails) return {creation_fails, nullptr};
    return {kSOk, application};
  }

  bool registered = true;
  HResult creation_fails = kSOk;
  ObjectRef application;

 private:
  Log &log_;
};

// The routines only run for a source that can be read and is not empty: a
// few bytes in a scratch folder stand for the document (the recording back
// end never reads them).
std::string source_file(const folio_test::ScratchDir &scratch, const std::string &name) {
  const std::string path = scratch.path(name);
  folio_test::write_text(path, "PK");
  return path;
}

Log missing_list(int n) { return Log(static_cast<std::size_t>(n), "missing"); }

std::string joined(const Log &parts) {
  std::string s;
  for (std::size_t i = 0; i < parts.size(); ++i) s += (i ? " " : "") + parts[i];
  return s;
}

TEST(RoutineCalls, WordOpensExportsClosesAndQuits) {
  Log log;
  RecordingAutomation automation(log);
  auto word = object("Word", ids::kWordApplication, log);
  auto documents = object("Documents", ids::kWordDocuments, log);
  auto document = object("Document", ids::kWordDocument, log);
  word->on("Documents", gives(documents));
  documents->on("Open", gives(document));
  automation.application = word;
  folio_test::ScratchDir scratch;
  const std::string in = source_file(scratch, "in.docx");

  EXPECT_EQ(convert_office_file(automation, 0, in.c_str(), "out.pdf"), 0);
  const Log expected = {
      "enter",
      "create 0 {000209FF-0000-0000-C000-000000000046} {00020970-0000-0000-C000-000000000046}",
      "Word.Documents get ()",
      "Documents.Open call (str:" + in + " " + joined(missing_list(15)) + ")",
      "Document.ExportAsFixedFormat call (str:out.pdf i4:17 bool:false i4:0 i4:0 i4:1 i4:1 i4:0 "
      "bool:true bool:true i4:0 bool:true bool:true bool:false missing)",
      "Document.Close call (missing missing missing)",
      "Word.Quit call (missing missing missing)",
      "leave",
  };
  EXPECT_EQ(log, expected);
}

TEST(RoutineCalls, PowerPointOpensReadOnlyWithoutWindowAndExports) {
  Log log;
  RecordingAutomation automation(log);
  auto powerpoint = object("PowerPoint", ids::kPowerPointApplication, log);
  auto presentations = object("Presentations", ids::kPowerPointPresentations, log);
  auto presentation = object("Presentation", ids::kPowerPointPresentation, log);
  powerpoint->on("Presentations", gives(presentations));
  presentations->on("Open", gives(presentation));
  automation.application = powerpoint;
  folio_test::ScratchDir scratch;
  const std::string in = source_file(scratch, "in.pptx");

  EXPECT_EQ(convert_office_file(automation, 2, in.c_str(), "out.pdf"), 0);
  const Log expected = {
      "enter",
      "create 2 {91493441-5A91-11CF-8700-00AA0060263B} {91493442-5A91-11CF-8700-00AA0060263B}",
      "PowerPoint.Presentations get ()",
      "Presentations.Open call (str:" + in + " i4:-1 i4:0 i4:0)",
      "Presentation.ExportAsFixedFormat call (str:out.pdf i4:2 i4:2 i4:-2 i4:2 i4:1 i4:0 "
      "no-object i4:1 str: bool:true bool:false bool:true bool:true bool:false missing)",
      "Presentation.Close call ()",
      "PowerPoint.Quit call ()",
      "leave",
  };
  EXPECT_EQ(log, expected);
}

// A workbook with the given worksheets' used row counts, row heights
// answered as `height` points.
struct Workbook {
  folio_test::ScratchDir scratch;
  const std::string in = source_file(scratch, "in.xlsx");
  Log log;
  RecordingAutomation automation{log};
  std::shared_ptr<Recorder> excel = object("Excel", ids::kExcelApplication, log);
  std::shared_ptr<Recorder> workbook = object("Workbook", ids::kExcelWorkbook, log);
  std::shared_ptr<Recorder> sheets = object("Sheets", ids::kExcelSheets, log);

  Workbook(const std::vector<int> &used_rows, const Variant &height, bool chart_second = false) {
    auto workbooks = object("Workbooks", ids::kExcelWorkbooks, log);
    excel->on("Workbooks", gives(workbooks));
    workbooks->on("Open", gives(workbook));
    excel->on("Sheets", gives(sheets));
    sheets->on("Count", [n = used_rows.size()](const std::vector<Variant> &) {
      return Variant::int32(static_cast<int>(n));
    });
    std::vector<ObjectRef> items;
    for (std::size_t i = 0; i < used_rows.size(); ++i) {
      const std::string n = std::to_string(i + 1);
      auto sheet = object("Sheet" + n, ids::kExcelWorksheet, log);
      if (chart_second && i == 1) sheet->lacks(ids::kExcelWorksheet);
      auto setup = object("PageSetup" + n, ids::kIDispatch, log);
      auto used = object("UsedRange" + n, ids::kExcelRange, log);
      auto rows = object("Rows" + n, ids::kExcelRange, log);
      auto cells = object("Cells" + n, ids::kExcelRange, log);
      auto cell = object("Cell" + n, ids::kExcelRange, log);
      sheet->on("PageSetup", gives(setup));
      sheet->on("UsedRange", gives(used));
      sheet->on("Cells", gives(cells));
      used->on("Rows", gives(rows));
      rows->on("Count", [r = used_rows[i]](const std::vector<Variant> &) { return Variant::int32(r); });
      cells->on("Item", gives(cell));
      cell->on("RowHeight", [height](const std::vector<Variant> &) { return height; });
      items.push_back(sheet);
    }
    sheets->on("Item", [items](const std::vector<Variant> &a) {
      return Variant::object(items.at(static_cast<std::size_t>(a.at(0).as_int() - 1)));
    });
    automation.application = excel;
  }
};

TEST(RoutineCalls, ExcelSetsUpEveryWorksheetRaisesRowsAndOnlyMarksItSaved) {
  Workbook book({3, 1}, Variant::real(12.75));
  EXPECT_EQ(convert_office_file(book.automation, 1, book.in.c_str(), "out.pdf"), 0);
  const Log expected = {
      "enter",
      "create 1 {00024500-0000-0000-C000-000000000046} {000208D5-0000-0000-C000-000000000046}",
      "Excel.Workbooks get ()",
      "Workbooks.Open call (str:" + book.in + " " + joined(missing_list(14)) + ") lcid:0",
      "Excel.Sheets get ()",
      "Sheets.Count get ()",
      "Sheets.Item get (int:1)",
      "Sheet1.PageSetup get ()",
      "PageSetup1.PrintGridlines#3EC put (bool:true)",
      "PageSetup1.FitToPagesWide#3F6 put (int:1)",
      "PageSetup1.Zoom#297 put (bool:false)",
      "Sheet1.UsedRange get () lcid:0",
      "UsedRange1.Rows#102 get ()",
      "Rows1.Count#76 get ()",
      "Sheet1.Cells get ()",
      // Rows 1 and 2 of 3; 12.75 points round to 13 (half to even).
      "Cells1.Item#AA get (i4:1 i4:1)",
      "Cell1.RowHeight#110 get ()",
      "Cell1.RowHeight#110 put (int:23)",
      "Cells1.Item#AA get (i4:2 i4:1)",
      "Cell1.RowHeight#110 get ()",
      "Cell1.RowHeight#110 put (int:23)",
      "Sheets.Item get (int:2)",
      "Sheet2.PageSetup get ()",
      "PageSetup2.PrintGridlines#3EC put (bool:true)",
      "PageSetup2.FitToPagesWide#3F6 put (int:1)",
      "PageSetup2.Zoom#297 put (bool:false)",
      "Sheet2.UsedRange get () lcid:0",
      "UsedRange2.Rows#102 get ()",
      "Rows2.Count#76 get ()",
      "Sheet2.Cells get ()",
      // One used row: none is changed.
      "Workbook.ExportAsFixedFormat call (i4:0 str:out.pdf " + joined(missing_list(7)) + ")",
      "Workbook.Saved put (bool:true) lcid:0",
      "Excel.Quit call ()",
      "leave",
  };
  EXPECT_EQ(book.log, expected);
}

// The height written for a row of each height read: whole numbers are used
// as they are, and no row is made taller than a row can be (409 points).
TEST(RoutineCalls, ExcelRowHeightsAreRaisedUpToTheTallestARowCanBe) {
  const struct {
    Variant height;
    std::string written;
  } cases[] = {
      {Variant::integer(15), "int:25"},
      {Variant::real(398.6), "int:409"},  // 399 + 10 is exactly the limit
      {Variant::real(405), "int:409"},
      {Variant::integer(409), "int:409"},
  };
  for (const auto &c : cases) {
    Workbook book({2}, c.height);
    EXPECT_EQ(convert_office_file(book.automation, 1, book.in.c_str(), "out.pdf"), 0);
    EXPECT_NE(std::find(book.log.begin(), book.log.end(), "Cell1.RowHeight#110 put (" + c.written + ")"),
              book.log.end())
        << c.written;
  }
}

// Far below the sheet's last row, each row is still reached through its
// first cell (a column number that large does not exist).
TEST(RoutineCalls, ExcelReachesEveryRowThroughItsFirstCell) {
  Workbook book({20000}, Variant::integer(15));
  EXPECT_EQ(convert_office_file(book.automation, 1, book.in.c_str(), "out.pdf"), 0);
  const std::string log = joined(book.log);
  EXPECT_NE(log.find("Cells1.Item#AA get (i4:19999 i4:1)"), std::string::npos);
  EXPECT_EQ(log.find("Cells1.Item#AA get (i4:20000"), std::string::npos);
  EXPECT_EQ(log.find("Item#AA get (i4:16385 i4:16385)"), std::string::npos);
}

TEST(RoutineCalls, ChartSheetFailsBeforeExportAndStillQuits) {
  Workbook book({2, 2}, Variant::real(15), true);
  EXPECT_EQ(convert_office_file(book.automation, 1, book.in.c_str(), "out.pdf"), -1);
  const std::string log = joined(book.log);
  EXPECT_NE(log.find("Sheets.Item get (int:2)"), std::string::npos);
  EXPECT_EQ(log.find("Sheet2.PageSetup"), std::string::npos);
  EXPECT_EQ(log.find("ExportAsFixedFormat"), std::string::npos);
  EXPECT_EQ(log.find("Saved"), std::string::npos);
  EXPECT_EQ(book.log.at(book.log.size() - 2), "Excel.Quit call ()");
}

TEST(RoutineCalls, OpenThatYieldsNothingFailsAndQuits) {
  Log log;
  RecordingAutomation automation(log);
  auto word = object("Word", ids::kWordApplication, log);
  auto documents = object("Documents", ids::kWordDocuments, log);
  word->on("Documents", gives(documents));  // Open answers empty
  automation.application = word;
  folio_test::ScratchDir scratch;
  const std::string in = source_file(scratch, "in.docx");
  EXPECT_EQ(convert_office_file(automation, 0, in.c_str(), "out.pdf"), -1);
  EXPECT_EQ(log.at(log.size() - 2), "Word.Quit call (missing missing missing)");
  EXPECT_EQ(joined(log).find("ExportAsFixedFormat"), std::string::npos);
}

TEST(RoutineCalls, CreationFailureIsReportedByExcelAndPowerPointOnly) {
  folio_test::ScratchDir scratch;
  const std::string in = source_file(scratch, "in");
  for (int type : {0, 1, 2}) {
    Log log;
    RecordingAutomation automation(log);
    automation.creation_fails = kCoEServerExecFailure;
    testing::internal::CaptureStdout();
    EXPECT_EQ(convert_office_file(automation, type, in.c_str(), "out.pdf"), -1);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed, type == 0 ? "" : "CreateInstance failed w/err 0x80080005\n") << type;
  }
}

TEST(RoutineCalls, UnregisteredOrUnknownTypeStartsNothing) {
  folio_test::ScratchDir scratch;
  const std::string in = source_file(scratch, "in");
  Log log;
  RecordingAutomation automation(log);
  EXPECT_EQ(convert_office_file(automation, 3, in.c_str(), "out.pdf"), -1);
  automation.registered = false;
  EXPECT_EQ(convert_office_file(automation, 0, in.c_str(), "out.pdf"), -1);
  EXPECT_EQ(log, (Log{"enter", "leave", "enter", "leave"}));
}

}  // namespace
}  // namespace tessaro
