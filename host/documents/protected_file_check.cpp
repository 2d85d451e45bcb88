#include "documents/protected_file_check.h"

#include "documents/document_header.h"
#include "commands/messages.h"

namespace folio_host {

namespace {

std::string not_ours(const std::string &key_path) {
  return "key file does not belong to this file (" + key_path + ")";
}

void check_with_header(const InputFile &input, const KeyMaterial &material,
                       const std::string &key_path) {
  const HeaderBytes header = read_header(input.path());
  const auto nonce = checked_nonce(header, input.path());
  const HeaderFields fields = decode_header(header);
  if (nonce != material.nonce) throw Failure(input.path(), not_ours(key_path));
  if (fields.plain_size < 0 || fields.cipher_size != fields.plain_size)
    throw Failure(input.path(), "header is damaged (impossible sizes)");
  if (static_cast<std::uint64_t>(fields.plain_size) != material.size)
    throw Failure(input.path(), not_ours(key_path));
  const std::string problem = length_problem(input.size(), fields);
  if (!problem.empty()) throw Failure(input.path(), problem);
}

void check_ciphertext_only(const InputFile &input, const KeyMaterial &material) {
  if (input.size() == material.size) return;
  const std::string counts = " (" + std::to_string(input.size()) + " bytes, the key file says " +
                             std::to_string(material.size) + ")";
  throw Failure(input.path(),
                (input.size() < material.size ? "truncated" : "has trailing bytes") + counts);
}

}  // namespace

void check_protected_file(const InputFile &input, const KeyMaterial &material,
                          const std::string &key_path) {
  if (carries_header(material.variant))
    check_with_header(input, material, key_path);
  else
    check_ciphertext_only(input, material);
}

}  // namespace folio_host
