// Regular expressions for tests, compiled in one place: std::regex costs
// several seconds of compile time in every file that instantiates it.
// Patterns are ECMAScript, as std::regex reads them.
#ifndef FOLIO_TESTS_SUPPORT_TEXT_PATTERNS_H
#define FOLIO_TESTS_SUPPORT_TEXT_PATTERNS_H

#include <string>

namespace folio_test {

// True when the whole of text matches pattern.
bool matches_whole(const std::string &text, const std::string &pattern);

// text with every match of pattern replaced ($1 etc. name groups).
std::string replace_matches(const std::string &text, const std::string &pattern,
                            const std::string &replacement);

}  // namespace folio_test

#endif
