#include "document_header.h"

#include <cstdio>
#include <cstring>

#include "crypto/crc32.h"
#include "messages.h"

namespace folio_host {

namespace {

std::uint32_t le32(const unsigned char *bytes) {
  return std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 | std::uint32_t(bytes[2]) << 16 |
         std::uint32_t(bytes[3]) << 24;
}

std::int64_t le64(const unsigned char *bytes) {
  const std::uint64_t value = std::uint64_t(le32(bytes)) | std::uint64_t(le32(bytes + 4)) << 32;
  return static_cast<std::int64_t>(value);
}

constexpr char kNotProtected[] = "not a protected document";

}  // namespace

HeaderFields decode_header(const HeaderBytes &header) {
  HeaderFields fields{};
  const unsigned char *bytes = header.data();
  constexpr std::size_t kMagicBytes = sizeof FOLIOC_HEADER_MAGIC - 1;
  std::memcpy(fields.magic.data(), bytes, kMagicBytes);
  fields.magic_ok = std::memcmp(bytes, FOLIOC_HEADER_MAGIC, kMagicBytes + 1) == 0;
  fields.format_version = le32(bytes + FOLIOC_HEADER_VERSION_AT);
  fields.plain_size = le64(bytes + FOLIOC_HEADER_PLAIN_SIZE_AT);
  fields.cipher_size = le64(bytes + FOLIOC_HEADER_CIPHER_SIZE_AT);
  fields.marker = le32(bytes + FOLIOC_HEADER_MARKER_AT);
  fields.key_cipher_length = le32(bytes + FOLIOC_HEADER_KEY_CIPHER_LEN_AT);
  std::memcpy(fields.nonce.data(), bytes + FOLIOC_HEADER_NONCE_AT, FOLIOC_NONCE_BYTES);
  fields.stored_crc = le32(bytes + FOLIOC_HEADER_CRC_AT);
  fields.computed_crc = crc32_compute(bytes, FOLIOC_HEADER_CRC_AT);
  return fields;
}

HeaderBytes read_header(const std::string &path) {
  HeaderBytes header{};
  int capacity = static_cast<int>(header.size());
  const int code = DocGetHeader(path.c_str(), header.data(), &capacity);
  if (code == DOC_ERR_READ || (code == DOC_OK && capacity < FOLIOC_HEADER_BYTES))
    throw Failure(path, std::string(kNotProtected) + " (shorter than its 512-byte header)");
  if (code != DOC_OK) throw Failure(path, FoliocResultText(code));
  return header;
}

std::array<unsigned char, FOLIOC_NONCE_BYTES> checked_nonce(const HeaderBytes &header,
                                                            const std::string &path) {
  const HeaderFields fields = decode_header(header);
  // The library checks the checksum only for the format version it knows;
  // a header of any other version is refused here before it is trusted.
  if (fields.format_version != FOLIOC_HEADER_VERSION) {
    if (!fields.magic_ok) throw Failure(path, std::string(kNotProtected) + " (no header magic)");
    throw Failure(path, "unsupported format version " + hex32(fields.format_version));
  }
  std::array<unsigned char, FOLIOC_NONCE_BYTES> nonce{};
  const int code = DocGetNonce(header.data(), static_cast<int>(header.size()), nonce.data());
  if (code == DOC_ERR_CRC) throw Failure(path, "header is damaged (checksum mismatch)");
  if (code != DOC_OK) throw Failure(path, FoliocResultText(code));
  if (!fields.magic_ok) throw Failure(path, std::string(kNotProtected) + " (no header magic)");
  return nonce;
}

std::string length_problem(std::uint64_t file_size, const HeaderFields &fields) {
  if (fields.plain_size < 0) return "header is damaged (negative size)";
  const std::uint64_t expected =
      FOLIOC_HEADER_BYTES + static_cast<std::uint64_t>(fields.plain_size);
  const std::string counts = " (" + std::to_string(file_size) + " bytes, the header says " +
                             std::to_string(expected) + ")";
  if (file_size < expected) return "truncated" + counts;
  if (file_size > expected) return "has trailing bytes" + counts;
  return {};
}

std::string hex32(std::uint32_t value) {
  char text[11];
  std::snprintf(text, sizeof text, "0x%08x", value);
  return text;
}

}  // namespace folio_host
