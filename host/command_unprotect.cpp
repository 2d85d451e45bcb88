// unprotect: decipher a protected file with its key file, and keep the
// plaintext only when its digest matches the one the key file records.
#include <cstdio>

#include "atomic_output.h"
#include "commands.h"
#include "crypto/md5.h"
#include "document_header.h"
#include "input_file.h"
#include "key_file.h"
#include "messages.h"
#include "progress_reporter.h"

namespace folio_host {

namespace {

// A cipher handle of the library, released on every path out.
class CipherHandle {
 public:
  CipherHandle(const KeyMaterial &material, const std::string &path)
      : handle_(FoliocInit(material.key.data(), static_cast<int>(material.key.size()),
                           material.nonce.data())) {
    if (handle_ < 0)
      throw Failure(path, std::string("no cipher handle: ") + FoliocResultText(handle_));
  }
  ~CipherHandle() { FoliocClean(handle_); }
  CipherHandle(const CipherHandle &) = delete;
  CipherHandle &operator=(const CipherHandle &) = delete;
  int get() const { return handle_; }

 private:
  int handle_;
};

// The checks that need no key: a sound header that matches the key file,
// and a file exactly as long as the header says. Returns the plain size.
std::uint64_t check_before_deciphering(const InputFile &input, const KeyMaterial &material,
                                       const std::string &key_path) {
  const HeaderBytes header = read_header(input.path());
  const auto nonce = checked_nonce(header, input.path());
  const HeaderFields fields = decode_header(header);
  const std::string not_ours = "key file does not belong to this file (" + key_path + ")";
  if (nonce != material.nonce) throw Failure(input.path(), not_ours);
  if (fields.plain_size < 0 || fields.cipher_size != fields.plain_size)
    throw Failure(input.path(), "header is damaged (impossible sizes)");
  const auto plain_size = static_cast<std::uint64_t>(fields.plain_size);
  if (plain_size != material.size) throw Failure(input.path(), not_ours);
  const std::string problem = length_problem(input.size(), fields);
  if (!problem.empty()) throw Failure(input.path(), problem);
  return plain_size;
}

void decipher(const InputFile &input, const KeyMaterial &material, const PendingOutput &output) {
  const CipherHandle handle(material, input.path());
  const int code = FileDecrypt(handle.get(), input.path().c_str(), output.temporary_path().c_str(),
                               nullptr, FOLIOC_HEADER_BYTES);
  if (code == DOC_ERR_WRITE) throw Failure(output.destination(), FoliocResultText(code));
  if (code != DOC_OK) throw Failure(input.path(), FoliocResultText(code));
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
  const std::uint64_t plain_size = check_before_deciphering(input, material, *key_path);

  PendingOutput output(out);
  {
    const ProgressReporter progress("restoring " + in, plain_size,
                                    [&] { return output.current_size(); });
    decipher(input, material, output);
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
