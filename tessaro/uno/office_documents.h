// Loading, closing and exporting documents in a session's office.
#ifndef TESSARO_UNO_OFFICE_DOCUMENTS_H
#define TESSARO_UNO_OFFICE_DOCUMENTS_H

#include <string>

#include <com/sun/star/lang/XComponent.hpp>

#include "uno/emulated_object.h"
#include "uno/office_session.h"

namespace tessaro::uno_backend {

struct LoadOptions {
  bool read_only = false;
  std::u16string password;  // empty: none
};

// Loads the document hidden, with macros and links left alone. `service`
// is the document kind the component must be (its module); a file the
// office cannot read as that kind throws IllegalArgumentException.
css::uno::Reference<css::lang::XComponent> load_document(OfficeSession &session, const OUString &url,
                                                         const char *service,
                                                         const LoadOptions &options);

// Closes a document without saving it.
void close_document(const css::uno::Reference<css::lang::XComponent> &document);

// What the export options of the three applications come to.
struct PdfOptions {
  bool print_quality = true;    // no image down-sampling
  bool bookmarks = false;       // headings as PDF bookmarks
  bool structure_tags = true;   // tagged PDF
  bool pdf_a = false;           // PDF/A-1b
  bool notes_pages = false;     // presentations: notes pages instead of slides
  bool hidden_slides = false;   // presentations: slides hidden in the show too
  OUString page_range;          // empty: the whole document
};

// Stores the document as PDF at `pdf_path`, replacing a file there;
// `filter` is the module's PDF export filter.
void store_as_pdf(const css::uno::Reference<css::lang::XComponent> &document, const char *filter,
                  const std::u16string &pdf_path, const PdfOptions &options);

// A text document's or a presentation's object: the loaded document, and
// Close, which closes it without saving.
class EmulatedDocument : public EmulatedObject {
 public:
  EmulatedDocument(std::shared_ptr<OfficeSession> session, const Guid &interface_id,
                   css::uno::Reference<css::lang::XComponent> document)
      : EmulatedObject(std::move(session), interface_id), document_(std::move(document)) {}

 protected:
  // Carries out Close when member names it; false for any other member.
  bool closed_by(const Member &member) {
    if (!is(member, "Close")) return false;
    if (document_.is()) close_document(document_);
    document_.clear();
    return true;
  }
  // The document, still open (E_INVALIDARG once closed).
  const css::uno::Reference<css::lang::XComponent> &open_document() const {
    if (!document_.is()) invalid("the document is closed");
    return document_;
  }

 private:
  css::uno::Reference<css::lang::XComponent> document_;
};

}  // namespace tessaro::uno_backend

#endif
