// The 512-byte header at the start of a protected file, read through the
// library and decoded field by field for the commands that check it.
#ifndef FOLIO_HOST_DOCUMENT_HEADER_H
#define FOLIO_HOST_DOCUMENT_HEADER_H

#include <array>
#include <cstdint>
#include <string>

#include "folioc.h"

namespace folio_host {

using HeaderBytes = std::array<unsigned char, FOLIOC_HEADER_BYTES>;

struct HeaderFields {
  bool magic_ok;  // "tesmir" and its terminating 0
  std::array<unsigned char, 6> magic;
  std::uint32_t format_version;
  std::int64_t plain_size;
  std::int64_t cipher_size;
  std::uint32_t marker;
  std::uint32_t key_cipher_length;
  std::array<unsigned char, FOLIOC_NONCE_BYTES> nonce;
  std::uint32_t stored_crc;
  std::uint32_t computed_crc;  // of bytes 0..507 as they are
};

HeaderFields decode_header(const HeaderBytes &header);

// Up to a header's worth of bytes from the start of a file.
struct LeadingBytes {
  HeaderBytes bytes{};
  std::size_t count = 0;  // fewer than a header for a short file, 0 for an empty one

  // True when the bytes begin with the header magic and its terminating 0.
  bool has_header_magic() const;
};

// The first bytes of the file at path (DocGetHeader). Throws Failure naming
// path when it cannot be opened or read.
LeadingBytes read_leading_bytes(const std::string &path);

// The header among the leading bytes of the file at path. Throws Failure
// naming path when the file is shorter than a header.
HeaderBytes whole_header(const LeadingBytes &leading, const std::string &path);

// whole_header(read_leading_bytes(path), path).
HeaderBytes read_header(const std::string &path);

// A sealed header (current format version, valid checksum) carrying nonce
// for plain_size bytes, as the library writes one. The library takes the
// nonce of a ciphertext-only file from such a header when it deciphers it.
HeaderBytes header_carrying(const std::array<unsigned char, FOLIOC_NONCE_BYTES> &nonce,
                            std::uint64_t plain_size);

// The header's nonce (DocGetNonce) after the checks a reader makes: a known
// magic and format version, and a matching checksum. Throws Failure naming
// path otherwise.
std::array<unsigned char, FOLIOC_NONCE_BYTES> checked_nonce(const HeaderBytes &header,
                                                            const std::string &path);

// Why a protected file of file_size bytes does not match its header
// (truncated, or trailing bytes); empty when it does.
std::string length_problem(std::uint64_t file_size, const HeaderFields &fields);

// Hexadecimal with 0x and 8 digits, as the header's 32-bit fields are shown.
std::string hex32(std::uint32_t value);

}  // namespace folio_host

#endif
