// PowerPoint: open the presentation read-only and windowless, export it as
// PDF, close it, quit.
#include "automation/office_identifiers.h"
#include "convert/convert_routines.h"

namespace tessaro {

namespace {

// MsoTriState
constexpr int kMsoTrue = -1;
constexpr int kMsoFalse = 0;
constexpr int kMsoTriStateMixed = -2;
// PowerPoint's export enumerations.
constexpr int kPpFixedFormatTypePdf = 2;
constexpr int kPpFixedFormatIntentPrint = 2;
constexpr int kPpPrintHandoutHorizontalFirst = 2;
constexpr int kPpPrintOutputSlides = 1;
constexpr int kPpPrintAll = 1;

}  // namespace

int convertPowerPoint(OfficeAutomation &automation, const std::u16string &source,
                      const std::u16string &pdf) {
  CreatedApplication created = automation.create_application(
      kPowerPoint, ids::kPowerPointClass, ids::kPowerPointApplication);
  if (failed(created.code) || !created.application) {
    report_creation_failure(created.code);
    return kRoutineNotCreated;
  }
  const ObjectRef powerpoint = created.application;

  int result = kRoutineFailed;
  try {
    const ObjectRef presentations =
        require_object(powerpoint->get({"Presentations"}), ids::kPowerPointPresentations,
                       ids::kPowerPointApplication, "Presentations");
    const ObjectRef presentation = require_object(
        presentations->call({"Open"},
                            {
                                Variant::string(source),     // FileName
                                Variant::int32(kMsoTrue),    // ReadOnly
                                Variant::int32(kMsoFalse),   // Untitled
                                Variant::int32(kMsoFalse),   // WithWindow
                            }),
        ids::kPowerPointPresentation, ids::kPowerPointPresentations, "Presentations.Open");

    presentation->call({"ExportAsFixedFormat"},
                       {
                           Variant::string(pdf),                             // Path
                           Variant::int32(kPpFixedFormatTypePdf),            // FixedFormatType
                           Variant::int32(kPpFixedFormatIntentPrint),        // Intent
                           Variant::int32(kMsoTriStateMixed),                // FrameSlides
                           Variant::int32(kPpPrintHandoutHorizontalFirst),   // HandoutOrder
                           Variant::int32(kPpPrintOutputSlides),             // OutputType
                           Variant::int32(kMsoFalse),                        // PrintHiddenSlides
                           Variant::object(nullptr),                         // PrintRange
                           Variant::int32(kPpPrintAll),                      // RangeType
                           Variant::string(u""),                             // SlideShowName
                           Variant::boolean(true),                           // IncludeDocProperties
                           Variant::boolean(false),                          // KeepIRMSettings
                           Variant::boolean(true),                           // DocStructureTags
                           Variant::boolean(true),                           // BitmapMissingFonts
                           Variant::boolean(false),                          // UseISO19005_1
                           Variant::missing(),                               // ExternalExporter
                       });
    presentation->call({"Close"});
    result = kRoutineOk;
  } catch (const AutomationError &) {
    // Reported through the result; the application is still quit below.
  }
  quit_application(powerpoint, 0);
  return result;
}

}  // namespace tessaro
