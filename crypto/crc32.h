// CRC-32/ISO-HDLC (the zlib and PNG CRC): reflected polynomial 0xEDB88320,
// initial value and final XOR 0xFFFFFFFF. Seals the protected document header.
#ifndef FOLIO_CRYPTO_CRC32_H
#define FOLIO_CRYPTO_CRC32_H

#include <cstdint>

// CRC of length bytes; 0 for length 0.
std::uint32_t crc32_compute(const unsigned char *data, std::uint32_t length);

#endif
