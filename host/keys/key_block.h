// The key block the library's document calls take: 4 unused bytes, then
// the content key. Wiped when it goes out of scope.
#ifndef FOLIO_HOST_KEY_BLOCK_H
#define FOLIO_HOST_KEY_BLOCK_H

#include <string.h>

#include <algorithm>

#include "folioc.h"
#include "keys/key_file.h"

namespace folio_host {

class KeyBlock {
 public:
  explicit KeyBlock(const KeyMaterial &material) {
    std::copy(material.key.begin(), material.key.end(), bytes_ + FOLIOC_KEY_BLOCK_KEY);
  }
  ~KeyBlock() { ::explicit_bzero(bytes_, sizeof bytes_); }
  KeyBlock(const KeyBlock &) = delete;
  KeyBlock &operator=(const KeyBlock &) = delete;
  const unsigned char *get() const { return bytes_; }

 private:
  unsigned char bytes_[FOLIOC_KEY_BLOCK_BYTES] = {};
};

}  // namespace folio_host

#endif
