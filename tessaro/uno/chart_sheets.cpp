#include "uno/chart_sheets.h"

#include <cctype>
#include <map>

#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/io/XInputStream.hpp>
#include <com/sun/star/packages/zip/ZipFileAccess.hpp>

using namespace css;
using rtl::OStringToOUString;
using rtl::OUString;

namespace tessaro::uno_backend {

namespace {

// The relationship type of a chart sheet (transitional and strict).
bool chartsheet_type(const std::string &type) {
  const std::string suffix = "/relationships/chartsheet";
  return type.size() >= suffix.size() &&
         type.compare(type.size() - suffix.size(), suffix.size(), suffix) == 0;
}

using Attributes = std::map<std::string, std::string>;  // by local name

// The attributes of every element with the local name `name`, whatever its
// namespace prefix. Enough for the machine-written package parts read
// here: no comments or CDATA sections around the elements wanted.
std::vector<Attributes> elements(const std::string &xml, const std::string &name) {
  std::vector<Attributes> found;
  for (std::size_t at = xml.find('<'); at != std::string::npos; at = xml.find('<', at + 1)) {
    std::size_t end = at + 1;
    while (end < xml.size() && !std::isspace(static_cast<unsigned char>(xml[end])) &&
           xml[end] != '>' && xml[end] != '/')
      ++end;
    std::string tag = xml.substr(at + 1, end - at - 1);
    const std::size_t colon = tag.find(':');
    if (colon != std::string::npos) tag = tag.substr(colon + 1);
    if (tag != name) continue;

    Attributes attributes;
    std::size_t p = end;
    for (;;) {
      while (p < xml.size() && std::isspace(static_cast<unsigned char>(xml[p]))) ++p;
      if (p >= xml.size() || xml[p] == '>' || xml[p] == '/') break;
      const std::size_t equals = xml.find('=', p);
      if (equals == std::string::npos || equals + 1 >= xml.size()) break;
      std::string key = xml.substr(p, equals - p);
      while (!key.empty() && std::isspace(static_cast<unsigned char>(key.back()))) key.pop_back();
      std::size_t quote = equals + 1;
      while (quote < xml.size() && std::isspace(static_cast<unsigned char>(xml[quote]))) ++quote;
      if (quote >= xml.size() || (xml[quote] != '"' && xml[quote] != '\'')) break;
      const std::size_t close = xml.find(xml[quote], quote + 1);
      if (close == std::string::npos) break;
      const std::size_t key_colon = key.find(':');
      if (key_colon != std::string::npos && key.compare(0, key_colon, "xmlns") != 0)
        key = key.substr(key_colon + 1);
      attributes[key] = xml.substr(quote + 1, close - quote - 1);
      p = close + 1;
    }
    found.push_back(std::move(attributes));
  }
  return found;
}

std::string read_part(const uno::Reference<container::XNameAccess> &package,
                      const std::string &name) {
  const OUString entry = OStringToOUString(name.c_str(), RTL_TEXTENCODING_UTF8);
  if (!package->hasByName(entry)) return {};
  uno::Reference<io::XInputStream> stream;
  package->getByName(entry) >>= stream;
  if (!stream.is()) return {};
  std::string text;
  uno::Sequence<sal_Int8> chunk;
  while (stream->readBytes(chunk, 65536) > 0)
    text.append(reinterpret_cast<const char *>(chunk.getConstArray()),
                static_cast<std::size_t>(chunk.getLength()));
  stream->closeInput();
  return text;
}

}  // namespace

std::string workbook_part_name(const std::string &package_rels) {
  for (const Attributes &relationship : elements(package_rels, "Relationship")) {
    const auto type = relationship.find("Type");
    const auto target = relationship.find("Target");
    const std::string suffix = "/relationships/officeDocument";
    if (type == relationship.end() || target == relationship.end() ||
        type->second.size() < suffix.size() ||
        type->second.compare(type->second.size() - suffix.size(), suffix.size(), suffix) != 0)
      continue;
    std::string name = target->second;
    while (!name.empty() && name.front() == '/') name.erase(name.begin());
    return name;
  }
  return {};
}

std::string relationships_part_name(const std::string &part_name) {
  const std::size_t slash = part_name.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "" : part_name.substr(0, slash + 1);
  const std::string file = slash == std::string::npos ? part_name : part_name.substr(slash + 1);
  return folder + "_rels/" + file + ".rels";
}

std::vector<bool> chart_sheets_from(const std::string &workbook, const std::string &workbook_rels) {
  std::map<std::string, bool> chart_by_id;
  for (const Attributes &relationship : elements(workbook_rels, "Relationship")) {
    const auto id = relationship.find("Id");
    const auto type = relationship.find("Type");
    if (id != relationship.end() && type != relationship.end())
      chart_by_id[id->second] = chartsheet_type(type->second);
  }
  std::vector<bool> charts;
  for (const Attributes &sheet : elements(workbook, "sheet")) {
    const auto id = sheet.find("id");
    charts.push_back(id != sheet.end() && chart_by_id[id->second]);
  }
  return charts;
}

std::vector<bool> chart_sheets(const uno::Reference<uno::XComponentContext> &office,
                               const OUString &url) {
  uno::Reference<container::XNameAccess> package;
  try {
    package.set(packages::zip::ZipFileAccess::createWithURL(office, url), uno::UNO_QUERY);
  } catch (const uno::RuntimeException &) {
    throw;  // the office itself failed
  } catch (const uno::Exception &) {
    return {};  // no zip package: no chart sheets of this kind
  }
  if (!package.is()) return {};
  const std::string workbook_name = workbook_part_name(read_part(package, "_rels/.rels"));
  if (workbook_name.empty()) return {};
  return chart_sheets_from(read_part(package, workbook_name),
                           read_part(package, relationships_part_name(workbook_name)));
}

}  // namespace tessaro::uno_backend
