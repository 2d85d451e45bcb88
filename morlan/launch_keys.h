// The key material a host hands the player on its command line: the launch
// token (hexadecimal, enciphered "<field> <64 key digits>" text) and the
// video's header block (Base64 of at most 512 enciphered bytes), both
// deciphered from stream position 0 under the built-in token key.
#ifndef MORLAN_LAUNCH_KEYS_H
#define MORLAN_LAUNCH_KEYS_H

#include <array>
#include <optional>

namespace morlan {

constexpr int kContentKeyBytes = 32;
constexpr int kHeaderBlockBytes = 512;
// The token buffer is 128 bytes and its last byte always stays a NUL.
constexpr int kMaxTokenDigits = 254;

struct LaunchKeys {
  std::array<unsigned char, kContentKeyBytes> contentKey{};
  // Decoded bytes followed by zeros, whatever the decoded length.
  std::array<unsigned char, kHeaderBlockBytes> headerBlock{};

  LaunchKeys() = default;
  LaunchKeys(const LaunchKeys &) = default;
  LaunchKeys &operator=(const LaunchKeys &) = default;
  // The key does not linger in freed memory.
  ~LaunchKeys();
};

// The built-in token key (32 bytes as they stand) and nonce (16 characters
// of which the cipher context uses the first 8).
const unsigned char *builtInTokenKey();
const unsigned char *builtInTokenNonce();

// Nothing when the token key cannot be opened, the token is odd, longer
// than kMaxTokenDigits or not hexadecimal, its text has no space or fewer
// than 64 hexadecimal digits after the first one, or the header text is
// not Base64 of at most 512 bytes.
std::optional<LaunchKeys> unwrapLaunchKeys(const char *token, const char *headerBase64);

}  // namespace morlan

#endif
