// What convert is asked to do, worked out before any office starts: the
// Office documents the operands name (files, and the documents directly in
// folders, by extension), and the PDF each one gets: name.pdf beside it,
// or in the output folder. A document whose PDF another one already takes,
// or whose PDF would be one of the sources, is refused rather than let one
// replace the other.
#ifndef FOLIO_HOST_CONVERSION_PLAN_H
#define FOLIO_HOST_CONVERSION_PLAN_H

#include <string>
#include <vector>

namespace folio_host {

struct PlannedConversion {
  std::string source;
  int office_type = -1;
  std::string pdf;
  std::string refusal;  // why it is not converted; empty when it is
};

// In operand order, each folder's documents sorted by name. `out_folder`
// is null for PDFs beside their sources; throws Failure naming it when it
// is not a folder.
std::vector<PlannedConversion> plan_conversions(const std::vector<std::string> &operands,
                                                const std::string *out_folder);

}  // namespace folio_host

#endif
