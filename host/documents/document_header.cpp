#include "documents/document_header.h"

#include <cstdio>
#include <cstring>

#include "crypto/crc32.h"
#include "commands/messages.h"

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

void put_le32(unsigned char *bytes, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

void put_le64(unsigned char *bytes, std::uint64_t value) {
  put_le32(bytes, static_cast<std::uint32_t>(value));
  put_le32(bytes + 4, static_cast<std::uint32_t>(value >> 32));
}

constexpr char kNotProtected[] = "not a protected document";
constexpr std::size_t kMagicWithTerminator = sizeof FOLIOC_HEADER_MAGIC;

}  // namespace

HeaderFields decode_header(const HeaderBytes &header) {
  HeaderFields fields{};
  const unsigned char *bytes = header.data();
  std::memcpy(fields.magic.data(), bytes, fields.magic.size());
  fields.magic_ok = std::memcmp(bytes, FOLIOC_HEADER_MAGIC, kMagicWithTerminator) == 0;
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

bool LeadingBytes::has_header_magic() const {
  return count >= kMagicWithTerminator &&
         std::memcmp(bytes.data(), FOLIOC_HEADER_MAGIC, kMagicWithTerminator) == 0;
}

LeadingBytes read_leading_bytes(const std::string &path) {
  LeadingBytes leading;
  int capacity = static_cast<int>(leading.bytes.size());
  const int code = DocGetHeader(path.c_str(), leading.bytes.data(), &capacity);
  // The library reports an empty file as unreadable: it has no leading bytes.
  if (code == DOC_ERR_READ) return leading;
  if (code != DOC_OK) throw Failure(path, FoliocResultText(code));
  leading.count = static_cast<std::size_t>(capacity);
  return leading;
}

HeaderBytes whole_header(const LeadingBytes &leading, const std::string &path) {
  if (leading.count < FOLIOC_HEADER_BYTES)
    throw Failure(path, std::string(kNotProtected) + " (shorter than its 512-byte header)");
  return leading.bytes;
}

HeaderBytes read_header(const std::string &path) {
  return whole_header(read_leading_bytes(path), path);
}

HeaderBytes header_carrying(const std::array<unsigned char, FOLIOC_NONCE_BYTES> &nonce,
                            std::uint64_t plain_size) {
  HeaderBytes header{};
  unsigned char *bytes = header.data();
  std::memcpy(bytes, FOLIOC_HEADER_MAGIC, kMagicWithTerminator);
  put_le32(bytes + FOLIOC_HEADER_VERSION_AT, FOLIOC_HEADER_VERSION);
  put_le64(bytes + FOLIOC_HEADER_PLAIN_SIZE_AT, plain_size);
  put_le64(bytes + FOLIOC_HEADER_CIPHER_SIZE_AT, plain_size);
  put_le32(bytes + FOLIOC_HEADER_MARKER_AT, FOLIOC_HEADER_MARKER);
  std::memcpy(bytes + FOLIOC_HEADER_NONCE_AT, nonce.data(), nonce.size());
  put_le32(bytes + FOLIOC_HEADER_CRC_AT, crc32_compute(bytes, FOLIOC_HEADER_CRC_AT));
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
