// convert: Office documents to PDFs through one office, started once and
// kept for all of them (restarted when it dies or hangs). One line per
// document: "<source> -> <pdf>" on standard output, or the reason it
// failed on standard error; on a terminal a progress line below them.
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <memory>

#include "commands/commands.h"
#include "commands/messages.h"
#include "documents/conversion_plan.h"
#include "documents/office_source.h"
#include "output/atomic_output.h"
#include "output/input_file.h"
#include "output/progress_reporter.h"

#ifdef FOLIO_HOST_OFFICE
#include "uno/office_worker.h"
#endif

namespace folio_host {

namespace {

#ifdef FOLIO_HOST_OFFICE
// The PDF is written through a descriptor this process holds: it has no
// name until it is whole, and none at all if the tool dies first.
void convert_one(tessaro::OfficeWorker &office, const PlannedConversion &planned) {
  const InputFile source(planned.source);  // the system's reason for an unusable file
  if (source.size() == 0) throw Failure(planned.source, "is empty");
  PendingOutput pdf(planned.pdf);
  const tessaro::DocumentResult result = office.convert(
      planned.office_type, planned.source, "/proc/self/fd/" + std::to_string(pdf.fd()));
  if (!result.converted) throw Failure(planned.source, result.reason);
  if (pdf.current_size() == 0) throw Failure(planned.source, "the office made an empty PDF");
  source.check_unchanged("it was being converted");
  pdf.finish(default_file_mode());
  commit_together({&pdf});
}
#endif

}  // namespace

int run_convert(const CommandArguments &arguments) {
  if (!office_conversion_available())
    throw Failure(arguments.operands[0], "cannot be converted: this build converts no Office documents");
  const std::vector<PlannedConversion> plan =
      plan_conversions(arguments.operands, arguments.option("--out"));
  int status = kExitSuccess;
#ifdef FOLIO_HOST_OFFICE
  tessaro::OfficeWorker office;
  std::atomic<std::uint64_t> finished{0};
  ProgressReporter progress("converting " + std::to_string(plan.size()) + " documents",
                            plan.size(), [&finished] { return finished.load(); }, 0);
  for (const PlannedConversion &planned : plan) {
    try {
      if (!planned.refusal.empty()) throw Failure(planned.source, planned.refusal);
      convert_one(office, planned);
      progress.print_line(stdout, planned.source + " -> " + planned.pdf + "\n");
    } catch (const Failure &failure) {
      progress.print_line(stderr, failure_line(failure));
      status = kExitFailure;
    }
    ++finished;
  }
#endif
  return status;
}

}  // namespace folio_host
