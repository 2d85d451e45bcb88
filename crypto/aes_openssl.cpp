// AES layer over OpenSSL's EVP interface.
//
// EVP contexts are mutable (they carry the counter and the partial-block
// state), while a key schedule must serve concurrent callers. Each schedule
// therefore keeps one keyed prototype context that is never ciphered
// through, and a few keyed working contexts that callers borrow for the
// length of one call. The first working context is made with the schedule,
// so single-threaded use never allocates while ciphering; concurrent callers
// beyond the pool's slots get a temporary copy of the prototype, or, when
// memory for one cannot be had, wait for a pooled context to come back: a
// keyed schedule never fails to cipher.
#include "aes.h"
#include "aes_pool.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <array>
#include <atomic>
#include <thread>

struct aes_context_pool {
  EVP_CIPHER_CTX *prototype = nullptr;
  std::array<std::atomic<EVP_CIPHER_CTX *>, 8> idle{};
};

namespace {

// Fetched once: an explicit fetch per key would cost a provider lookup each
// time. Freed when the library is unloaded, after every context using them
// (contexts hold references of their own).
struct CtrCiphers {
  EVP_CIPHER *aes128 = EVP_CIPHER_fetch(nullptr, "AES-128-CTR", nullptr);
  EVP_CIPHER *aes192 = EVP_CIPHER_fetch(nullptr, "AES-192-CTR", nullptr);
  EVP_CIPHER *aes256 = EVP_CIPHER_fetch(nullptr, "AES-256-CTR", nullptr);
  ~CtrCiphers() {
    EVP_CIPHER_free(aes128);
    EVP_CIPHER_free(aes192);
    EVP_CIPHER_free(aes256);
  }
};

const EVP_CIPHER *ctr_cipher(unsigned keybits) {
  static const CtrCiphers ciphers;
  switch (keybits) {
    case 128: return ciphers.aes128;
    case 192: return ciphers.aes192;
    case 256: return ciphers.aes256;
    default: return nullptr;
  }
}

EVP_CIPHER_CTX *copy_of(const EVP_CIPHER_CTX *prototype) {
  EVP_CIPHER_CTX *ctx = EVP_CIPHER_CTX_new();
  if (ctx && EVP_CIPHER_CTX_copy(ctx, prototype) != 1) {
    EVP_CIPHER_CTX_free(ctx);
    ctx = nullptr;
  }
  return ctx;
}

EVP_CIPHER_CTX *take_idle(aes_context_pool &pool) {
  for (auto &slot : pool.idle)
    if (EVP_CIPHER_CTX *ctx = slot.exchange(nullptr, std::memory_order_acquire)) return ctx;
  return nullptr;
}

EVP_CIPHER_CTX *borrow(aes_context_pool &pool) {
  if (EVP_CIPHER_CTX *ctx = take_idle(pool)) return ctx;
  if (EVP_CIPHER_CTX *ctx = copy_of(pool.prototype)) return ctx;
  // Out of memory: the context made with the schedule is still circulating.
  for (;;) {
    std::this_thread::yield();
    if (EVP_CIPHER_CTX *ctx = take_idle(pool)) return ctx;
  }
}

void give_back(aes_context_pool &pool, EVP_CIPHER_CTX *ctx) {
  for (auto &slot : pool.idle) {
    EVP_CIPHER_CTX *empty = nullptr;
    if (slot.compare_exchange_strong(empty, ctx, std::memory_order_release)) return;
  }
  EVP_CIPHER_CTX_free(ctx);
}

}  // namespace

void aes_pool_release(aes_context_pool *pool) {
  if (!pool) return;
  for (auto &slot : pool->idle) EVP_CIPHER_CTX_free(slot.exchange(nullptr));
  EVP_CIPHER_CTX_free(pool->prototype);  // cleanses the key material
  delete pool;
}

bool aes_backend_start() { return OPENSSL_init_crypto(0, nullptr) == 1; }

int aes_setkey_enc(aes_key_schedule *schedule, const unsigned char *key, unsigned keybits) {
  aes_free(schedule);
  const EVP_CIPHER *cipher = ctr_cipher(keybits);
  if (!cipher) return AES_ERR_KEY_LENGTH;
  if (!key) return AES_ERR_NOT_READY;

  auto *pool = new aes_context_pool;
  pool->prototype = EVP_CIPHER_CTX_new();
  EVP_CIPHER_CTX *first = nullptr;
  if (!pool->prototype ||
      EVP_EncryptInit_ex2(pool->prototype, cipher, key, nullptr, nullptr) != 1 ||
      !(first = copy_of(pool->prototype))) {
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
  EVP_CIPHER_CTX *ctx = borrow(*schedule->pool);

  // Setting the counter block as the IV also resets the partial-block
  // position, so a borrowed context never carries state from its last call.
  int ok = EVP_EncryptInit_ex2(ctx, nullptr, nullptr, counter, nullptr);
  if (ok && skip) {
    // Enter the first block in its middle by consuming skip keystream bytes.
    unsigned char discard[AES_BLOCK_BYTES] = {};
    int produced = 0;
    ok = EVP_EncryptUpdate(ctx, discard, &produced, discard, static_cast<int>(skip));
    OPENSSL_cleanse(discard, sizeof discard);  // keystream bytes
  }
  constexpr std::uint64_t kMaxStep = 1u << 30;  // EVP takes int lengths
  while (ok && length) {
    const int step = static_cast<int>(length < kMaxStep ? length : kMaxStep);
    int produced = 0;
    ok = EVP_EncryptUpdate(ctx, output, &produced, input, step);
    input += step;
    output += step;
    length -= static_cast<std::uint64_t>(step);
  }
  give_back(*schedule->pool, ctx);
  return ok ? 0 : AES_ERR_NOT_READY;
}

int aes_crypt_ecb(const aes_key_schedule *schedule, int mode, const unsigned char input[16],
                  unsigned char output[16]) {
  if (mode != AES_ENCRYPT) return AES_ERR_MODE;
  // The first counter-mode keystream block for counter X is AES(X).
  unsigned char block[AES_BLOCK_BYTES];
  for (int i = 0; i < AES_BLOCK_BYTES; ++i) block[i] = input[i];
  const unsigned char zeros[AES_BLOCK_BYTES] = {};
  return aes_ctr_xor(schedule, block, 0, zeros, output, AES_BLOCK_BYTES);
}
