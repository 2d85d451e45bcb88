// Comparing the pictures of two decodes by their digests: a vector of
// digests prints unreadably, so a mismatch is reported by count and the
// first picture that differs.
#ifndef FOLIO_TESTS_SUPPORT_MEDIA_SAME_PICTURES_H
#define FOLIO_TESTS_SUPPORT_MEDIA_SAME_PICTURES_H

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace folio_test::media {

// Success when actual starts with every one of expected (at least one) and
// has at most extra_allowed pictures more.
inline ::testing::AssertionResult same_pictures(const std::vector<std::string> &actual,
                                                const std::vector<std::string> &expected,
                                                std::size_t extra_allowed = 0) {
  if (!expected.empty() && actual.size() >= expected.size() &&
      actual.size() <= expected.size() + extra_allowed &&
      std::equal(expected.begin(), expected.end(), actual.begin()))
    return ::testing::AssertionSuccess();
  std::size_t first = 0;
  while (first < actual.size() && first < expected.size() && actual[first] == expected[first]) ++first;
  return ::testing::AssertionFailure() << actual.size() << " pictures instead of " << expected.size()
                                       << ", first difference at picture " << first;
}

}  // namespace folio_test::media

#endif
