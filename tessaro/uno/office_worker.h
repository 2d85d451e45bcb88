// An office kept running for one document after another: started once in
// a private profile, it converts each document through the same routines
// as ConvertOfficeFileToPdf, with the same results, and leaves nothing of
// one document behind for the next (each is closed unsaved, open or
// failed). Each document has the conversion time limit to itself; an
// office that passes it, or dies, fails that document only, and the next
// one gets a fresh office.
//
// For programs converting many documents (folio-host convert). One thread
// uses a worker: the office dies with the thread that started it.
#ifndef TESSARO_UNO_OFFICE_WORKER_H
#define TESSARO_UNO_OFFICE_WORKER_H

#include <memory>
#include <string>

namespace tessaro {

struct DocumentResult {
  bool converted = false;
  std::string reason;  // why not, in words for the user; empty when converted
};

class OfficeWorker {
 public:
  // Starts nothing yet: the office starts with the first document.
  OfficeWorker();
  // Ends the office and removes its profile.
  ~OfficeWorker();
  OfficeWorker(const OfficeWorker &) = delete;
  OfficeWorker &operator=(const OfficeWorker &) = delete;

  // Converts `source` (office type 0 Word, 1 Excel, 2 PowerPoint) into the
  // PDF at `pdf`, a path or /proc/self/fd/N of a descriptor open for
  // writing, as ConvertOfficeFileToPdf does.
  DocumentResult convert(int office_type, const std::string &source, const std::string &pdf);

  // How many offices this worker has started so far.
  int offices_started() const;

 private:
  class KeptOffice;
  std::unique_ptr<KeptOffice> office_;
};

}  // namespace tessaro

#endif
