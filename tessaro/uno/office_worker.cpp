#include "uno/office_worker.h"

#include <chrono>

#include "convert/convert_routines.h"
#include "uno/time_limit.h"
#include "uno/uno_automation.h"

namespace tessaro {

namespace {

const char *kind_of(int office_type) {
  switch (office_type) {
    case kWord: return "text document";
    case kExcel: return "workbook";
    default: return "presentation";
  }
}

std::string duration_text(std::chrono::milliseconds limit) {
  if (limit.count() % 1000 == 0) return std::to_string(limit.count() / 1000) + " s";
  return std::to_string(limit.count()) + " ms";
}

}  // namespace

// The back end with one office for every application it creates; Quit
// closes an application's documents and leaves the office running.
class OfficeWorker::KeptOffice : public uno_backend::UnoAutomation {
 public:
  ~KeptOffice() override {
    with_pipe_signal_held([this] { end(); });
  }

  DocumentResult convert(int office_type, const std::string &source, const std::string &pdf) {
    start_failed_ = false;
    office_asked_for_ = false;
    if (session_) {
      session_->forget_failure();
      session_->arm_time_limit(uno_backend::conversion_time_limit());
    }
    const bool converted =
        convert_office_file(*this, office_type, source.c_str(), pdf.c_str()) == 0;
    DocumentResult result;
    result.converted = converted;
    with_pipe_signal_held([&] {
      bool office_gone = false;
      if (session_) {
        // Whatever the routine left open (it failed half way) goes now,
        // still under the time limit: a hung office ends here too.
        session_->close_documents();
        office_gone = !converted && !session_->answers();
        session_->disarm_time_limit();
        office_gone = office_gone || !session_->running();
      }
      if (!converted) result.reason = reason_for(office_type, office_gone);
      // An office that was killed or died is not given the next document.
      if (office_gone) end();
    });
    return result;
  }

  int started() const { return started_; }

 protected:
  std::shared_ptr<uno_backend::OfficeSession> office_for(HResult &code) override {
    office_asked_for_ = true;
    if (session_ && !session_->running()) end();
    if (!session_) {
      // Its start counts against the document's time limit.
      session_ = uno_backend::OfficeSession::start(code, uno_backend::OfficeSession::Lifetime::kept);
      if (!session_) {
        start_failed_ = true;
        return nullptr;
      }
      ++started_;
    }
    code = kSOk;
    return session_;
  }

 private:
  std::string reason_for(int office_type, bool office_gone) {
    if (start_failed_) return "the office could not be started";
    // The checks before any office is asked for.
    if (!office_asked_for_ || !session_)
      return "not a readable, non-empty document, or its PDF would replace it";
    if (session_->timed_out())
      return "the office did not finish it within " +
             duration_text(uno_backend::conversion_time_limit()) +
             " and was ended (a fresh one takes the next document)";
    if (office_gone)
      return "the office ended while converting it (a fresh one takes the next document)";
    const std::string failed = session_->first_failure();
    if (failed == "Open")
      return std::string("the office cannot open it as a ") + kind_of(office_type) +
             " (damaged, password-protected, or of another kind)";
    if (failed == "ExportAsFixedFormat") return "the office could not write its PDF";
    if (failed.empty()) return "the office could not convert it";
    return "the office could not convert it (" + failed + ")";
  }

  // Calls to the office outside a conversion (closing its documents,
  // disposing of the bridge to an office that may have died) are shielded
  // from SIGPIPE as the conversion's own calls are.
  template <class Step>
  void with_pipe_signal_held(Step &&step) {
    enter_thread();
    step();
    leave_thread();
  }

  void end() {
    if (session_) session_->quit();
    session_.reset();
  }

  std::shared_ptr<uno_backend::OfficeSession> session_;
  int started_ = 0;
  bool start_failed_ = false;
  bool office_asked_for_ = false;
};

OfficeWorker::OfficeWorker() : office_(std::make_unique<KeptOffice>()) {}

OfficeWorker::~OfficeWorker() = default;

DocumentResult OfficeWorker::convert(int office_type, const std::string &source,
                                     const std::string &pdf) {
  return office_->convert(office_type, source, pdf);
}

int OfficeWorker::offices_started() const { return office_->started(); }

}  // namespace tessaro
