// Clearing key material so that it does not linger in memory that is
// freed or reused; unlike memset, the compiler may not drop the store.
#ifndef PAGEVIEW_LAUNCH_SECURE_WIPE_H
#define PAGEVIEW_LAUNCH_SECURE_WIPE_H

#include <string.h>

#include <cstddef>

namespace pageview {

inline void secureWipe(void *data, std::size_t size) { ::explicit_bzero(data, size); }

// A fixed buffer for key text that is zero when made and wiped when it
// goes out of scope, on every path.
template <std::size_t Size>
class WipedBuffer {
 public:
  WipedBuffer() = default;
  ~WipedBuffer() { secureWipe(bytes_, Size); }
  WipedBuffer(const WipedBuffer &) = delete;
  WipedBuffer &operator=(const WipedBuffer &) = delete;

  unsigned char *data() { return bytes_; }
  const unsigned char *data() const { return bytes_; }
  static constexpr std::size_t size() { return Size; }

 private:
  unsigned char bytes_[Size] = {};
};

}  // namespace pageview

#endif
