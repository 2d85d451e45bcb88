// Word's Application, Documents and Document over Writer.
#include "automation/office_identifiers.h"
#include "uno/emulated_object.h"
#include "uno/office_documents.h"

using namespace css;

namespace tessaro::uno_backend {

namespace {

constexpr int kWdExportFormatPdf = 17;
constexpr int kWdExportOptimizeForOnScreen = 1;
constexpr int kWdExportFromTo = 3;
constexpr int kWdExportCreateNoBookmarks = 0;

class WordDocument : public EmulatedDocument {
 public:
  WordDocument(std::shared_ptr<OfficeSession> session, uno::Reference<lang::XComponent> document)
      : EmulatedDocument(std::move(session), ids::kWordDocument, std::move(document)) {}

 protected:
  Variant on_call(const Member &member, const std::vector<Variant> &a) override {
    if (is(member, "ExportAsFixedFormat")) {
      // OutputFileName, ExportFormat, OpenAfterExport, OptimizeFor, Range,
      // From, To, Item, IncludeDocProps, KeepIRM, CreateBookmarks,
      // DocStructureTags, BitmapMissingFonts, UseISO19005_1, extension.
      // Opening the PDF afterwards, IRM and bitmapped fonts have no
      // counterpart (fonts are always embedded); document properties are
      // always written.
      const std::u16string &pdf = string_argument(a, 0, interface_id());
      if (int_argument(a, 1, -1) != kWdExportFormatPdf) invalid("only PDF is exported");
      PdfOptions options;
      options.print_quality = int_argument(a, 3, 0) != kWdExportOptimizeForOnScreen;
      if (int_argument(a, 4, 0) == kWdExportFromTo)
        options.page_range =
            OUString::number(int_argument(a, 5, 1)) + "-" + OUString::number(int_argument(a, 6, 1));
      options.bookmarks =
          int_argument(a, 10, kWdExportCreateNoBookmarks) != kWdExportCreateNoBookmarks;
      options.structure_tags = bool_argument(a, 11, false);
      options.pdf_a = bool_argument(a, 13, false);
      store_as_pdf(open_document(), "writer_pdf_Export", pdf, options);
      return Variant();
    }
    if (closed_by(member)) return Variant();
    not_found(member);
  }
};

class WordDocuments : public EmulatedObject {
 public:
  explicit WordDocuments(std::shared_ptr<OfficeSession> session)
      : EmulatedObject(std::move(session), ids::kWordDocuments) {}

 protected:
  Variant on_call(const Member &member, const std::vector<Variant> &a) override {
    if (!is(member, "Open")) not_found(member);
    // FileName, ConfirmConversions, ReadOnly, AddToRecentFiles,
    // PasswordDocument, ...: the file name, read-only and the password are
    // what a hidden load can use.
    const std::u16string &source = string_argument(a, 0, interface_id());
    LoadOptions options;
    options.read_only = bool_argument(a, 2, false);
    if (argument(a, 4).type() == Variant::Type::string)
      options.password = argument(a, 4).as_string();
    uno::Reference<lang::XComponent> document =
        load_document(session(), file_url(source), "com.sun.star.text.TextDocument", options);
    return Variant::object(std::make_shared<WordDocument>(session_ref(), std::move(document)));
  }
};

}  // namespace

ObjectRef make_word_application(std::shared_ptr<OfficeSession> session) {
  return std::make_shared<CollectionApplication<WordDocuments>>(std::move(session),
                                                                ids::kWordApplication, "Documents");
}

}  // namespace tessaro::uno_backend
