// Launch tokens made and read with OpenSSL (EVP aes-256-ctr) under the
// built-in token key and nonce, independently of the code under test.
#ifndef FOLIO_TESTS_PAGEVIEW_LAUNCH_TOKEN_ORACLE_H
#define FOLIO_TESTS_PAGEVIEW_LAUNCH_TOKEN_ORACLE_H

#include <string>

#include "support/test_bytes.h"

namespace launch_test {

// The 75-byte token text enciphered and written as 150 uppercase digits.
std::string oracleToken(const std::string &tokenText);

// The token text of 150 hexadecimal digits (either case).
std::string oracleTokenText(const std::string &token);

// A token text with an 11-character leading field and key as 64 lowercase
// digits.
std::string tokenTextFor(const std::string &leadingField, const folio_test::Bytes &key);

// A valid token for a fixed random key, issued at T1700000000.
const std::string &sampleToken();

}  // namespace launch_test

#endif
