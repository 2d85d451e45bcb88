// AES layer: key schedules and single-block encryption, with a bulk
// counter-mode primitive that the stream engine and aes_crypt_ctr share.
//
// Backed by OpenSSL's libcrypto (AES-NI where the processor has it). Only
// the encryption direction exists: counter mode deciphers by enciphering.
#ifndef FOLIO_CRYPTO_AES_H
#define FOLIO_CRYPTO_AES_H

#include <cstddef>
#include <cstdint>

enum : int {
  AES_ENCRYPT = 1,
  AES_BLOCK_BYTES = 16,
  AES_ERR_KEY_LENGTH = -0x0020,   // key size other than 128, 192 or 256 bits
  AES_ERR_NOT_READY = -0x0022,    // schedule not built, or backend failure
  AES_ERR_MODE = -0x0021,         // only AES_ENCRYPT is offered
};

struct aes_context_pool;

// An encryption key schedule. Read-only once built: any number of threads
// may cipher through one schedule at the same time.
struct aes_key_schedule {
  int rounds = 0;                   // 10, 12 or 14; 0 while not built
  aes_context_pool *pool = nullptr; // keyed cipher contexts, reused per call
};

// Starts the AES backend (libcrypto here, the system's CNG provider on
// Windows) if it has not started yet; false when it cannot. A static object
// that keeps keys calls this before it is made itself: static objects die
// in reverse order, so the backend's own exit-time clean-up then runs after
// that object has released its keys.
bool aes_backend_start();

void aes_init(aes_key_schedule *schedule);
// Releases the schedule's key material; the schedule may be built again.
void aes_free(aes_key_schedule *schedule);

// Builds the schedule for a key of keybits (128, 192 or 256) bits.
// Returns 0, AES_ERR_KEY_LENGTH, or AES_ERR_NOT_READY when the backend
// refuses; on failure the schedule is left unbuilt.
int aes_setkey_enc(aes_key_schedule *schedule, const unsigned char *key,
                   unsigned keybits);

// Enciphers one 16-byte block (mode must be AES_ENCRYPT). input and output
// may be the same buffer. Returns 0, AES_ERR_MODE or AES_ERR_NOT_READY.
int aes_crypt_ecb(const aes_key_schedule *schedule, int mode,
                  const unsigned char input[16], unsigned char output[16]);

// Counter-mode bulk primitive: output[i] = input[i] XOR keystream byte
// (skip + i), where keystream block k is AES(counter + k) and the counter is
// one 128-bit big-endian integer. skip < 16 enters the first block in its
// middle. input and output may be the same buffer. Returns 0 or
// AES_ERR_NOT_READY.
int aes_ctr_xor(const aes_key_schedule *schedule,
                const unsigned char counter[16], unsigned skip,
                const unsigned char *input, unsigned char *output,
                std::uint64_t length);

#endif
