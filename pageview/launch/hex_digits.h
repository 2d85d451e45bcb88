// Hexadecimal text to bytes as the launch token and the content key are
// written: two characters a byte, the first giving the high four bits,
// "0"-"9", "A"-"F" and "a"-"f" in either case.
#ifndef PAGEVIEW_LAUNCH_HEX_DIGITS_H
#define PAGEVIEW_LAUNCH_HEX_DIGITS_H

#include <cstddef>

namespace pageview {

// Writes min(byteCount, textLength / 2) bytes to out and returns that
// count; the rest of out is left as it was. Nothing is refused: a character
// that is not a hexadecimal digit counts as 0, and a last unpaired
// character is ignored. A token of such characters only makes a wrong key,
// which the document open then reports.
std::size_t hexToBytes(const char *text, std::size_t textLength, unsigned char *out,
                       std::size_t byteCount);

}  // namespace pageview

#endif
