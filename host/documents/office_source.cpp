#include "documents/office_source.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>

#include "commands/messages.h"

#ifdef FOLIO_HOST_OFFICE
#include "tessaro.h"
#endif

namespace folio_host {

namespace {

struct Extension {
  const char *name;
  int office_type;
};

constexpr Extension kOfficeExtensions[] = {
    {"docx", 0}, {"doc", 0}, {"odt", 0}, {"rtf", 0},
    {"xlsx", 1}, {"xls", 1}, {"ods", 1},
    {"pptx", 2}, {"ppt", 2}, {"odp", 2},
};

}  // namespace

int office_type_of(const std::string &path) {
  const std::size_t dot = path.find_last_of("./");
  if (dot == std::string::npos || path[dot] != '.') return -1;
  std::string extension = path.substr(dot + 1);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (const Extension &known : kOfficeExtensions)
    if (extension == known.name) return known.office_type;
  return -1;
}

bool office_conversion_available() {
#ifdef FOLIO_HOST_OFFICE
  return true;
#else
  return false;
#endif
}

ConvertedPdf::ConvertedPdf(const std::string &source, int office_type)
    : descriptor_(memfd_create("folio-host-pdf", MFD_CLOEXEC)) {
  if (descriptor_ < 0) throw Failure(source, "no memory file for its PDF: " + error_text(errno));
  path_ = "/proc/self/fd/" + std::to_string(descriptor_);
#ifdef FOLIO_HOST_OFFICE
  const std::string into = "/dev/fd/" + std::to_string(descriptor_);
  if (ConvertOfficeFileToPdf(office_type, source.c_str(), into.c_str()) == TESSARO_OK &&
      lseek(descriptor_, 0, SEEK_END) > 0)
    return;
#else
  (void)office_type;
#endif
  ::close(descriptor_);
  throw Failure(source, "could not be converted to PDF");
}

ConvertedPdf::~ConvertedPdf() { ::close(descriptor_); }

}  // namespace folio_host
