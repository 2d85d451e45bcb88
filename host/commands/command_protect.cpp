// protect: encipher a file into a protected file (v1: the 512-byte header,
// then the ciphertext; v2 and images: the ciphertext alone) and write its
// key file next to it.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>

#include "output/atomic_output.h"
#include "commands/commands.h"
#include "crypto/md5.h"
#include "documents/document_header.h"
#include "output/file_copy.h"
#include "output/input_file.h"
#include "output/interrupt_cleanup.h"
#include "keys/key_block.h"
#include "keys/key_file.h"
#include "commands/messages.h"
#include "output/path_names.h"
#include "platform/os_random.h"
#include "output/progress_reporter.h"
#include "video/source_digest.h"

namespace folio_host {

namespace {

// The library's file pass keeps stream offsets as a 32-bit running count,
// which wraps after 4 GiB: a larger file would reuse keystream, and XORing
// two parts of its ciphertext would cancel the cipher out.
constexpr std::uint64_t kLargestSafeInput = std::uint64_t(1) << 32;

void fresh_content_key(KeyMaterial &material, const std::string &input_path) {
  if (!os_random(material.key.data(), material.key.size()))
    throw Failure(input_path, "no random content key: " + error_text(errno));
}

// Enciphers the input into ciphertext alone and returns the library's
// fresh header for it.
HeaderBytes encipher(const InputFile &input, const KeyMaterial &material,
                     const PendingOutput &ciphertext) {
  const KeyBlock key_block(material);
  HeaderBytes header{};
  int capacity = static_cast<int>(header.size());
  const int code = DocFileEncrypt(input.path().c_str(), ciphertext.temporary_path().c_str(),
                                  key_block.get(), header.data(), &capacity);
  if (code == DOC_ERR_WRITE) throw Failure(ciphertext.destination(), FoliocResultText(code));
  if (code != DOC_OK) throw Failure(input.path(), FoliocResultText(code));
  return header;
}

// Whatever the library reports, the header and the ciphertext must both
// account for every byte of the input.
void check_complete(const InputFile &input, const HeaderBytes &header,
                    const PendingOutput &ciphertext) {
  input.check_unchanged("it was being protected");
  const HeaderFields fields = decode_header(header);
  if (fields.plain_size < 0 || static_cast<std::uint64_t>(fields.plain_size) != input.size() ||
      ciphertext.current_size() != input.size())
    throw Failure(input.path(), "was not enciphered completely (" +
                                    std::to_string(ciphertext.current_size()) + " of " +
                                    std::to_string(input.size()) + " bytes)");
}

// Enciphers the input into the file of `ciphertext`, digesting the plaintext
// alongside, and records the digest and the nonce in material. Returns the
// library's header for the ciphertext.
HeaderBytes encipher_recording(const InputFile &input, KeyMaterial &material,
                               const PendingOutput &ciphertext) {
  // Taken on a helper thread while the library enciphers the same input.
  SourceDigest digest(input.path());
  const HeaderBytes header = encipher(input, material, ciphertext);
  material.md5 = digest.get(input.path());
  check_complete(input, header, ciphertext);
  material.nonce = checked_nonce(header, ciphertext.destination());
  return header;
}

// Progress of protect: the ciphertext written, then the ciphertext copied
// behind the header. The scratch file disappears at the end, so the count
// is kept from ever going back.
std::function<std::uint64_t()> bytes_done(const PendingOutput &ciphertext,
                                          const PendingOutput &protected_file) {
  return [&ciphertext, &protected_file, shown = std::uint64_t(0)]() mutable {
    const std::uint64_t copied = protected_file.current_size();
    const std::uint64_t behind_header =
        copied > FOLIOC_HEADER_BYTES ? copied - FOLIOC_HEADER_BYTES : 0;
    shown = std::max(shown, ciphertext.current_size() + behind_header);
    return shown;
  };
}

// v1: the header, then the ciphertext copied in behind it from a scratch
// file, since the library writes ciphertext only.
void write_with_header(const InputFile &input, KeyMaterial &material,
                       PendingOutput &protected_file) {
  PendingOutput ciphertext(protected_file.destination());
  const ProgressReporter progress("protecting " + input.path(), 2 * input.size(),
                                  bytes_done(ciphertext, protected_file));
  const HeaderBytes header = encipher_recording(input, material, ciphertext);
  protected_file.write_all(header.data(), header.size());
  copy_file_bytes(ciphertext.fd(), protected_file.fd(), input.size(),
                  protected_file.destination());
  // Gone before the protected file's sync, so that its pages are never
  // written back.
  ciphertext.discard();
}

// v2 and images: the library's ciphertext is the protected file itself.
void write_ciphertext_only(const InputFile &input, KeyMaterial &material,
                           const PendingOutput &protected_file) {
  const ProgressReporter progress("protecting " + input.path(), input.size(),
                                  [&] { return protected_file.current_size(); });
  encipher_recording(input, material, protected_file);
}

// --kind (pdf or image, default pdf) and --variant (v1 or v2, default v1,
// for PDFs only: an image is always ciphertext only).
void read_layout_options(const CommandArguments &arguments, KeyMaterial &material) {
  const std::string *kind = arguments.option("--kind");
  if (kind && !parse_kind(*kind, material.kind))
    throw UsageError(arguments.command, "unknown kind '" + *kind + "' (pdf or image)");
  const std::string *variant = arguments.option("--variant");
  if (material.kind == DocumentKind::image) {
    if (variant)
      throw UsageError(arguments.command,
                       "--variant is for PDFs only: an image is always ciphertext only");
    material.variant = ContainerVariant::v2;
  } else if (variant && !parse_variant(*variant, material.variant)) {
    throw UsageError(arguments.command, "unknown variant '" + *variant + "' (v1 or v2)");
  }
}

}  // namespace

int run_protect(const CommandArguments &arguments) {
  const std::string &in = arguments.operands[0];
  const std::string &out = arguments.operands[1];
  const std::string key_path = out + ".key";
  KeyMaterial material;
  read_layout_options(arguments, material);

  const InputFile input(in);
  if (input.size() > kLargestSafeInput)
    throw Failure(in, "too large to protect (over 4 GiB the keystream would repeat)");
  if (input.is_same_file_as(out)) throw Failure(out, "is the input file itself");
  if (input.is_same_file_as(key_path)) throw Failure(key_path, "is the input file itself");
  PendingOutput protected_file(out);
  PendingOutput key_file(key_path);

  material.size = input.size();
  fresh_content_key(material, in);
  if (carries_header(material.variant))
    write_with_header(input, material, protected_file);
  else
    write_ciphertext_only(input, material, protected_file);
  protected_file.finish(default_file_mode());

  std::string key_text = format_key_file(material, file_name_of(out));
  key_file.write_all(key_text.data(), key_text.size());
  ::explicit_bzero(key_text.data(), key_text.size());
  key_file.finish(0600);
  commit_together({&protected_file, &key_file});

  std::printf("protected %s -> %s (key: %s)\n", in.c_str(), out.c_str(), key_path.c_str());
  return kExitSuccess;
}

}  // namespace folio_host
