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

// The header of the protected file at path (DocGetHeader). Throws Failure
// naming path when the file is shorter than a header or cannot be read.
HeaderBytes read_header(const std::string &path);

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
