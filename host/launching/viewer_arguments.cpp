#include "launching/viewer_arguments.h"

#include <ctime>

#include "output/input_file.h"
#include "keys/key_file.h"
#include "keys/launch_token.h"
#include "commands/messages.h"
#include "documents/protected_file_check.h"
#include "keys/text_codec.h"

namespace folio_host {

namespace {

// The viewer takes the watermark as one argument, and "token" prints the
// arguments one per line to be read back that way.
void check_one_line(const CommandArguments &arguments, const std::string &watermark) {
  if (watermark.find_first_of("\r\n") != std::string::npos)
    throw UsageError(arguments.command, "the watermark must be a single line");
}

}  // namespace

std::vector<std::string> viewer_arguments(const CommandArguments &arguments) {
  const std::string &path = arguments.operands[0];
  const std::string *key_path = arguments.option("--key-file");
  if (!key_path) throw UsageError(arguments.command, "missing --key-file");
  const std::string *watermark_option = arguments.option("--watermark");
  const std::string watermark = watermark_option ? *watermark_option : "";
  check_one_line(arguments, watermark);

  const KeyMaterial material = read_key_file(*key_path);
  const InputFile input(path);
  check_protected_file(input, material, *key_path);

  return {
      path,
      make_launch_token(material.key, std::time(nullptr)),
      to_base64(material.nonce.data(), material.nonce.size()),
      variant_name(material.variant),
      kind_name(material.kind),
      watermark,
      "-",  // the viewer's seventh argument, present but unused
  };
}

}  // namespace folio_host
