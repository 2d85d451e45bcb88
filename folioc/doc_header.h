// The 512-byte protected document header: building a fresh one, and the
// integrity rules its readers apply. Field offsets are in folioc.h.
#ifndef FOLIOC_DOC_HEADER_H
#define FOLIOC_DOC_HEADER_H

#include <cstdint>

#include "folioc.h"

namespace folioc {

constexpr int kHeaderBytes = FOLIOC_HEADER_BYTES;
constexpr int kCrcCoveredBytes = FOLIOC_HEADER_CRC_AT;

// A zeroed header with magic, version, both sizes, marker and nonce set,
// sealed with its CRC.
void build_fresh_header(unsigned char header[kHeaderBytes],
                        const unsigned char nonce[FOLIOC_NONCE_BYTES], std::uint64_t size);

bool crc_matches(const unsigned char header[kHeaderBytes]);
// Recomputes the CRC of bytes 0..507 and stores it at 508.
void reseal(unsigned char header[kHeaderBytes]);

// Readers check the CRC only for the current format version; headers of
// any other version pass unchecked.
bool passes_reader_check(const unsigned char header[kHeaderBytes]);

// Stores length bytes of wrapped key in an intact header and reseals it:
// DOC_OK, DOC_ERR_ARGUMENT (null pointer, capacity below 512), DOC_ERR_CRC
// (nothing changed) or DOC_ERR_SIZE. *headerCapacity becomes 512.
int store_key_cipher(const unsigned char *keyCipher, int length, unsigned char *header,
                     int *headerCapacity);

}  // namespace folioc

#endif
