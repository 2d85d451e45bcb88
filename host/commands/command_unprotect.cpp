// unprotect: decipher a protected file with its key file, and keep the
// plaintext only when its digest matches the one the key file records.
#include <cstdio>

#include "output/atomic_output.h"
#include "commands/commands.h"
#include "crypto/md5.h"
#include "documents/document_header.h"
#include "documents/library_calls.h"
#include "output/input_file.h"
#include "keys/key_block.h"
#include "keys/key_file.h"
#include "commands/messages.h"
#include "output/progress_reporter.h"
#include "documents/protected_file_check.h"

namespace folio_host {

namespace {

// v1: the ciphertext starts after the header.
void decipher_after_header(const InputFile &input, const KeyMaterial &material,
                           const PendingOutput &output) {
  const CipherHandle handle(material, input.path());
  throw_for_code(FileDecrypt(handle.get(), input.path().c_str(), output.temporary_path().c_str(),
                             nullptr, FOLIOC_HEADER_BYTES),
                 input, output);
}

// v2 and images: the whole file is ciphertext. The library's document
// decipher takes the nonce from a header, so it is given a sealed one that
// carries the key file's nonce. An empty file has nothing to decipher (the
// library calls an empty source a failure), and the output stays empty.
void decipher_ciphertext_only(const InputFile &input, const KeyMaterial &material,
                              const PendingOutput &output) {
  if (material.size == 0) return;
  const KeyBlock key_block(material);
  const HeaderBytes header = header_carrying(material.nonce, material.size);
  throw_for_code(DocFileDecrypt(input.path().c_str(), output.temporary_path().c_str(),
                                key_block.get(), header.data(), static_cast<int>(header.size())),
                 input, output);
}

void check_digest(const PendingOutput &output, const KeyMaterial &material,
                  const std::string &input_path) {
  char text[kMd5TextBytes];
  if (md5_file_digest(output.temporary_path().c_str(), text) != Md5FileResult::ok)
    throw Failure(output.destination(), "could not be read back to check its digest");
  if (material.md5 != text) throw Failure(input_path, "wrong key or damaged file: digest mismatch");
}

}  // namespace

int run_unprotect(const CommandArguments &arguments) {
  const std::string &in = arguments.operands[0];
  const std::string &out = arguments.operands[1];
  const std::string *key_path = arguments.option("--key-file");
  if (!key_path) throw UsageError(arguments.command, "missing --key-file");

  const KeyMaterial material = read_key_file(*key_path);
  const InputFile input(in);
  if (input.is_same_file_as(out)) throw Failure(out, "is the input file itself");
  if (names_same_file(out, *key_path)) throw Failure(out, "is the key file itself");
  check_protected_file(input, material, *key_path);
  const std::uint64_t plain_size = material.size;

  PendingOutput output(out);
  {
    const ProgressReporter progress("restoring " + in, plain_size,
                                    [&] { return output.current_size(); });
    if (carries_header(material.variant))
      decipher_after_header(input, material, output);
    else
      decipher_ciphertext_only(input, material, output);
    input.check_unchanged("it was being restored");
    if (output.current_size() != plain_size)
      throw Failure(in, "was not deciphered completely (" + std::to_string(output.current_size()) +
                            " of " + std::to_string(plain_size) + " bytes)");
    check_digest(output, material, in);
    output.finish(default_file_mode());
  }
  commit_together({&output});

  std::printf("restored %s (md5 ok)\n", out.c_str());
  return kExitSuccess;
}

}  // namespace folio_host
