// Reference answers on Windows, where there is no OpenSSL: AES and MD5 from
// CNG called directly (one ECB key per answer, counter blocks laid out
// here), Base64 written out from RFC 4648. None of it goes through the
// code under test.
#include "support/oracle.h"

#include <windows.h>
#include <bcrypt.h>

#include <cstring>
#include <memory>
#include <stdexcept>

namespace folio_test::oracle {
namespace {

void check(NTSTATUS status, const char *what) {
  if (status < 0) throw std::runtime_error(std::string("CNG failed: ") + what);
}

struct Provider {
  BCRYPT_ALG_HANDLE handle = nullptr;
  explicit Provider(const wchar_t *algorithm, const wchar_t *chaining = nullptr) {
    check(BCryptOpenAlgorithmProvider(&handle, algorithm, nullptr, 0), "open provider");
    if (chaining)
      check(BCryptSetProperty(handle, BCRYPT_CHAINING_MODE,
                              reinterpret_cast<PUCHAR>(const_cast<wchar_t *>(chaining)),
                              static_cast<ULONG>((wcslen(chaining) + 1) * sizeof(wchar_t)), 0),
            "chaining mode");
  }
  ~Provider() { BCryptCloseAlgorithmProvider(handle, 0); }
  Provider(const Provider &) = delete;
  Provider &operator=(const Provider &) = delete;
};

// data[i] XOR AES(blocks)[i] for blocks laid out by the caller, in place.
Bytes aes_ecb(const Bytes &key, const Bytes &blocks) {
  if (key.size() != 16 && key.size() != 24 && key.size() != 32)
    throw std::invalid_argument("AES key must be 16, 24 or 32 bytes");
  static const Provider aes(BCRYPT_AES_ALGORITHM, BCRYPT_CHAIN_MODE_ECB);
  BCRYPT_KEY_HANDLE handle = nullptr;
  check(BCryptGenerateSymmetricKey(aes.handle, &handle, nullptr, 0,
                                   const_cast<PUCHAR>(key.data()), static_cast<ULONG>(key.size()), 0),
        "AES key");
  std::unique_ptr<void, decltype(&BCryptDestroyKey)> owned(handle, &BCryptDestroyKey);
  Bytes out(blocks.size());
  ULONG produced = 0;
  check(BCryptEncrypt(handle, const_cast<PUCHAR>(blocks.data()), static_cast<ULONG>(blocks.size()),
                      nullptr, nullptr, 0, out.data(), static_cast<ULONG>(out.size()), &produced, 0),
        "AES encrypt");
  if (produced != out.size()) throw std::runtime_error("AES produced short output");
  return out;
}

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

}  // namespace

Bytes aes_block(const Bytes &key, const unsigned char block[16]) {
  return aes_ecb(key, Bytes(block, block + 16));
}

Bytes aes_ctr(const Bytes &key, const unsigned char nonce[8], std::uint64_t offset,
              const Bytes &data) {
  // Every counter block the data touches, the 128-bit counter carrying out
  // of its low half into the nonce as one big-endian integer.
  const std::size_t skip = static_cast<std::size_t>(offset % 16);
  const std::size_t count = (skip + data.size() + 15) / 16;
  Bytes blocks;
  blocks.reserve(count * 16);
  Bytes counter = counter_block(nonce, offset);
  for (std::size_t b = 0; b < count; ++b) {
    blocks.insert(blocks.end(), counter.begin(), counter.end());
    for (int i = 15; i >= 0 && ++counter[static_cast<std::size_t>(i)] == 0; --i) {
    }
  }
  const Bytes keystream = count ? aes_ecb(key, blocks) : Bytes();
  Bytes out(data.size());
  for (std::size_t i = 0; i < data.size(); ++i) out[i] = data[i] ^ keystream[skip + i];
  return out;
}

Bytes aes_ctr(const Bytes &key, const Bytes &nonce, std::uint64_t offset, const Bytes &data) {
  if (nonce.size() != 8) throw std::invalid_argument("nonce must be 8 bytes");
  return aes_ctr(key, nonce.data(), offset, data);
}

std::string md5_hex(const Bytes &data) {
  unsigned char digest[16];
  Provider md5(BCRYPT_MD5_ALGORITHM);
  BCRYPT_HASH_HANDLE hash = nullptr;
  check(BCryptCreateHash(md5.handle, &hash, nullptr, 0, nullptr, 0, 0), "MD5 create");
  std::unique_ptr<void, decltype(&BCryptDestroyHash)> owned(hash, &BCryptDestroyHash);
  check(BCryptHashData(hash, const_cast<PUCHAR>(data.data()), static_cast<ULONG>(data.size()), 0),
        "MD5 data");
  check(BCryptFinishHash(hash, digest, sizeof digest, 0), "MD5 finish");
  return to_hex(digest, sizeof digest);
}

std::string base64(const Bytes &data) {
  std::string text;
  for (std::size_t i = 0; i < data.size(); i += 3) {
    const std::size_t n = data.size() - i < 3 ? data.size() - i : 3;
    std::uint32_t group = std::uint32_t(data[i]) << 16;
    if (n > 1) group |= std::uint32_t(data[i + 1]) << 8;
    if (n > 2) group |= data[i + 2];
    for (std::size_t k = 0; k < 4; ++k)
      text += k <= n ? kAlphabet[(group >> (18 - 6 * k)) & 63] : '=';
  }
  return text;
}

Bytes base64_decode(const std::string &text) {
  if (text.size() % 4) return {};
  Bytes out;
  for (std::size_t i = 0; i < text.size(); i += 4) {
    std::uint32_t group = 0;
    std::size_t padding = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      const char c = text[i + k];
      std::uint32_t value = 0;
      if (c == '=' && i + 4 == text.size() && k >= 2) {
        ++padding;
      } else {
        const char *at = padding ? nullptr : std::strchr(kAlphabet, c);
        if (!at || !c) return {};
        value = static_cast<std::uint32_t>(at - kAlphabet);
      }
      group = group << 6 | value;
    }
    out.push_back(static_cast<unsigned char>(group >> 16));
    if (padding < 2) out.push_back(static_cast<unsigned char>(group >> 8));
    if (padding < 1) out.push_back(static_cast<unsigned char>(group));
  }
  return out;
}

}  // namespace folio_test::oracle
