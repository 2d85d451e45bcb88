#include "support/office_fixtures.h"

#include <random>

#include "support/zip_writer.h"

namespace tessaro_test {

namespace {

constexpr char kXmlDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
constexpr char kRelationshipsNs[] = "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr char kOfficeDocumentRel[] =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument";
constexpr char kSheetRelBase[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

std::string package_relationships(const std::string &main_part) {
  return std::string(kXmlDeclaration) + "<Relationships xmlns=\"" + kRelationshipsNs +
         "\"><Relationship Id=\"rId1\" Type=\"" + kOfficeDocumentRel + "\" Target=\"" + main_part +
         "\"/></Relationships>";
}

std::string content_types(const std::string &overrides) {
  return std::string(kXmlDeclaration) +
         "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
         "<Default Extension=\"rels\" "
         "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
         "<Default Extension=\"xml\" ContentType=\"application/xml\"/>" +
         overrides + "</Types>";
}

std::string override_part(const std::string &part, const std::string &type) {
  return "<Override PartName=\"" + part + "\" ContentType=\"" + type + "\"/>";
}

std::string worksheet(int rows, int columns, const std::string &single_text, int tall_row = 0,
                      double tall_row_points = 0) {
  std::string xml = std::string(kXmlDeclaration) +
                    "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                    "<sheetData>";
  for (int r = 1; r <= rows; ++r) {
    xml += "<row r=\"" + std::to_string(r) + "\"";
    if (r == tall_row) xml += " ht=\"" + std::to_string(tall_row_points) + "\" customHeight=\"1\"";
    xml += ">";
    for (int c = 1; c <= columns; ++c) {
      const std::string text =
          single_text.empty() ? "R" + std::to_string(r) + "C" + std::to_string(c) : single_text;
      xml += "<c r=\"" + column_name(c) + std::to_string(r) + "\" t=\"inlineStr\"><is><t>" + text +
             "</t></is></c>";
    }
    xml += "</row>";
  }
  return xml + "</sheetData></worksheet>";
}

std::string odf_manifest(const std::string &media_type, const std::string &content_entry) {
  return std::string(kXmlDeclaration) +
         "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" "
         "manifest:version=\"1.2\">"
         "<manifest:file-entry manifest:full-path=\"/\" manifest:version=\"1.2\" "
         "manifest:media-type=\"" +
         media_type + "\"/>" + content_entry + "</manifest:manifest>";
}

}  // namespace

std::string column_name(int column) {
  std::string name;
  for (; column > 0; column = (column - 1) / 26)
    name.insert(name.begin(), static_cast<char>('A' + (column - 1) % 26));
  return name;
}

void write_report_docx(const std::string &path, int pages) {
  std::string body;
  for (int page = 1; page <= pages; ++page) {
    if (page > 1) body += "<w:p><w:r><w:br w:type=\"page\"/></w:r></w:p>";
    body += "<w:p><w:r><w:t>Page " + std::to_string(page) + " of the report</w:t></w:r></w:p>";
  }
  ZipWriter zip;
  zip.add("[Content_Types].xml",
          content_types(override_part("/word/document.xml",
                                      "application/vnd.openxmlformats-officedocument."
                                      "wordprocessingml.document.main+xml")));
  zip.add("_rels/.rels", package_relationships("word/document.xml"));
  zip.add("word/document.xml",
          std::string(kXmlDeclaration) +
              "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
              "<w:body>" +
              body + "</w:body></w:document>");
  zip.write(path);
}

void write_workbook_xlsx(const std::string &path, const WorkbookLayout &layout) {
  const std::string worksheet_type =
      "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml";
  std::string overrides =
      override_part("/xl/workbook.xml",
                    "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml") +
      override_part("/xl/worksheets/sheet1.xml", worksheet_type) +
      override_part("/xl/worksheets/sheet2.xml", worksheet_type);
  std::string sheets =
      "<sheet name=\"Figures\" sheetId=\"1\" r:id=\"rId1\"/>"
      "<sheet name=\"Notes\" sheetId=\"2\" r:id=\"rId2\"/>";
  std::string relationships =
      std::string("<Relationship Id=\"rId1\" Type=\"") + kSheetRelBase +
      "worksheet\" Target=\"worksheets/sheet1.xml\"/>"
      "<Relationship Id=\"rId2\" Type=\"" + kSheetRelBase +
      "worksheet\" Target=\"worksheets/sheet2.xml\"/>";
  if (layout.chart_sheet) {
    overrides += override_part(
        "/xl/chartsheets/sheet1.xml",
        "application/vnd.openxmlformats-officedocument.spreadsheetml.chartsheet+xml");
    sheets += "<sheet name=\"Chart\" sheetId=\"3\" r:id=\"rId3\"/>";
    relationships += std::string("<Relationship Id=\"rId3\" Type=\"") + kSheetRelBase +
                     "chartsheet\" Target=\"chartsheets/sheet1.xml\"/>";
  }

  ZipWriter zip;
  zip.add("[Content_Types].xml", content_types(overrides));
  zip.add("_rels/.rels", package_relationships("xl/workbook.xml"));
  zip.add("xl/workbook.xml",
          std::string(kXmlDeclaration) +
              "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
              "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
              "<sheets>" +
              sheets + "</sheets></workbook>");
  zip.add("xl/_rels/workbook.xml.rels", std::string(kXmlDeclaration) + "<Relationships xmlns=\"" +
                                            kRelationshipsNs + "\">" + relationships +
                                            "</Relationships>");
  zip.add("xl/worksheets/sheet1.xml", worksheet(layout.rows, layout.columns, "", layout.tall_row,
                                                layout.tall_row_points));
  zip.add("xl/worksheets/sheet2.xml", worksheet(1, 1, "Notes"));
  if (layout.chart_sheet) {
    zip.add("xl/chartsheets/sheet1.xml",
            std::string(kXmlDeclaration) +
                "<chartsheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                "<sheetViews><sheetView workbookViewId=\"0\"/></sheetViews></chartsheet>");
  }
  zip.write(path);
}

void write_slides_odp(const std::string &path, int slides) {
  const std::string media_type = "application/vnd.oasis.opendocument.presentation";
  std::string pages;
  for (int slide = 1; slide <= slides; ++slide) {
    pages += "<draw:page draw:name=\"Slide" + std::to_string(slide) +
             "\"><draw:frame svg:x=\"2cm\" svg:y=\"2cm\" svg:width=\"20cm\" svg:height=\"3cm\">"
             "<draw:text-box><text:p>Slide " +
             std::to_string(slide) + " heading</text:p></draw:text-box></draw:frame></draw:page>";
  }
  ZipWriter zip;
  zip.add("mimetype", media_type);
  zip.add("META-INF/manifest.xml",
          odf_manifest(media_type, "<manifest:file-entry manifest:full-path=\"content.xml\" "
                                   "manifest:media-type=\"text/xml\"/>"));
  zip.add("content.xml",
          std::string(kXmlDeclaration) +
              "<office:document-content "
              "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
              "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
              "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
              "xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\" "
              "office:version=\"1.2\"><office:body><office:presentation>" +
              pages + "</office:presentation></office:body></office:document-content>");
  zip.write(path);
}

void write_protected_odt(const std::string &path) {
  const std::string media_type = "application/vnd.oasis.opendocument.text";
  std::string ciphertext(2048, '\0');
  std::mt19937 random(7);
  for (char &c : ciphertext) c = static_cast<char>(random() & 0xFF);
  const std::string encrypted_entry =
      "<manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\" "
      "manifest:size=\"4096\"><manifest:encryption-data "
      "manifest:checksum-type=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0#sha256-1k\" "
      "manifest:checksum=\"AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA=\">"
      "<manifest:algorithm manifest:algorithm-name=\"http://www.w3.org/2001/04/xmlenc#aes256-cbc\" "
      "manifest:initialisation-vector=\"AAAAAAAAAAAAAAAAAAAAAA==\"/>"
      "<manifest:start-key-generation "
      "manifest:start-key-generation-name=\"http://www.w3.org/2000/09/xmldsig#sha256\" "
      "manifest:key-size=\"32\"/>"
      "<manifest:key-derivation manifest:key-derivation-name=\"PBKDF2\" manifest:key-size=\"32\" "
      "manifest:iteration-count=\"100000\" manifest:salt=\"AAAAAAAAAAAAAAAAAAAAAA==\"/>"
      "</manifest:encryption-data></manifest:file-entry>";
  ZipWriter zip;
  zip.add("mimetype", media_type);
  zip.add("META-INF/manifest.xml", odf_manifest(media_type, encrypted_entry));
  zip.add("content.xml", ciphertext);
  zip.write(path);
}

}  // namespace tessaro_test
