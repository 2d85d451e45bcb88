#include "key_file_fields.h"

#include <sstream>

#include "launch_token_keys.h"
#include "support/oracle.h"
#include "support/test_bytes.h"

namespace host_test {

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

std::string token_text(const std::string &token) {
  using namespace folio_test;
  const Bytes nonce = slice(bytes_of(FOLIO_TOKEN_NONCE), 0, 8);
  const Bytes text = oracle::aes_ctr(bytes_of(FOLIO_TOKEN_KEY), nonce, 0, from_hex(token));
  return std::string(text.begin(), text.end());
}

}  // namespace host_test
