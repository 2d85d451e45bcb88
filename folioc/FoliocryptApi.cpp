// The cipher handle table and the four handle exports.
//
// The table maps handle numbers to shared ownership of an engine. Look-ups
// copy the engine's pointer out under the lock, so ciphering runs outside it
// and a handle released meanwhile only drops the table's reference: the
// engine dies when the last call through it returns.
//
// The lock is a plain mutex, held only for a map step. A reader-writer lock
// would buy nothing at that length, and the MinGW build's one (winpthreads'
// rwlock) can fail to lock under contention, letting a look-up race an insert.

#include <climits>
#include <exception>
#include <map>
#include <memory>
#include <mutex>

#include "AesCTREngine.h"
#include "aes.h"
#include "cipher_handles.h"
#include "folioc.h"

namespace {

class HandleTable {
 public:
  int insert(std::shared_ptr<const AesCTREngine> engine) {
    std::lock_guard lock(mutex_);
    int handle = 1;
    // The map is ordered: the first gap in 1, 2, 3, ... is the lowest free number.
    for (auto it = map_.begin(); it != map_.end() && it->first == handle; ++it) {
      if (handle == INT_MAX) return folioc::kNoHandle;
      ++handle;
    }
    map_.emplace(handle, std::move(engine));
    return handle;
  }

  std::shared_ptr<const AesCTREngine> find(int handle) const {
    std::lock_guard lock(mutex_);
    auto it = map_.find(handle);
    return it == map_.end() ? nullptr : it->second;
  }

  bool erase(int handle) {
    std::shared_ptr<const AesCTREngine> engine;  // destroyed after unlocking
    std::lock_guard lock(mutex_);
    auto it = map_.find(handle);
    if (it == map_.end()) return false;
    engine = std::move(it->second);
    map_.erase(it);
    return true;
  }

 private:
  mutable std::mutex mutex_;
  std::map<int, std::shared_ptr<const AesCTREngine>> map_;
};

// Made on first use, so that callers running before or during static
// initialisation (a host's own static objects) find it ready.
HandleTable &handle_table() {
  // The AES backend started before the table exists is ended after the
  // table's destructor, which still frees the engines left open at exit.
  static const bool crypto_ready = aes_backend_start();
  static HandleTable cs_ctxmap;
  (void)crypto_ready;
  return cs_ctxmap;
}

}  // namespace

namespace folioc {

int open_handle(const unsigned char *key, int keyLength, const unsigned char *nonce) {
  if (!key || !nonce) return kNoHandle;
  if (keyLength != 16 && keyLength != 24 && keyLength != 32) return kNoHandle;
  try {
    auto engine = std::make_shared<const AesCTREngine>(key, keyLength, nonce, kNonceBytes);
    if (!engine->has_key_schedule()) return kNoHandle;
    return handle_table().insert(std::move(engine));
  } catch (const std::exception &) {
    return kNoHandle;
  }
}

bool cipher_through(int handle, unsigned char *data, std::uint64_t length, std::uint64_t offset) {
  if (!data && length) return false;
  const auto engine = handle_table().find(handle);
  if (!engine) return false;
  return engine->encrypt(data, offset, length) == 1;
}

bool release_handle(int handle) { return handle_table().erase(handle); }

}  // namespace folioc

extern "C" {

int FoliocInit(const unsigned char *key, int keyLength, const unsigned char *nonce) {
  return folioc::open_handle(key, keyLength, nonce);
}

int Foliocrypt(int handle, unsigned char *data, uint64_t length, uint64_t offset) {
  return folioc::cipher_through(handle, data, length, offset) ? DOC_OK : DOC_ERR_FAIL;
}

int DocDecrypt(int handle, unsigned char *data, uint64_t length, uint64_t offset) {
  return Foliocrypt(handle, data, length, offset);
}

int FoliocClean(int handle) { return folioc::release_handle(handle) ? DOC_OK : DOC_ERR_FAIL; }

}  // extern "C"
