// Base64 decoding of arbitrary text: the size query and the decode must
// agree, and no input may read or write outside its buffers.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "base64.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  if (size > 1 << 16) return 0;
  const char *text = reinterpret_cast<const char *>(data);
  const int length = static_cast<int>(size);

  int needed = -1;
  const int query = base64_decode(text, length, nullptr, 0, &needed);
  if (query != B64_OK) return 0;  // a length that is not a multiple of 4
  if (needed < 0) std::abort();

  // Exactly the reported size must be enough; one byte less must not be.
  std::vector<unsigned char> out(needed > 0 ? static_cast<std::size_t>(needed) : 1);  // exact, so an overrun shows
  int written = -1;
  if (base64_decode(text, length, out.data(), needed, &written) != B64_OK || written != needed)
    std::abort();
  if (needed > 0 && base64_decode(text, length, out.data(), needed - 1, &written) != B64_ERR_CAPACITY)
    std::abort();

  // Whatever the text was, its decoded bytes survive an encode and decode.
  if (needed == 0) return 0;
  int text_length = -1;
  if (base64_encode(out.data(), needed, nullptr, 0, &text_length) != B64_OK) std::abort();
  std::vector<char> again(static_cast<std::size_t>(text_length) + 1);
  std::vector<unsigned char> back(static_cast<std::size_t>(needed));
  int back_length = -1;
  if (base64_encode(out.data(), needed, again.data(), text_length + 1, &text_length) != B64_OK ||
      base64_decode(again.data(), text_length, back.data(), needed, &back_length) != B64_OK ||
      back_length != needed || !std::equal(back.begin(), back.end(), out.begin()))
    std::abort();
  return 0;
}
