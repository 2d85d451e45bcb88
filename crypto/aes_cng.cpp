// AES layer over Windows' own cryptography (CNG, bcrypt.dll).
//
// CNG offers AES in ECB mode; counter mode is built on it here: a run of
// counter blocks (one 128-bit big-endian integer, incremented per block) is
// enciphered in one BCryptEncrypt call and XORed into the data. The
// keystream is therefore the one the OpenSSL build produces.
//
// A key handle is not documented as safe for concurrent BCryptEncrypt
// calls, while a key schedule must serve concurrent callers. As in the
// OpenSSL build, each schedule keeps one prototype key that is never
// ciphered through and a few working keys (BCryptDuplicateKey) that callers
// borrow for one call; concurrent callers beyond the pool's slots get a
// duplicate of their own, or wait for a pooled one when none can be made.
#include "aes.h"
#include "aes_pool.h"

#include <windows.h>
#include <bcrypt.h>

#include <array>
#include <atomic>
#include <cstring>
#include <thread>

struct aes_context_pool {
  BCRYPT_KEY_HANDLE prototype = nullptr;
  std::array<std::atomic<BCRYPT_KEY_HANDLE>, 8> idle{};
};

namespace {

bool succeeded(NTSTATUS status) { return status >= 0; }

// One AES provider in ECB mode for the whole process, opened on first use
// (aes_backend_start) and closed when the library is unloaded; keys made from
// it must be gone by then.
class EcbProvider {
 public:
  EcbProvider() {
    if (!succeeded(BCryptOpenAlgorithmProvider(&handle_, BCRYPT_AES_ALGORITHM, nullptr, 0))) {
      handle_ = nullptr;
      return;
    }
    const auto *mode = reinterpret_cast<const UCHAR *>(BCRYPT_CHAIN_MODE_ECB);
    if (!succeeded(BCryptSetProperty(handle_, BCRYPT_CHAINING_MODE, const_cast<PUCHAR>(mode),
                                     sizeof BCRYPT_CHAIN_MODE_ECB, 0))) {
      BCryptCloseAlgorithmProvider(handle_, 0);
      handle_ = nullptr;
    }
  }
  ~EcbProvider() {
    if (handle_) BCryptCloseAlgorithmProvider(handle_, 0);
  }
  EcbProvider(const EcbProvider &) = delete;
  EcbProvider &operator=(const EcbProvider &) = delete;
  BCRYPT_ALG_HANDLE handle() const { return handle_; }

 private:
  BCRYPT_ALG_HANDLE handle_ = nullptr;
};

BCRYPT_ALG_HANDLE ecb_provider() {
  static const EcbProvider provider;
  return provider.handle();
}

BCRYPT_KEY_HANDLE duplicate(BCRYPT_KEY_HANDLE prototype) {
  BCRYPT_KEY_HANDLE key = nullptr;
  if (!succeeded(BCryptDuplicateKey(prototype, &key, nullptr, 0, 0))) return nullptr;
  return key;
}

BCRYPT_KEY_HANDLE take_idle(aes_context_pool &pool) {
  for (auto &slot : pool.idle)
    if (BCRYPT_KEY_HANDLE key = slot.exchange(nullptr, std::memory_order_acquire)) return key;
  return nullptr;
}

BCRYPT_KEY_HANDLE borrow(aes_context_pool &pool) {
  if (BCRYPT_KEY_HANDLE key = take_idle(pool)) return key;
  if (BCRYPT_KEY_HANDLE key = duplicate(pool.prototype)) return key;
  // No duplicate to be had: the key made with the schedule is still circulating.
  for (;;) {
    std::this_thread::yield();
    if (BCRYPT_KEY_HANDLE key = take_idle(pool)) return key;
  }
}

void give_back(aes_context_pool &pool, BCRYPT_KEY_HANDLE key) {
  for (auto &slot : pool.idle) {
    BCRYPT_KEY_HANDLE empty = nullptr;
    if (slot.compare_exchange_strong(empty, key, std::memory_order_release)) return;
  }
  BCryptDestroyKey(key);
}

// Adds 1 to the 128-bit big-endian counter, wrapping at 2^128.
void increment(unsigned char counter[AES_BLOCK_BYTES]) {
  for (int i = AES_BLOCK_BYTES - 1; i >= 0; --i)
    if (++counter[i] != 0) break;
}

// Blocks enciphered per BCryptEncrypt call: big enough to amortise the call,
// small enough to live on the stack.
constexpr std::size_t kRunBlocks = 256;

}  // namespace

