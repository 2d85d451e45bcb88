#include "documents/conversion_plan.h"

#include <dirent.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <map>

#include "commands/messages.h"
#include "documents/office_source.h"
#include "output/input_file.h"
#include "output/path_names.h"

namespace folio_host {

namespace {

bool is_folder(const std::string &path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::string joined(const std::string &folder, const std::string &name) {
  return !folder.empty() && folder.back() == '/' ? folder + name : folder + "/" + name;
}

// Office's owner files ("~$report.docx") carry a document's extension but
// are no documents.
bool is_document_name(const std::string &name) {
  return name.rfind("~$", 0) != 0 && office_type_of(name) >= 0;
}

std::vector<std::string> documents_in(const std::string &folder) {
  std::vector<std::string> found;
  DIR *dir = ::opendir(folder.c_str());
  if (!dir) throw Failure(folder, error_text(errno));
  while (const dirent *entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    struct stat status {};
    if (is_document_name(name) && ::stat(joined(folder, name).c_str(), &status) == 0 &&
        S_ISREG(status.st_mode))
      found.push_back(joined(folder, name));
  }
  ::closedir(dir);
  std::sort(found.begin(), found.end());
  return found;
}

std::string pdf_for(const std::string &source, const std::string *out_folder) {
  const std::string name = file_name_of(source);
  const std::string stem = name.substr(0, name.find_last_of('.'));
  return joined(out_folder ? *out_folder : directory_of(source), stem + ".pdf");
}

// The same key for every spelling of one place: the folder resolved.
std::string place_of(const std::string &path) {
  char *folder = ::realpath(directory_of(path).c_str(), nullptr);
  if (!folder) return path;
  const std::string place = joined(folder, file_name_of(path));
  ::free(folder);
  return place;
}

PlannedConversion refused(const std::string &source, const std::string &reason) {
  PlannedConversion planned;
  planned.source = source;
  planned.refusal = reason;
  return planned;
}

}  // namespace

std::vector<PlannedConversion> plan_conversions(const std::vector<std::string> &operands,
                                                const std::string *out_folder) {
  if (out_folder && !is_folder(*out_folder)) throw Failure(*out_folder, "is not a folder");
  std::vector<PlannedConversion> plan;
  for (const std::string &operand : operands) {
    if (!is_folder(operand)) {
      if (office_type_of(operand) < 0) {
        plan.push_back(refused(operand, "is not an Office document (by its extension)"));
        continue;
      }
      plan.push_back({operand, office_type_of(operand), pdf_for(operand, out_folder), ""});
      continue;
    }
    std::vector<std::string> found;
    try {
      found = documents_in(operand);
    } catch (const Failure &failure) {
      plan.push_back(refused(operand, failure.reason()));
      continue;
    }
    if (found.empty()) plan.push_back(refused(operand, "holds no Office documents"));
    for (const std::string &source : found)
      plan.push_back({source, office_type_of(source), pdf_for(source, out_folder), ""});
  }

  std::map<std::string, std::string> taken;  // PDF place -> the source it is for
  for (PlannedConversion &planned : plan) {
    if (!planned.refusal.empty()) continue;
    for (const PlannedConversion &other : plan)
      if (other.office_type >= 0 && names_same_file(planned.pdf, other.source))
        planned.refusal = "its PDF " + planned.pdf + " would replace the source " + other.source;
    if (!planned.refusal.empty()) continue;
    const auto claim = taken.emplace(place_of(planned.pdf), planned.source);
    if (!claim.second)
      planned.refusal = "its PDF " + planned.pdf + " is already the one made of " +
                        claim.first->second + " (not replaced)";
  }
  return plan;
}

}  // namespace folio_host
