// Office documents written directly (Office Open XML and OpenDocument
// packages), so that the tests need no office to make their inputs.
#ifndef TESSARO_TESTS_OFFICE_FIXTURES_H
#define TESSARO_TESTS_OFFICE_FIXTURES_H

#include <string>

namespace tessaro_test {

// A Word document of `pages` pages; page i says "Page i of the report".
void write_report_docx(const std::string &path, int pages);

// An Excel workbook: the worksheet "Figures" with `rows` x `columns` cells
// reading "R<row>C<column>", the worksheet "Notes" with the one row
// "Notes", and, when asked, a chart sheet "Chart" after them. Row
// `tall_row` of "Figures" (1-based; 0 for none) is `tall_row_points` high,
// the others keep the office's default height.
struct WorkbookLayout {
  int rows = 40;
  int columns = 24;
  bool chart_sheet = false;
  int tall_row = 0;
  double tall_row_points = 0;
};
void write_workbook_xlsx(const std::string &path, const WorkbookLayout &layout);

// A presentation of `slides` slides; slide i says "Slide i heading".
void write_slides_odp(const std::string &path, int slides);

// A text document whose content its manifest declares encrypted: the
// office can only open it with a password.
void write_protected_odt(const std::string &path);

// The spreadsheet column name of a 1-based column index ("A", "Z", "AA").
std::string column_name(int column);

}  // namespace tessaro_test

#endif
