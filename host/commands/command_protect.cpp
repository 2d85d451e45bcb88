// protect: encipher a file into a protected file (v1: the 512-byte header,
// then the ciphertext; v2 and images: the ciphertext alone) and write its
// key file next to it. An Office document is converted to PDF first.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>

#include "output/atomic_output.h"
#include "commands/commands.h"
#include "crypto/md5.h"
#include "documents/document_header.h"
#include "documents/library_calls.h"
#include "documents/office_source.h"
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
  throw_for_code(DocFileEncrypt(input.path().c_str(), ciphertext.temporary_path().c_str(),
                                key_block.get(), header.data(), &capacity),
                 input, ciphertext);
  return header;
}

// Whatever the library reports, the output must account for every byte of
// the input behind `header_bytes` of header.
void check_complete(const InputFile &input, const PendingOutput &output,
                    std::uint64_t header_bytes) {
  input.check_unchanged("it was being protected");
  const std::uint64_t written = output.current_size();
  const std::uint64_t enciphered = written > header_bytes ? written - header_bytes : 0;
  if (written != header_bytes + input.size())
    throw Failure(input.name(), "was not enciphered completely (" + std::to_string(enciphered) +
                                    " of " + std::to_string(input.size()) + " bytes)");
}

// The progress of an output that holds header_bytes of header before the
// ciphertext.
std::function<std::uint64_t()> ciphertext_written(const PendingOutput &output,
                                                  std::uint64_t header_bytes) {
  return [&output, header_bytes] {
    const std::uint64_t written = output.current_size();
    return written > header_bytes ? written - header_bytes : 0;
  };
}

// v1 in one pass: the header's fields are all known before enciphering (a
// fresh nonce, the input's size), so the library's FileEncrypt writes it in
// front of the ciphertext, exactly as DocFileEncrypt would have made it.
void write_with_header(const InputFile &input, KeyMaterial &material,
                       const PendingOutput &protected_file) {
  const ProgressReporter progress("protecting " + input.name(), input.size(),
                                  ciphertext_written(protected_file, FOLIOC_HEADER_BYTES));
  if (!os_random(material.nonce.data(), material.nonce.size()))
    throw Failure(input.name(), "no random nonce: " + error_text(errno));
  const HeaderBytes header = header_carrying(material.nonce, input.size());
  // Taken on a helper thread while the library enciphers the same input.
  SourceDigest digest(input.path());
  {
    const CipherHandle handle(material, input.name());
    char ciphertext_digest[FOLIOC_DIGEST_TEXT_BYTES];
    throw_for_code(FileEncrypt(handle.get(), input.path().c_str(),
                               protected_file.temporary_path().c_str(), header.data(),
                               static_cast<int>(header.size()), ciphertext_digest),
                   input, protected_file);
  }
  material.md5 = digest.get(input.name());
  check_complete(input, protected_file, FOLIOC_HEADER_BYTES);
}

// v2 and images: the library's ciphertext is the protected file itself.
void write_ciphertext_only(const InputFile &input, KeyMaterial &material,
                           const PendingOutput &protected_file) {
  const ProgressReporter progress("protecting " + input.name(), input.size(),
                                  ciphertext_written(protected_file, 0));
  SourceDigest digest(input.path());
  const HeaderBytes header = encipher(input, material, protected_file);
  material.md5 = digest.get(input.name());
  check_complete(input, protected_file, 0);
  if (decode_header(header).plain_size != static_cast<std::int64_t>(input.size()))
    throw Failure(input.name(), "was not enciphered completely");
  material.nonce = checked_nonce(header, protected_file.destination());
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

  // An Office document is protected as the PDF made of it, which exists
  // only in memory until it is enciphered.
  const int office_type = office_type_of(in);
  std::unique_ptr<ConvertedPdf> converted;
  if (office_type >= 0) {
    if (material.kind != DocumentKind::pdf)
      throw UsageError(arguments.command, "an Office document is protected as a PDF");
    if (!office_conversion_available())
      throw Failure(in, "is an Office document, and this build converts none");
    const InputFile source(in);
    if (source.is_same_file_as(out)) throw Failure(out, "is the input file itself");
    if (source.is_same_file_as(key_path)) throw Failure(key_path, "is the input file itself");
    converted = std::make_unique<ConvertedPdf>(in, office_type);
  }

  const InputFile input(converted ? converted->path() : in, in);
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
