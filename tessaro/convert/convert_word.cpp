// Word: open the document, export it as PDF, close it, quit.
#include "automation/office_identifiers.h"
#include "convert/convert_routines.h"

namespace tessaro {

namespace {

// WdExportFormat and the other Word enumerations used by the export.
constexpr int kWdExportFormatPdf = 17;
constexpr int kWdExportOptimizeForPrint = 0;
constexpr int kWdExportAllDocument = 0;
constexpr int kWdExportDocumentContent = 0;
constexpr int kWdExportCreateNoBookmarks = 0;

constexpr int kDocumentOpenOptionalArguments = 15;
constexpr int kCloseOptionalArguments = 3;
constexpr int kQuitOptionalArguments = 3;

std::vector<Variant> missing_arguments(int count) {
  return std::vector<Variant>(static_cast<std::size_t>(count), Variant::missing());
}

}  // namespace

int convertWord(OfficeAutomation &automation, const std::u16string &source,
                const std::u16string &pdf) {
  CreatedApplication created =
      automation.create_application(kWord, ids::kWordClass, ids::kWordApplication);
  if (failed(created.code) || !created.application) return kRoutineNotCreated;
  const ObjectRef word = created.application;

  int result = kRoutineFailed;
  try {
    const ObjectRef documents = require_object(word->get({"Documents"}), ids::kWordDocuments,
                                               ids::kWordApplication, "Documents");

    std::vector<Variant> open{Variant::string(source)};
    for (const Variant &v : missing_arguments(kDocumentOpenOptionalArguments)) open.push_back(v);
    const ObjectRef document = require_object(documents->call({"Open"}, open), ids::kWordDocument,
                                              ids::kWordDocuments, "Documents.Open");

    document->call({"ExportAsFixedFormat"},
                   {
                       Variant::string(pdf),                           // OutputFileName
                       Variant::int32(kWdExportFormatPdf),             // ExportFormat
                       Variant::boolean(false),                        // OpenAfterExport
                       Variant::int32(kWdExportOptimizeForPrint),      // OptimizeFor
                       Variant::int32(kWdExportAllDocument),           // Range
                       Variant::int32(1),                              // From
                       Variant::int32(1),                              // To
                       Variant::int32(kWdExportDocumentContent),       // Item
                       Variant::boolean(true),                         // IncludeDocProps
                       Variant::boolean(true),                         // KeepIRM
                       Variant::int32(kWdExportCreateNoBookmarks),     // CreateBookmarks
                       Variant::boolean(true),                         // DocStructureTags
                       Variant::boolean(true),                         // BitmapMissingFonts
                       Variant::boolean(false),                        // UseISO19005_1
                       Variant::missing(),                             // FixedFormatExtClassPtr
                   });
    document->call({"Close"}, missing_arguments(kCloseOptionalArguments));
    result = kRoutineOk;
  } catch (const AutomationError &) {
    // Reported through the result; the application is still quit below.
  }
  quit_application(word, kQuitOptionalArguments);
  return result;
}

}  // namespace tessaro
