#include "evp_oracle.h"

#include <openssl/evp.h>

#include <memory>
#include <stdexcept>

namespace oracle {

namespace {

using CipherCtx = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

CipherCtx new_cipher_ctx() {
  CipherCtx ctx(EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
  if (!ctx) throw std::runtime_error("EVP_CIPHER_CTX_new failed");
  return ctx;
}

const EVP_CIPHER *ecb_cipher(std::size_t key_bytes) {
  switch (key_bytes) {
    case 16: return EVP_aes_128_ecb();
    case 24: return EVP_aes_192_ecb();
    case 32: return EVP_aes_256_ecb();
  }
  throw std::invalid_argument("AES key must be 16, 24 or 32 bytes");
}

const EVP_CIPHER *ctr_cipher(std::size_t key_bytes) {
  switch (key_bytes) {
    case 16: return EVP_aes_128_ctr();
    case 24: return EVP_aes_192_ctr();
    case 32: return EVP_aes_256_ctr();
  }
  throw std::invalid_argument("AES key must be 16, 24 or 32 bytes");
}

void check(int evp_result, const char *what) {
  if (evp_result != 1) throw std::runtime_error(what);
}

}  // namespace

Bytes aes_block(const Bytes &key, const unsigned char block[16]) {
  CipherCtx ctx = new_cipher_ctx();
  check(EVP_EncryptInit_ex(ctx.get(), ecb_cipher(key.size()), nullptr, key.data(), nullptr),
        "ECB init");
  EVP_CIPHER_CTX_set_padding(ctx.get(), 0);
  Bytes out(16);
  int produced = 0;
  check(EVP_EncryptUpdate(ctx.get(), out.data(), &produced, block, 16), "ECB update");
  if (produced != 16) throw std::runtime_error("ECB produced a short block");
  return out;
}

Bytes counter_block(const Bytes &nonce, std::uint64_t offset) {
  if (nonce.size() != 8) throw std::invalid_argument("nonce must be 8 bytes");
  Bytes counter(nonce);
  const std::uint64_t index = offset / 16;
  for (int shift = 56; shift >= 0; shift -= 8)
    counter.push_back(static_cast<unsigned char>(index >> shift));
  return counter;
}

Bytes aes_ctr(const Bytes &key, const Bytes &nonce, std::uint64_t offset, const Bytes &data) {
  const Bytes counter = counter_block(nonce, offset);
  CipherCtx ctx = new_cipher_ctx();
  check(EVP_EncryptInit_ex(ctx.get(), ctr_cipher(key.size()), nullptr, key.data(),
                           counter.data()),
        "CTR init");
  const int skip = static_cast<int>(offset % 16);
  Bytes padded(static_cast<std::size_t>(skip), 0);
  padded.insert(padded.end(), data.begin(), data.end());
  Bytes out(padded.size());
  int produced = 0;
  if (!padded.empty())
    check(EVP_EncryptUpdate(ctx.get(), out.data(), &produced, padded.data(),
                            static_cast<int>(padded.size())),
          "CTR update");
  return Bytes(out.begin() + skip, out.end());
}

std::string md5_hex(const unsigned char *data, std::size_t n) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int digest_length = 0;
  check(EVP_Digest(data, n, digest, &digest_length, EVP_md5(), nullptr), "MD5");
  return to_hex(digest, digest_length);
}

std::string base64(const Bytes &data) {
  std::string text(4 * ((data.size() + 2) / 3) + 1, '\0');
  const int written = EVP_EncodeBlock(reinterpret_cast<unsigned char *>(text.data()),
                                      data.data(), static_cast<int>(data.size()));
  text.resize(static_cast<std::size_t>(written));
  return text;
}

}  // namespace oracle
