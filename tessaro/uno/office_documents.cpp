#include "uno/office_documents.h"

#include "uno/descriptor_output.h"

#include <stdio.h>
#include <unistd.h>

#include <atomic>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/IllegalArgumentException.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <string>
#include <vector>

using namespace css;

namespace tessaro::uno_backend {

namespace {

beans::PropertyValue property(const char *name, const uno::Any &value) {
  beans::PropertyValue p;
  p.Name = OUString::createFromAscii(name);
  p.Value = value;
  return p;
}

// The office reads any file at all as plain text (or as comma-separated
// values) when nothing else fits, so a damaged document or no document at
// all would "convert". Text is taken only from files named as text.
bool plausible_filter(const uno::Reference<lang::XComponent> &document, const OUString &url) {
  const uno::Reference<frame::XModel> model(document, uno::UNO_QUERY);
  if (!model.is()) return false;
  OUString filter;
  for (const beans::PropertyValue &argument : model->getArgs())
    if (argument.Name == "FilterName") argument.Value >>= filter;
  const bool text_filter =
      filter == "Text" || filter == "Text (encoded)" || filter == "Text - txt - csv (StarCalc)";
  if (!text_filter) return true;
  const OUString name = url.copy(url.lastIndexOf('/') + 1).toAsciiLowerCase();
  return name.endsWith(".txt") || name.endsWith(".csv");
}

}  // namespace

uno::Reference<lang::XComponent> load_document(OfficeSession &session, const OUString &url,
                                               const char *service, const LoadOptions &options) {
  std::vector<beans::PropertyValue> arguments = {
      property("Hidden", uno::Any(true)),
      property("ReadOnly", uno::Any(options.read_only)),
      // Only filters of the wanted module are tried.
      property("DocumentService", uno::Any(OUString::createFromAscii(service))),
      property("MacroExecutionMode", uno::Any(document::MacroExecMode::NEVER_EXECUTE)),
      property("UpdateDocMode", uno::Any(document::UpdateDocMode::NO_UPDATE)),
  };
  if (!options.password.empty())
    arguments.push_back(property("Password", uno::Any(to_ou(options.password))));

  const uno::Reference<lang::XComponent> document =
      session.load(url, uno::Sequence<beans::PropertyValue>(
                            arguments.data(), static_cast<sal_Int32>(arguments.size())));
  const uno::Reference<lang::XServiceInfo> info(document, uno::UNO_QUERY);
  if (!info.is() || !info->supportsService(OUString::createFromAscii(service)) ||
      !plausible_filter(document, url)) {
    close_document(document);
    throw lang::IllegalArgumentException(OUString("not a document of this kind: " + url), nullptr,
                                         0);
  }
  return document;
}

void close_document(const uno::Reference<lang::XComponent> &document) {
  const uno::Reference<util::XCloseable> closeable(document, uno::UNO_QUERY);
  if (closeable.is())
    closeable->close(true);
  else if (document.is())
    document->dispose();
}

void store_as_pdf(const uno::Reference<lang::XComponent> &document, const char *filter,
                  const std::u16string &pdf_path, const PdfOptions &options) {
  std::vector<beans::PropertyValue> data = {
      property("ReduceImageResolution", uno::Any(!options.print_quality)),
      property("ExportBookmarks", uno::Any(options.bookmarks)),
      property("UseTaggedPDF", uno::Any(options.structure_tags)),
      property("SelectPdfVersion", uno::Any(sal_Int32(options.pdf_a ? 1 : 0))),
      property("ExportNotesPages", uno::Any(options.notes_pages)),
      property("ExportHiddenSlides", uno::Any(options.hidden_slides)),
      property("ExportNotes", uno::Any(false)),
  };
  if (!options.page_range.isEmpty())
    data.push_back(property("PageRange", uno::Any(options.page_range)));

  const uno::Sequence<beans::PropertyValue> filter_data(data.data(),
                                                        static_cast<sal_Int32>(data.size()));
  const beans::PropertyValue store[] = {
      property("FilterName", uno::Any(OUString::createFromAscii(filter))),
      property("FilterData", uno::Any(filter_data)),
      property("Overwrite", uno::Any(true)),
  };
  const uno::Reference<frame::XStorable> storable(document, uno::UNO_QUERY_THROW);
  const OString pdf_name = OUStringToOString(to_ou(pdf_path), RTL_TEXTENCODING_UTF8);

  // A descriptor the caller holds open takes the PDF as the office makes
  // it, under no name at all (a partial PDF there is the caller's to drop).
  const int descriptor = named_descriptor(pdf_name.getStr());
  if (descriptor >= 0) {
    const beans::PropertyValue streamed[] = {
        store[0], store[1], property("OutputStream", uno::Any(descriptor_stream(descriptor)))};
    storable->storeToURL("private:stream", uno::Sequence<beans::PropertyValue>(streamed, 3));
    return;
  }
  const uno::Sequence<beans::PropertyValue> arguments(store, 3);

  // The office writes under a temporary name beside the PDF, renamed over
  // it only once complete: an office killed or failing half way leaves no
  // truncated PDF, and an older PDF at that path stays until replaced.
  static std::atomic<unsigned> stores{0};
  const std::string suffix =
      ".partial-" + std::to_string(::getpid()) + "-" + std::to_string(stores++);
  const std::u16string partial = pdf_path + std::u16string(suffix.begin(), suffix.end());
  const OString partial_name = pdf_name + OString(suffix.c_str());
  try {
    storable->storeToURL(file_url(partial), arguments);
  } catch (...) {
    ::unlink(partial_name.getStr());
    throw;
  }
  if (::rename(partial_name.getStr(), pdf_name.getStr()) != 0) {
    ::unlink(partial_name.getStr());
    throw lang::IllegalArgumentException(
        OUString("the PDF cannot be put in place: ") + OUString::fromUtf8(pdf_name), nullptr, 0);
  }
}

}  // namespace tessaro::uno_backend
