// Which sheets of a workbook are chart sheets. Calc has none: it imports a
// chart sheet of an Office Open XML workbook as an ordinary sheet holding
// the chart, so the workbook's own sheet list is read to tell them apart.
#ifndef TESSARO_UNO_CHART_SHEETS_H
#define TESSARO_UNO_CHART_SHEETS_H

#include <string>
#include <vector>

#include <com/sun/star/uno/XComponentContext.hpp>
#include <rtl/ustring.hxx>

namespace tessaro::uno_backend {

// One entry per sheet in workbook order, true for a chart sheet; empty
// when the file is no Office Open XML package (the other formats' chart
// sheets are not told apart). The package is read through the office's own
// zip reader; `office` is its component context.
std::vector<bool> chart_sheets(const css::uno::Reference<css::uno::XComponentContext> &office,
                               const rtl::OUString &url);

// The steps behind it, on the parts' texts.
// The workbook part named by the package relationships (_rels/.rels), such
// as "xl/workbook.xml"; empty when none is.
std::string workbook_part_name(const std::string &package_rels);
// The relationships part of a part ("xl/_rels/workbook.xml.rels").
std::string relationships_part_name(const std::string &part_name);
// The sheets listed by the workbook part, each looked up in the workbook's
// relationships: true where it is a chart sheet.
std::vector<bool> chart_sheets_from(const std::string &workbook, const std::string &workbook_rels);

}  // namespace tessaro::uno_backend

#endif
