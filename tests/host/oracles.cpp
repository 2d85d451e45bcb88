#include "oracles.h"

#include <openssl/evp.h>

#include <memory>
#include <sstream>
#include <stdexcept>

namespace host_test {

std::string evp_md5_hex(const Bytes &data) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(data.data(), data.size(), digest, &length, EVP_md5(), nullptr) != 1)
    throw std::runtime_error("EVP_Digest failed");
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (unsigned int i = 0; i < length; ++i) {
    text += kDigits[digest[i] >> 4];
    text += kDigits[digest[i] & 15];
  }
  return text;
}

Bytes evp_aes256_ctr(const Bytes &key, const Bytes &counter_block, const Bytes &data) {
  if (key.size() != 32 || counter_block.size() != 16)
    throw std::runtime_error("bad key or counter");
  std::unique_ptr<EVP_CIPHER_CTX, void (*)(EVP_CIPHER_CTX *)> context(EVP_CIPHER_CTX_new(),
                                                                      EVP_CIPHER_CTX_free);
  Bytes out(data.size() + 16);
  int length = 0, tail = 0;
  if (!context ||
      EVP_EncryptInit_ex(context.get(), EVP_aes_256_ctr(), nullptr, key.data(),
                         counter_block.data()) != 1 ||
      EVP_EncryptUpdate(context.get(), out.data(), &length, data.data(),
                        static_cast<int>(data.size())) != 1 ||
      EVP_EncryptFinal_ex(context.get(), out.data() + length, &tail) != 1)
    throw std::runtime_error("EVP AES-256-CTR failed");
  out.resize(static_cast<std::size_t>(length + tail));
  return out;
}

Bytes evp_base64_decode(const std::string &text) {
  Bytes out(text.size());
  const int length =
      EVP_DecodeBlock(out.data(), reinterpret_cast<const unsigned char *>(text.data()),
                      static_cast<int>(text.size()));
  if (length < 0) return {};
  // EVP_DecodeBlock counts the padding as decoded zero bytes.
  std::size_t padding = 0;
  for (auto it = text.rbegin(); it != text.rend() && *it == '='; ++it) ++padding;
  out.resize(static_cast<std::size_t>(length) - padding);
  return out;
}

std::uint32_t reference_crc32(const unsigned char *data, std::size_t size) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return crc ^ 0xFFFFFFFFu;
}

Bytes decode_hex(const std::string &text) {
  if (text.size() % 2 != 0) return {};
  Bytes bytes;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const std::string pair = text.substr(i, 2);
    if (pair.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return {};
    bytes.push_back(static_cast<unsigned char>(std::stoul(pair, nullptr, 16)));
  }
  return bytes;
}

std::uint32_t le32_at(const Bytes &bytes, std::size_t offset) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | bytes.at(offset + static_cast<std::size_t>(i));
  return value;
}

std::int64_t le64_at(const Bytes &bytes, std::size_t offset) {
  const std::uint64_t value = le32_at(bytes, offset) | std::uint64_t(le32_at(bytes, offset + 4))
                                                           << 32;
  return static_cast<std::int64_t>(value);
}

std::map<std::string, std::string> key_file_fields(const std::string &text) {
  std::map<std::string, std::string> fields;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == '#') continue;
    const std::size_t colon = line.find(": ");
    if (colon == std::string::npos) continue;
    fields[line.substr(0, colon)] = line.substr(colon + 2);
  }
  return fields;
}

}  // namespace host_test
