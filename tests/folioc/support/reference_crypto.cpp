#include "support/reference_crypto.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace folioc_test {

namespace {

const EVP_CIPHER *ctr_cipher_for(std::size_t key_bytes) {
  switch (key_bytes) {
    case 16: return EVP_aes_128_ctr();
    case 24: return EVP_aes_192_ctr();
    case 32: return EVP_aes_256_ctr();
    default: throw std::invalid_argument("AES key must be 16, 24 or 32 bytes");
  }
}

using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

}  // namespace

Bytes reference_ctr(const Bytes &key, const unsigned char nonce[8], std::uint64_t offset,
                    const Bytes &input) {
  unsigned char counter[16];
  for (int i = 0; i < 8; ++i) counter[i] = nonce[i];
  std::uint64_t block = offset / 16;
  for (int i = 15; i >= 8; --i, block >>= 8) counter[i] = static_cast<unsigned char>(block);

  CipherContext context(EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
  if (!context || EVP_EncryptInit_ex(context.get(), ctr_cipher_for(key.size()), nullptr,
                                     key.data(), counter) != 1)
    throw std::runtime_error("EVP counter-mode set-up failed");
  int produced = 0;
  unsigned char skipped[16] = {};
  const int skip = static_cast<int>(offset % 16);
  if (skip && EVP_EncryptUpdate(context.get(), skipped, &produced, skipped, skip) != 1)
    throw std::runtime_error("EVP counter-mode skip failed");
  Bytes output(input.size());
  std::size_t done = 0;
  while (done < input.size()) {
    const std::size_t step = std::min<std::size_t>(input.size() - done, 1u << 30);
    if (EVP_EncryptUpdate(context.get(), output.data() + done, &produced, input.data() + done,
                          static_cast<int>(step)) != 1)
      throw std::runtime_error("EVP counter-mode update failed");
    done += step;
  }
  return output;
}

std::string reference_md5_hex(const Bytes &data) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int digest_length = 0;
  if (EVP_Digest(data.data(), data.size(), digest, &digest_length, EVP_md5(), nullptr) != 1)
    throw std::runtime_error("EVP MD5 failed");
  std::string text;
  char pair[3];
  for (unsigned int i = 0; i < digest_length; ++i) {
    std::snprintf(pair, sizeof pair, "%02x", digest[i]);
    text += pair;
  }
  return text;
}

}  // namespace folioc_test