void aes_pool_release(aes_context_pool *pool) {
  if (!pool) return;
  for (auto &slot : pool->idle)
    if (BCRYPT_KEY_HANDLE key = slot.exchange(nullptr)) BCryptDestroyKey(key);
  if (pool->prototype) BCryptDestroyKey(pool->prototype);  // CNG wipes the key object
  delete pool;
}

bool aes_backend_start() { return ecb_provider() != nullptr; }

int aes_setkey_enc(aes_key_schedule *schedule, const unsigned char *key, unsigned keybits) {
  aes_free(schedule);
  if (keybits != 128 && keybits != 192 && keybits != 256) return AES_ERR_KEY_LENGTH;
  if (!key) return AES_ERR_NOT_READY;
  const BCRYPT_ALG_HANDLE provider = ecb_provider();
  if (!provider) return AES_ERR_NOT_READY;

  auto *pool = new aes_context_pool;
  if (!succeeded(BCryptGenerateSymmetricKey(provider, &pool->prototype, nullptr, 0,
                                            const_cast<PUCHAR>(key), keybits / 8, 0)))
    pool->prototype = nullptr;
  BCRYPT_KEY_HANDLE first = pool->prototype ? duplicate(pool->prototype) : nullptr;
  if (!first) {
    aes_pool_release(pool);
    return AES_ERR_NOT_READY;
  }
  pool->idle[0].store(first);
  schedule->pool = pool;
  schedule->rounds = keybits == 128 ? 10 : keybits == 192 ? 12 : 14;
  return 0;
}

int aes_ctr_xor(const aes_key_schedule *schedule, const unsigned char counter[16], unsigned skip,
                const unsigned char *input, unsigned char *output, std::uint64_t length) {
  if (!schedule || !schedule->pool || skip >= AES_BLOCK_BYTES) return AES_ERR_NOT_READY;
  if (length == 0) return 0;
  BCRYPT_KEY_HANDLE key = borrow(*schedule->pool);

  unsigned char next[AES_BLOCK_BYTES];
  std::memcpy(next, counter, AES_BLOCK_BYTES);
  unsigned char keystream[kRunBlocks * AES_BLOCK_BYTES];
  bool ok = true;
  while (ok && length) {
    // Enough blocks for what is left, the skipped head of the first included.
    const std::uint64_t wanted = (skip + length + AES_BLOCK_BYTES - 1) / AES_BLOCK_BYTES;
    const std::size_t blocks = wanted < kRunBlocks ? static_cast<std::size_t>(wanted) : kRunBlocks;
    for (std::size_t b = 0; b < blocks; ++b) {
      std::memcpy(keystream + b * AES_BLOCK_BYTES, next, AES_BLOCK_BYTES);
      increment(next);
    }
    const ULONG bytes = static_cast<ULONG>(blocks * AES_BLOCK_BYTES);
    ULONG produced = 0;
    ok = succeeded(BCryptEncrypt(key, keystream, bytes, nullptr, nullptr, 0, keystream, bytes,
                                 &produced, 0)) &&
         produced == bytes;
    if (!ok) break;
    const std::uint64_t available = bytes - skip;
    const std::size_t step = static_cast<std::size_t>(length < available ? length : available);
    for (std::size_t i = 0; i < step; ++i) output[i] = input[i] ^ keystream[skip + i];
    input += step;
    output += step;
    length -= step;
    skip = 0;
  }
  SecureZeroMemory(keystream, sizeof keystream);
  give_back(*schedule->pool, key);
  return ok ? 0 : AES_ERR_NOT_READY;
}

int aes_crypt_ecb(const aes_key_schedule *schedule, int mode, const unsigned char input[16],
                  unsigned char output[16]) {
  if (mode != AES_ENCRYPT) return AES_ERR_MODE;
  // The first counter-mode keystream block for counter X is AES(X).
  unsigned char block[AES_BLOCK_BYTES];
  std::memcpy(block, input, AES_BLOCK_BYTES);
  const unsigned char zeros[AES_BLOCK_BYTES] = {};
  return aes_ctr_xor(schedule, block, 0, zeros, output, AES_BLOCK_BYTES);
}
