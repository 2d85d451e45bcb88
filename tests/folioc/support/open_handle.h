// A cipher handle opened through the public API and released when the test
// leaves its scope, so no test leaves a number taken in the process-wide
// table for the tests that run after it.
#ifndef FOLIOC_TESTS_OPEN_HANDLE_H
#define FOLIOC_TESTS_OPEN_HANDLE_H

#include "folioc.h"
#include "support/test_bytes.h"

namespace folioc_test {

class OpenHandle {
 public:
  OpenHandle(const folio_test::Bytes &key, const unsigned char *nonce)
      : handle_(FoliocInit(key.data(), static_cast<int>(key.size()), nonce)) {}
  ~OpenHandle() {
    if (handle_ > 0) (void)FoliocClean(handle_);
  }
  OpenHandle(const OpenHandle &) = delete;
  OpenHandle &operator=(const OpenHandle &) = delete;

  int get() const { return handle_; }
  // Releases now; FoliocClean's result.
  int release() {
    const int handle = handle_;
    handle_ = DOC_ERR_FAIL;
    return FoliocClean(handle);
  }

 private:
  int handle_;
};

}  // namespace folioc_test

#endif
