// Short-lived launch tokens, when a deployment asks for them: the token
// text's leading field, as folio-host writes it, is "1" followed by the
// Unix time of issue in seconds as 10 decimal digits. A viewer built with a
// maximum token age (FOLIO_VIEWER_TOKEN_MAX_AGE, seconds) refuses tokens
// older than that, issued in the future beyond a small clock skew, or
// without an issuing time. Built without one (the default), the field is
// not read at all and tokens from any host keep working.
#ifndef PAGEVIEW_LAUNCH_TOKEN_AGE_H
#define PAGEVIEW_LAUNCH_TOKEN_AGE_H

#include <cstddef>
#include <cstdint>

namespace pageview {

// Clocks of the host and the viewer's machine may differ by this much.
constexpr std::int64_t kTokenClockSkewSeconds = 60;

enum class TokenAge { accepted, expired, fromTheFuture, noIssuingTime };

// Checks the leading field (leadingField, length bytes: the first 11 of the
// token text) against now (Unix seconds). maxAgeSeconds 0: every token is
// accepted without looking at the field.
TokenAge checkTokenAge(const char *leadingField, std::size_t length, std::int64_t now,
                       std::int64_t maxAgeSeconds);

// The maximum token age this viewer was built with; 0 when off.
std::int64_t builtInMaxTokenAge();

}  // namespace pageview

#endif
