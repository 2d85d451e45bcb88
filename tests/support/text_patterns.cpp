#include "support/text_patterns.h"

#include <regex>

namespace folio_test {

bool matches_whole(const std::string &text, const std::string &pattern) {
  return std::regex_match(text, std::regex(pattern));
}

std::string replace_matches(const std::string &text, const std::string &pattern,
                            const std::string &replacement) {
  return std::regex_replace(text, std::regex(pattern), replacement);
}

}  // namespace folio_test
