// The key file that protect writes next to a protected file and unprotect
// and token read back: a short text of "name: value" lines holding the
// document's kind and layout, the content key, the nonce, and the size and
// MD5 digest of the plaintext. protect-video writes the same for a video,
// without a variant; its size and digest are those of the source file, a
// record of what was protected (restoring rewrites the container, so the
// restored file's bytes differ from the source's).
#ifndef FOLIO_HOST_KEY_FILE_H
#define FOLIO_HOST_KEY_FILE_H

#include <array>
#include <cstdint>
#include <string>

#include "documents/document_layout.h"

namespace folio_host {

constexpr std::size_t kContentKeyBytes = 32;
constexpr int kContentKeyBits = 8 * static_cast<int>(kContentKeyBytes);
constexpr std::size_t kNonceBytes = 8;
constexpr std::size_t kMd5HexDigits = 32;

struct KeyMaterial {
  DocumentKind kind = DocumentKind::pdf;
  ContainerVariant variant = ContainerVariant::v1;
  std::array<unsigned char, kContentKeyBytes> key{};
  std::array<unsigned char, kNonceBytes> nonce{};
  std::uint64_t size = 0;  // plaintext bytes
  std::string md5;         // MD5 text form of the plaintext, lowercase

  KeyMaterial() = default;
  KeyMaterial(const KeyMaterial &) = default;
  KeyMaterial &operator=(const KeyMaterial &) = default;
  // The key does not linger in freed memory.
  ~KeyMaterial();
};

// The key file's text; protected_name is the protected file's name, for
// the comment that says what the key deciphers.
std::string format_key_file(const KeyMaterial &material, const std::string &protected_name);

// Parses a document's key file text. Throws Failure (naming path) for
// anything that is not a complete, well-formed key file of a known format,
// kind and variant, that records an image laid out as v1, or that is a
// video's. A key file without a kind line (written before kinds existed)
// is a PDF's.
KeyMaterial parse_key_file(const std::string &text, const std::string &path);

// The same for a video's key file: kind video and no variant line. Throws
// Failure (naming path) for a document's key file too.
KeyMaterial parse_video_key_file(const std::string &text, const std::string &path);

// Read and parse the key file at path; throw Failure naming path.
KeyMaterial read_key_file(const std::string &path);
KeyMaterial read_video_key_file(const std::string &path);

}  // namespace folio_host

#endif
