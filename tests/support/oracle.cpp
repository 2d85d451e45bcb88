#include "support/oracle.h"

#include <openssl/evp.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <stdexcept>

namespace folio_test::oracle {

namespace {

using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

enum class AesMode { ecb, ctr };

const EVP_CIPHER *aes_cipher(std::size_t key_bytes, AesMode mode) {
  const bool ecb = mode == AesMode::ecb;
  switch (key_bytes) {
    case 16: return ecb ? EVP_aes_128_ecb() : EVP_aes_128_ctr();
    case 24: return ecb ? EVP_aes_192_ecb() : EVP_aes_192_ctr();
    case 32: return ecb ? EVP_aes_256_ecb() : EVP_aes_256_ctr();
  }
  throw std::invalid_argument("AES key must be 16, 24 or 32 bytes");
}

void check(int evp_result, const char *what) {
  if (evp_result != 1) throw std::runtime_error(std::string("OpenSSL failed: ") + what);
}

CipherContext aes_context(const Bytes &key, AesMode mode, const unsigned char *iv) {
  const EVP_CIPHER *cipher = aes_cipher(key.size(), mode);
  CipherContext context(EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
  if (!context) throw std::runtime_error("OpenSSL failed: EVP_CIPHER_CTX_new");
  check(EVP_EncryptInit_ex(context.get(), cipher, nullptr, key.data(), iv), "AES init");
  return context;
}

// EVP takes int lengths, so large inputs go through in pieces.
void encrypt_update(EVP_CIPHER_CTX *context, unsigned char *out, const unsigned char *in,
                    std::size_t size) {
  constexpr std::size_t kMostPerCall = std::size_t(1) << 30;
  for (std::size_t done = 0; done < size;) {
    const std::size_t step = std::min(size - done, kMostPerCall);
    int produced = 0;
    check(EVP_EncryptUpdate(context, out + done, &produced, in + done, static_cast<int>(step)),
          "AES update");
    if (produced != static_cast<int>(step)) throw std::runtime_error("AES produced short output");
    done += step;
  }
}

}  // namespace

Bytes aes_block(const Bytes &key, const unsigned char block[16]) {
  CipherContext context = aes_context(key, AesMode::ecb, nullptr);
  EVP_CIPHER_CTX_set_padding(context.get(), 0);
  Bytes out(16);
  encrypt_update(context.get(), out.data(), block, 16);
  return out;
}

Bytes aes_ctr(const Bytes &key, const unsigned char nonce[8], std::uint64_t offset,
              const Bytes &data) {
  const Bytes counter = counter_block(nonce, offset);
  CipherContext context = aes_context(key, AesMode::ctr, counter.data());
  // Position the keystream at offset within its block.
  unsigned char skipped[16] = {};
  encrypt_update(context.get(), skipped, skipped, offset % 16);
  Bytes out(data.size());
  encrypt_update(context.get(), out.data(), data.data(), data.size());
  return out;
}

Bytes aes_ctr(const Bytes &key, const Bytes &nonce, std::uint64_t offset, const Bytes &data) {
  if (nonce.size() != 8) throw std::invalid_argument("nonce must be 8 bytes");
  return aes_ctr(key, nonce.data(), offset, data);
}

std::string md5_hex(const Bytes &data) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int digest_length = 0;
  check(EVP_Digest(data.data(), data.size(), digest, &digest_length, EVP_md5(), nullptr), "MD5");
  return to_hex(digest, digest_length);
}

std::string base64(const Bytes &data) {
  if (data.size() > std::size_t(INT_MAX) / 4 * 3) throw std::length_error("too long for Base64");
  std::string text(4 * ((data.size() + 2) / 3) + 1, '\0');
  const int written = EVP_EncodeBlock(reinterpret_cast<unsigned char *>(text.data()), data.data(),
                                      static_cast<int>(data.size()));
  text.resize(static_cast<std::size_t>(written));
  return text;
}

Bytes base64_decode(const std::string &text) {
  if (text.size() > std::size_t(INT_MAX)) throw std::length_error("too long for Base64");
  Bytes out(text.size() / 4 * 3 + 3);
  const int length =
      EVP_DecodeBlock(out.data(), reinterpret_cast<const unsigned char *>(text.data()),
                      static_cast<int>(text.size()));
  if (length < 0) return {};
  // EVP_DecodeBlock counts the padding as decoded zero bytes.
  std::size_t padding = 0;
  for (auto it = text.rbegin(); it != text.rend() && *it == '='; ++it) ++padding;
  if (padding > static_cast<std::size_t>(length)) return {};
  out.resize(static_cast<std::size_t>(length) - padding);
  return out;
}

}  // namespace folio_test::oracle
