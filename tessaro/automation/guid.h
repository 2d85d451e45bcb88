// Interface and class identifiers, laid out as Windows' GUID.
#ifndef TESSARO_AUTOMATION_GUID_H
#define TESSARO_AUTOMATION_GUID_H

#include <cstdint>
#include <string>

namespace tessaro {

struct Guid {
  std::uint32_t data1;
  std::uint16_t data2;
  std::uint16_t data3;
  std::uint8_t data4[8];
};

bool operator==(const Guid &a, const Guid &b);
inline bool operator!=(const Guid &a, const Guid &b) { return !(a == b); }

// "{000209FF-0000-0000-C000-000000000046}"
std::string to_string(const Guid &id);

}  // namespace tessaro

#endif
