#include "launch_keys.h"

#include <climits>
#include <cstring>

#include "folioc_binding.h"
#include "hex_digits.h"
#include "launch_token_keys.h"
#include "platform/secret_arguments.h"

namespace morlan {

namespace {

constexpr int kTokenBufferBytes = 128;
static_assert(kMaxTokenDigits == 2 * (kTokenBufferBytes - 1));

// One token-key context, released on every way out.
class TokenKeyContext {
 public:
  TokenKeyContext()
      : handle_(folioc().init(builtInTokenKey(), kContentKeyBytes, builtInTokenNonce())) {}
  ~TokenKeyContext() {
    if (open()) folioc().clean(handle_);
  }
  TokenKeyContext(const TokenKeyContext &) = delete;
  TokenKeyContext &operator=(const TokenKeyContext &) = delete;

  bool open() const { return handle_ != -1; }
  bool decipher(unsigned char *data, std::size_t length) const {
    return folioc().decrypt(handle_, data, length, 0) == 0;
  }

 private:
  int handle_;
};

// The deciphered token text, wiped on every way out.
class TokenText {
 public:
  TokenText() = default;
  ~TokenText() { wipe_secret(bytes_, sizeof bytes_); }
  TokenText(const TokenText &) = delete;
  TokenText &operator=(const TokenText &) = delete;
  unsigned char *data() { return bytes_; }

 private:
  unsigned char bytes_[kTokenBufferBytes] = {};
};

bool unwrapContentKey(const TokenKeyContext &context, const char *token, unsigned char *contentKey) {
  const std::size_t digits = std::strlen(token);
  if (digits % 2 != 0 || digits > static_cast<std::size_t>(kMaxTokenDigits)) return false;
  TokenText text;
  if (!hexToBytes(token, digits / 2, text.data())) return false;
  if (!context.decipher(text.data(), digits / 2)) return false;

  const char *space = std::strchr(reinterpret_cast<const char *>(text.data()), ' ');
  if (!space) return false;
  const char *keyDigits = space + 1;
  if (std::strlen(keyDigits) < 2 * kContentKeyBytes) return false;
  if (hexToBytes(keyDigits, kContentKeyBytes, contentKey)) return true;
  wipe_secret(contentKey, kContentKeyBytes);
  return false;
}

bool unwrapHeaderBlock(const TokenKeyContext &context, const char *text, unsigned char *block) {
  const std::size_t length = std::strlen(text);
  if (length > static_cast<std::size_t>(INT_MAX)) return false;
  int decoded = kHeaderBlockBytes;
  std::memset(block, 0, kHeaderBlockBytes);
  if (folioc().base64Decode(text, static_cast<int>(length), block, &decoded) != 0) return false;
  return context.decipher(block, static_cast<std::size_t>(decoded));
}

}  // namespace

LaunchKeys::~LaunchKeys() {
  wipe_secret(contentKey.data(), contentKey.size());
  wipe_secret(headerBlock.data(), headerBlock.size());
}

const unsigned char *builtInTokenKey() {
  static_assert(sizeof FOLIO_TOKEN_KEY == kContentKeyBytes + 1);
  return reinterpret_cast<const unsigned char *>(FOLIO_TOKEN_KEY);
}

const unsigned char *builtInTokenNonce() {
  return reinterpret_cast<const unsigned char *>(FOLIO_TOKEN_NONCE);
}

std::optional<LaunchKeys> unwrapLaunchKeys(const char *token, const char *headerBase64) {
  if (!folioc().complete()) return std::nullopt;
  const TokenKeyContext context;
  if (!context.open()) return std::nullopt;
  LaunchKeys keys;
  if (!unwrapContentKey(context, token, keys.contentKey.data())) return std::nullopt;
  if (!unwrapHeaderBlock(context, headerBase64, keys.headerBlock.data())) return std::nullopt;
  return keys;
}

}  // namespace morlan
