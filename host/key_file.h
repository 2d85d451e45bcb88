// The key file that protect writes next to a protected file and unprotect
// and token read back: a short text of "name: value" lines holding the
// document's kind and layout, the content key, the nonce, and the size and
// MD5 digest of the plaintext.
#ifndef FOLIO_HOST_KEY_FILE_H
#define FOLIO_HOST_KEY_FILE_H

#include <array>
#include <cstdint>
#include <string>

#include "document_layout.h"

namespace folio_host {

constexpr std::size_t kContentKeyBytes = 32;
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

// Parses a key file's text. Throws Failure (naming path) for anything that
// is not a complete, well-formed key file of a known format, kind and
// variant, or that records an image laid out as v1. A key file without a
// kind line (written before kinds existed) is a PDF's.
KeyMaterial parse_key_file(const std::string &text, const std::string &path);

// Reads and parses the key file at path; throws Failure naming path.
KeyMaterial read_key_file(const std::string &path);

}  // namespace folio_host

#endif
