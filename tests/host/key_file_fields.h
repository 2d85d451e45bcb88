// Reading the key files folio-host writes, independently of the tool.
#ifndef FOLIO_TESTS_HOST_KEY_FILE_FIELDS_H
#define FOLIO_TESTS_HOST_KEY_FILE_FIELDS_H

#include <map>
#include <string>

namespace host_test {

// "name: value" lines of a key file, comments left out.
std::map<std::string, std::string> key_file_fields(const std::string &text);

// The text of a launch token (150 hexadecimal digits), deciphered with
// OpenSSL under the viewers' built-in token key.
std::string token_text(const std::string &token);

}  // namespace host_test

#endif
