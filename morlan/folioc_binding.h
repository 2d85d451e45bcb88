// The five document-library functions the player uses, reached through one
// table so that each platform binds them its own way: by name against
// libfolioc here, by export ordinal from Folioc.dll on Windows.
#ifndef MORLAN_FOLIOC_BINDING_H
#define MORLAN_FOLIOC_BINDING_H

#include <cstdint>

namespace morlan {

struct FoliocFunctions {
  int (*init)(const unsigned char *key, int keyLength, const unsigned char *nonce) = nullptr;
  int (*crypt)(int handle, unsigned char *data, std::uint64_t length, std::uint64_t offset) = nullptr;
  int (*decrypt)(int handle, unsigned char *data, std::uint64_t length, std::uint64_t offset) = nullptr;
  int (*clean)(int handle) = nullptr;
  int (*base64Decode)(const char *text, int length, unsigned char *output, int *capacity) = nullptr;

  bool complete() const { return init && crypt && decrypt && clean && base64Decode; }
};

// The bound table; on Windows a function missing from the library leaves
// its entry null, so callers check complete() first.
const FoliocFunctions &folioc();

}  // namespace morlan

#endif
