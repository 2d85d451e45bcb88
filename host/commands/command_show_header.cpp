// inspect: show the header fields of a protected file and whether the file
// checks out against them. Only v1 files have a header: v2 PDFs and images
// are ciphertext alone, and inspect says so.
#include <cstdio>

#include "commands/commands.h"
#include "documents/document_header.h"
#include "output/input_file.h"
#include "commands/messages.h"
#include "keys/text_codec.h"

namespace folio_host {

namespace {

std::string printable_magic(const HeaderFields &fields) {
  std::string text;
  for (unsigned char byte : fields.magic) {
    if (byte >= 0x20 && byte < 0x7f) {
      text += static_cast<char>(byte);
    } else {
      char escape[5];
      std::snprintf(escape, sizeof escape, "\\x%02x", byte);
      text += escape;
    }
  }
  return text + (fields.magic_ok ? " (ok)" : " (not a protected document)");
}

std::string crc_note(const HeaderFields &fields) {
  if (fields.computed_crc == fields.stored_crc) return " (ok)";
  return " (mismatch: the header gives " + hex32(fields.computed_crc) + ")";
}

std::string length_note(const HeaderFields &fields, const std::string &length_issue) {
  if (length_issue.empty()) return " (ok)";
  if (fields.plain_size < 0) return " (" + length_issue + ")";
  return " (the header says " +
         std::to_string(FOLIOC_HEADER_BYTES + static_cast<std::uint64_t>(fields.plain_size)) + ")";
}

void print_field(const char *name, const std::string &value) {
  std::printf("%-18s %s\n", name, value.c_str());
}

// A file that does not start with the header magic: a v2 PDF or an image
// (or no protected file at all), with nothing to check without its key.
int report_no_header(const std::string &path) {
  print_field("file:", path);
  print_field("header:", "none (v2 PDFs and images are ciphertext only and carry no header)");
  std::fflush(stdout);
  report_failure(Failure(path, "no protected-document header to inspect"));
  return kExitFailure;
}

}  // namespace

int run_inspect(const CommandArguments &arguments) {
  const std::string &path = arguments.operands[0];
  const InputFile input(path);
  const LeadingBytes leading = read_leading_bytes(path);
  if (!leading.has_header_magic()) return report_no_header(path);
  const HeaderFields fields = decode_header(whole_header(leading, path));
  const bool crc_ok = fields.computed_crc == fields.stored_crc;
  const std::string length_issue = length_problem(input.size(), fields);

  print_field("file:", path);
  print_field("magic:", printable_magic(fields));
  print_field("format version:", hex32(fields.format_version));
  print_field("plain size:", std::to_string(fields.plain_size));
  print_field("cipher size:", std::to_string(fields.cipher_size));
  print_field("marker:", hex32(fields.marker));
  print_field("key cipher length:", std::to_string(fields.key_cipher_length));
  print_field("nonce:", to_base64(fields.nonce.data(), fields.nonce.size()));
  print_field("crc:", hex32(fields.stored_crc) + crc_note(fields));
  print_field("file length:", std::to_string(input.size()) + length_note(fields, length_issue));

  int status = kExitSuccess;
  std::fflush(stdout);
  if (!crc_ok) {
    report_failure(Failure(path, "header is damaged (checksum mismatch)"));
    status = kExitFailure;
  }
  if (!length_issue.empty()) {
    report_failure(Failure(path, length_issue));
    status = kExitFailure;
  }
  return status;
}

}  // namespace folio_host
