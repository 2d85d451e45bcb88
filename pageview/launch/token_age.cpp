#include "token_age.h"

namespace pageview {

namespace {

constexpr char kTokenLayout = '1';
constexpr std::size_t kTimeDigits = 10;
constexpr std::int64_t kTimeModulus = 10000000000;  // the field keeps 10 digits

}  // namespace

TokenAge checkTokenAge(const char *leadingField, std::size_t length, std::int64_t now,
                       std::int64_t maxAgeSeconds) {
  if (maxAgeSeconds <= 0) return TokenAge::accepted;
  if (!leadingField || length < 1 + kTimeDigits || leadingField[0] != kTokenLayout)
    return TokenAge::noIssuingTime;
  std::int64_t issued = 0;
  for (std::size_t i = 1; i <= kTimeDigits; ++i) {
    const char digit = leadingField[i];
    if (digit < '0' || digit > '9') return TokenAge::noIssuingTime;
    issued = issued * 10 + (digit - '0');
  }
  // The issuer keeps the last 10 digits of its time: the same for ours.
  const std::int64_t today = ((now % kTimeModulus) + kTimeModulus) % kTimeModulus;
  std::int64_t age = today - issued;
  if (age < -kTimeModulus / 2) age += kTimeModulus;  // the field wrapped since issue
  if (age < -kTokenClockSkewSeconds) return TokenAge::fromTheFuture;
  if (age > maxAgeSeconds) return TokenAge::expired;
  return TokenAge::accepted;
}

std::int64_t builtInMaxTokenAge() { return FOLIO_VIEWER_TOKEN_MAX_AGE; }

}  // namespace pageview
