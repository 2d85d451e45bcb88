// An Office document handed to protect: converted to PDF into a memory file
// that has no name, so the clear PDF never lies on disk for anyone to open,
// and protected from there.
#ifndef FOLIO_HOST_OFFICE_SOURCE_H
#define FOLIO_HOST_OFFICE_SOURCE_H

#include <string>

namespace folio_host {

// The office type (0 Word, 1 Excel, 2 PowerPoint) of a document by its
// name's extension; -1 for any other file.
int office_type_of(const std::string &path);

// Whether this build can convert Office documents.
bool office_conversion_available();

class ConvertedPdf {
 public:
  // Converts the document; throws Failure naming it when that fails.
  ConvertedPdf(const std::string &source, int office_type);
  ~ConvertedPdf();
  ConvertedPdf(const ConvertedPdf &) = delete;
  ConvertedPdf &operator=(const ConvertedPdf &) = delete;

  // A path that opens the PDF in this process only (/proc/self/fd/N).
  const std::string &path() const { return path_; }

 private:
  int descriptor_;
  std::string path_;
};

}  // namespace folio_host

#endif
