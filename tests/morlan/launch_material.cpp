#include "launch_material.h"

#include <cctype>
#include <stdexcept>
#include <utility>

#include "launch_token_keys.h"
#include "support/oracle.h"

namespace morlan_test {

using namespace folio_test;

namespace {

void putLe32(Bytes &bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.at(at + i) = static_cast<unsigned char>(value >> (8 * i));
}

}  // namespace

Bytes tokenKey() { return bytes_of(FOLIO_TOKEN_KEY); }

Bytes tokenNonce() { return slice(bytes_of(FOLIO_TOKEN_NONCE), 0, 8); }

std::string tokenFor(const std::string &text, bool lower) {
  std::string digits = to_hex(oracle::aes_ctr(tokenKey(), tokenNonce(), 0, bytes_of(text)));
  if (!lower)
    for (char &digit : digits) digit = static_cast<char>(std::toupper(static_cast<unsigned char>(digit)));
  return digits;
}

std::string tokenTextFor(const Bytes &key, const std::string &field) {
  std::string digits = to_hex(key);
  for (std::size_t i = 0; i < digits.size(); i += 2)
    digits[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(digits[i])));
  return field + " " + digits;
}

// The protected document header's layout, which video header blocks share.
Bytes headerBlockWithNonce(const Bytes &nonce) {
  if (nonce.size() != 8) throw std::invalid_argument("a nonce is 8 bytes");
  Bytes block(512, 0);
  const std::string magic = "tesmir";
  std::copy(magic.begin(), magic.end(), block.begin());
  putLe32(block, 8, 0x01000001u);   // version
  putLe32(block, 40, 0x00400001u);  // marker
  std::copy(nonce.begin(), nonce.end(), block.begin() + 96);
  putLe32(block, 508, oracle::crc32(block.data(), 508));
  return block;
}

// CRC-32 is affine over GF(2): the CRC with 32 chosen bits b is
// crc(base) ^ sum(b_i * delta_i). Solving sum(b_i * delta_i) = crc(base)
// by elimination makes the CRC zero.
Bytes headerPrefixWithZeroCrc(const Bytes &nonce, std::size_t freeAt) {
  Bytes block = headerBlockWithNonce(nonce);
  block.resize(508);
  for (std::size_t i = 0; i < 4; ++i) block.at(freeAt + i) = 0;
  const auto crc = [&](const Bytes &bytes) { return oracle::crc32(bytes.data(), bytes.size()); };
  const std::uint32_t base = crc(block);
  std::uint32_t rows[32];   // the delta of each free bit
  std::uint32_t picks[32];  // which free bits make up each row
  for (int bit = 0; bit < 32; ++bit) {
    Bytes flipped = block;
    flipped[freeAt + bit / 8] ^= static_cast<unsigned char>(1u << (bit % 8));
    rows[bit] = crc(flipped) ^ base;
    picks[bit] = 1u << bit;
  }
  std::uint32_t target = base, chosen = 0;
  for (int column = 31, row = 0; column >= 0; --column) {
    int pivot = row;
    while (pivot < 32 && !(rows[pivot] >> column & 1u)) ++pivot;
    if (pivot == 32) continue;
    std::swap(rows[pivot], rows[row]);
    std::swap(picks[pivot], picks[row]);
    for (int other = 0; other < 32; ++other)
      if (other != row && (rows[other] >> column & 1u)) {
        rows[other] ^= rows[row];
        picks[other] ^= picks[row];
      }
    if (target >> column & 1u) {
      target ^= rows[row];
      chosen ^= picks[row];
    }
    ++row;
  }
  if (target != 0) throw std::logic_error("no four bytes give a zero CRC");
  for (int bit = 0; bit < 32; ++bit)
    if (chosen >> bit & 1u) block[freeAt + bit / 8] ^= static_cast<unsigned char>(1u << (bit % 8));
  if (crc(block) != 0) throw std::logic_error("the CRC did not come out zero");
  return block;
}

std::string headerArgumentFor(const Bytes &block) {
  return oracle::base64(oracle::aes_ctr(tokenKey(), tokenNonce(), 0, block));
}

}  // namespace morlan_test
