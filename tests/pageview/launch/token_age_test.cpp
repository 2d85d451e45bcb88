// Short-lived launch tokens: the issuing time in the token text's leading
// field against the maximum age a deployment builds the viewer with.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "pageview/launch/token_age.h"

namespace {

using pageview::TokenAge;

constexpr std::int64_t kNow = 1765200000;  // 2025-12-08

std::string issuedAt(std::int64_t seconds) {
  char field[12];
  std::snprintf(field, sizeof field, "1%010lld", static_cast<long long>(seconds % 10000000000));
  return field;
}

struct AgeCase {
  const char *name;
  std::string field;
  std::int64_t now;
  std::int64_t maxAge;
  TokenAge expected;
};

class TokenAgeCheck : public ::testing::TestWithParam<AgeCase> {};

INSTANTIATE_TEST_SUITE_P(
    Cases, TokenAgeCheck,
    ::testing::Values(
        // Off: the field is not read, so tokens from other hosts keep working.
        AgeCase{"OffAcceptsAnyField", "lead-field!", kNow, 0, TokenAge::accepted},
        AgeCase{"OffAcceptsOldTokens", issuedAt(kNow - 86400 * 365), kNow, 0, TokenAge::accepted},
        AgeCase{"Fresh", issuedAt(kNow - 10), kNow, 60, TokenAge::accepted},
        AgeCase{"ExactlyTheAge", issuedAt(kNow - 60), kNow, 60, TokenAge::accepted},
        AgeCase{"OneSecondTooOld", issuedAt(kNow - 61), kNow, 60, TokenAge::expired},
        AgeCase{"AheadWithinTheSkew", issuedAt(kNow + 60), kNow, 60, TokenAge::accepted},
        AgeCase{"AheadBeyondTheSkew", issuedAt(kNow + 61), kNow, 60, TokenAge::fromTheFuture},
        AgeCase{"NotATime", "lead-field!", kNow, 60, TokenAge::noIssuingTime},
        AgeCase{"OtherLayout", "2" + issuedAt(kNow).substr(1), kNow, 60, TokenAge::noIssuingTime},
        AgeCase{"DigitMissing", "1176520000 ", kNow, 60, TokenAge::noIssuingTime},
        // The field keeps the last 10 digits: across their wrap the age holds.
        AgeCase{"AcrossTheWrap", issuedAt(9999999990), 10000000005, 60, TokenAge::accepted},
        AgeCase{"ExpiredAcrossTheWrap", issuedAt(9999999000), 10000000005, 60,
                TokenAge::expired}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_P(TokenAgeCheck, AcceptsOnlyTokensWithinTheAge) {
  const AgeCase &c = GetParam();
  EXPECT_EQ(pageview::checkTokenAge(c.field.data(), c.field.size(), c.now, c.maxAge), c.expected);
}

TEST(TokenAgeCheck, ShortFieldHasNoIssuingTime) {
  EXPECT_EQ(pageview::checkTokenAge("1176", 4, kNow, 60), TokenAge::noIssuingTime);
  EXPECT_EQ(pageview::checkTokenAge(nullptr, 0, kNow, 60), TokenAge::noIssuingTime);
}

// Built without an age, as by default: nothing is refused for its age.
TEST(TokenAgeCheck, DefaultBuildHasNoMaximumAge) { EXPECT_EQ(pageview::builtInMaxTokenAge(), 0); }

}  // namespace
