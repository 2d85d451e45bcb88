// Hexadecimal text to bytes: two digits a byte, high nibble first, upper
// and lower case alike.
#ifndef MORLAN_HEX_DIGITS_H
#define MORLAN_HEX_DIGITS_H

#include <cstddef>

namespace morlan {

// Zeroes out[0 .. byteCount) and fills it from the first 2 * byteCount
// characters of digits. False at the first character that is not a
// hexadecimal digit (out then holds what was converted before it).
bool hexToBytes(const char *digits, std::size_t byteCount, unsigned char *out);

}  // namespace morlan

#endif
