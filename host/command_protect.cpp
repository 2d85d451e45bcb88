// protect: encipher a file into a protected file (512-byte header, then the
// ciphertext) and write its key file next to it.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <thread>

#include "atomic_output.h"
#include "commands.h"
#include "crypto/md5.h"
#include "document_header.h"
#include "file_copy.h"
#include "input_file.h"
#include "interrupt_cleanup.h"
#include "key_file.h"
#include "messages.h"
#include "path_names.h"
#include "platform/os_random.h"
#include "progress_reporter.h"

namespace folio_host {

namespace {

// The library's file pass keeps stream offsets as a 32-bit running count,
// which wraps after 4 GiB: a larger file would reuse keystream, and XORing
// two parts of its ciphertext would cancel the cipher out.
constexpr std::uint64_t kLargestSafeInput = std::uint64_t(1) << 32;

// The plaintext digest, taken on a helper thread while the library
// enciphers: both read the same input, mostly from the page cache.
class PlaintextDigest {
 public:
  explicit PlaintextDigest(const std::string &path)
      : thread_(start_shielded_thread(
            [this, path] { result_ = md5_file_digest(path.c_str(), text_); })) {}
  ~PlaintextDigest() { wait(); }
  PlaintextDigest(const PlaintextDigest &) = delete;
  PlaintextDigest &operator=(const PlaintextDigest &) = delete;

  // Waits for the digest; throws Failure naming path if there is none.
  std::string get(const std::string &path) {
    wait();
    switch (result_) {
      case Md5FileResult::ok: return text_;
      case Md5FileResult::open_failed: throw Failure(path, "could not be opened to digest it");
      case Md5FileResult::read_failed: throw Failure(path, "could not be read to digest it");
      case Md5FileResult::no_memory: throw Failure(path, "out of memory while digesting it");
    }
    throw Failure(path, "could not be digested");
  }

 private:
  void wait() {
    if (thread_.joinable()) thread_.join();
  }

  Md5FileResult result_ = Md5FileResult::read_failed;
  char text_[kMd5TextBytes] = {};
  std::thread thread_;
};

// The key block the library takes: 4 unused bytes, then the content key.
class KeyBlock {
 public:
  explicit KeyBlock(const KeyMaterial &material) {
    std::copy(material.key.begin(), material.key.end(), bytes_ + FOLIOC_KEY_BLOCK_KEY);
  }
  ~KeyBlock() { ::explicit_bzero(bytes_, sizeof bytes_); }
  KeyBlock(const KeyBlock &) = delete;
  KeyBlock &operator=(const KeyBlock &) = delete;
  const unsigned char *get() const { return bytes_; }

 private:
  unsigned char bytes_[FOLIOC_KEY_BLOCK_BYTES] = {};
};

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

}  // namespace

int run_protect(const CommandArguments &arguments) {
  const std::string &in = arguments.operands[0];
  const std::string &out = arguments.operands[1];
  const std::string key_path = out + ".key";

  const InputFile input(in);
  if (input.size() > kLargestSafeInput)
    throw Failure(in, "too large to protect (over 4 GiB the keystream would repeat)");
  if (input.is_same_file_as(out)) throw Failure(out, "is the input file itself");
  if (input.is_same_file_as(key_path)) throw Failure(key_path, "is the input file itself");
  PendingOutput protected_file(out);
  PendingOutput key_file(key_path);

  KeyMaterial material;
  material.size = input.size();
  fresh_content_key(material, in);
  {
    PendingOutput ciphertext(out);  // scratch: the library writes ciphertext only
    PlaintextDigest digest(in);
    const ProgressReporter progress("protecting " + in, 2 * input.size(),
                                    bytes_done(ciphertext, protected_file));
    const HeaderBytes header = encipher(input, material, ciphertext);
    material.md5 = digest.get(in);
    check_complete(input, header, ciphertext);
    material.nonce = checked_nonce(header, out);

    protected_file.write_all(header.data(), header.size());
    copy_file_bytes(ciphertext.fd(), protected_file.fd(), input.size(), out);
    // Gone before the sync, so that its pages are never written back.
    ciphertext.discard();
    protected_file.finish(default_file_mode());
  }
  std::string key_text = format_key_file(material, file_name_of(out));
  key_file.write_all(key_text.data(), key_text.size());
  ::explicit_bzero(key_text.data(), key_text.size());
  key_file.finish(0600);
  commit_together({&protected_file, &key_file});

  std::printf("protected %s -> %s (key: %s)\n", in.c_str(), out.c_str(), key_path.c_str());
  return kExitSuccess;
}

}  // namespace folio_host
