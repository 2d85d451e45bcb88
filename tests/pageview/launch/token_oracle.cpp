#include "token_oracle.h"

#include <cctype>
#include <stdexcept>

#include "launch_token_keys.h"
#include "support/oracle.h"

using namespace folio_test;

namespace launch_test {

namespace {

Bytes tokenKey() { return bytes_of(FOLIO_TOKEN_KEY); }

// Counter mode takes the first 8 of the 16 nonce characters.
Bytes tokenNonce() { return slice(bytes_of(FOLIO_TOKEN_NONCE), 0, 8); }

}  // namespace

std::string oracleToken(const std::string &tokenText) {
  if (tokenText.size() != 75) throw std::invalid_argument("a token text is 75 bytes");
  std::string digits = to_hex(oracle::aes_ctr(tokenKey(), tokenNonce(), 0, bytes_of(tokenText)));
  for (char &digit : digits) digit = static_cast<char>(std::toupper(static_cast<unsigned char>(digit)));
  return digits;
}

std::string oracleTokenText(const std::string &token) {
  const Bytes text = oracle::aes_ctr(tokenKey(), tokenNonce(), 0, from_hex(token));
  return std::string(text.begin(), text.end());
}

std::string tokenTextFor(const std::string &leadingField, const Bytes &key) {
  if (leadingField.size() != 11) throw std::invalid_argument("the leading field is 11 bytes");
  return leadingField + to_hex(key);
}

const std::string &sampleToken() {
  static const std::string token =
      oracleToken(tokenTextFor("T1700000000", folio_test::random_bytes(32, 40)));
  return token;
}

}  // namespace launch_test
