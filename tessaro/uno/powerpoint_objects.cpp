// PowerPoint's Application, Presentations and Presentation over Impress.
#include "automation/office_identifiers.h"
#include "uno/emulated_object.h"
#include "uno/office_documents.h"

using namespace css;

namespace tessaro::uno_backend {

namespace {

constexpr int kPpFixedFormatTypePdf = 2;
constexpr int kPpFixedFormatIntentScreen = 1;
constexpr int kPpPrintOutputSlides = 1;
constexpr int kPpPrintOutputNotesPages = 5;
constexpr int kPpPrintAll = 1;

class Presentation : public EmulatedDocument {
 public:
  Presentation(std::shared_ptr<OfficeSession> session, uno::Reference<lang::XComponent> document)
      : EmulatedDocument(std::move(session), ids::kPowerPointPresentation, std::move(document)) {}

 protected:
  Variant on_call(const Member &member, const std::vector<Variant> &a) override {
    if (is(member, "ExportAsFixedFormat")) {
      // Path, FixedFormatType, Intent, FrameSlides, HandoutOrder,
      // OutputType, PrintHiddenSlides, PrintRange, RangeType, SlideShowName,
      // IncludeDocProperties, KeepIRMSettings, DocStructureTags,
      // BitmapMissingFonts, UseISO19005_1, ExternalExporter. Frames,
      // handouts, IRM and bitmapped fonts have no counterpart; document
      // properties are always written.
      const std::u16string &pdf = string_argument(a, 0, interface_id());
      if (int_argument(a, 1, -1) != kPpFixedFormatTypePdf) invalid("only PDF is exported");
      if (int_argument(a, 8, kPpPrintAll) != kPpPrintAll) invalid("only whole presentations");
      PdfOptions options;
      options.print_quality = int_argument(a, 2, 1) != kPpFixedFormatIntentScreen;
      const int output = int_argument(a, 5, kPpPrintOutputSlides);
      options.notes_pages = output == kPpPrintOutputNotesPages;
      options.hidden_slides = bool_argument(a, 6, false);
      options.structure_tags = bool_argument(a, 12, false);
      options.pdf_a = bool_argument(a, 14, false);
      store_as_pdf(open_document(), "impress_pdf_Export", pdf, options);
      return Variant();
    }
    if (closed_by(member)) return Variant();
    not_found(member);
  }
};

class Presentations : public EmulatedObject {
 public:
  explicit Presentations(std::shared_ptr<OfficeSession> session)
      : EmulatedObject(std::move(session), ids::kPowerPointPresentations) {}

 protected:
  Variant on_call(const Member &member, const std::vector<Variant> &a) override {
    if (!is(member, "Open")) not_found(member);
    // FileName, ReadOnly, Untitled, WithWindow. The office has no windows
    // at all, so WithWindow changes nothing; an untitled copy is what a
    // read-only load already gives.
    const std::u16string &source = string_argument(a, 0, interface_id());
    LoadOptions options;
    options.read_only = int_argument(a, 1, 0) != 0;
    uno::Reference<lang::XComponent> document = load_document(
        session(), file_url(source), "com.sun.star.presentation.PresentationDocument", options);
    return Variant::object(std::make_shared<Presentation>(session_ref(), std::move(document)));
  }
};

}  // namespace

ObjectRef make_powerpoint_application(std::shared_ptr<OfficeSession> session) {
  return std::make_shared<CollectionApplication<Presentations>>(
      std::move(session), ids::kPowerPointApplication, "Presentations");
}

}  // namespace tessaro::uno_backend
