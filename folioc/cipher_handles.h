// The process-wide table of cipher handles, as the library's own units use
// it. Every function is safe to call from any thread.
#ifndef FOLIOC_CIPHER_HANDLES_H
#define FOLIOC_CIPHER_HANDLES_H

#include <cstdint>

namespace folioc {

constexpr int kNoHandle = -1;

// Opens a handle (the lowest free number from 1) for an AES key of 16, 24
// or 32 bytes and the first 8 bytes of nonce; kNoHandle if refused.
int open_handle(const unsigned char *key, int keyLength, const unsigned char *nonce);

// Ciphers data in place at stream offset; false, data untouched, when the
// handle is not open (false too if the AES backend failed, out of memory). The engine stays alive for the whole call even if
// another thread releases the handle meanwhile.
bool cipher_through(int handle, unsigned char *data, std::uint64_t length, std::uint64_t offset);

// Releases a handle; false when it was not open.
bool release_handle(int handle);

// Releases its handle when it goes out of scope.
class ScopedHandle {
 public:
  ScopedHandle(const unsigned char *key, int keyLength, const unsigned char *nonce)
      : handle_(open_handle(key, keyLength, nonce)) {}
  ~ScopedHandle() { release(); }
  ScopedHandle(const ScopedHandle &) = delete;
  ScopedHandle &operator=(const ScopedHandle &) = delete;

  int get() const { return handle_; }
  bool valid() const { return handle_ != kNoHandle; }
  // true when the handle was still open.
  bool release() {
    const int handle = handle_;
    handle_ = kNoHandle;
    return handle != kNoHandle && release_handle(handle);
  }

 private:
  int handle_;
};

}  // namespace folioc

#endif
