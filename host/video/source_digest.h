// The MD5 digest of a file, taken on a helper thread while the main thread
// works on the same file (mostly from the page cache by then).
#ifndef FOLIO_HOST_SOURCE_DIGEST_H
#define FOLIO_HOST_SOURCE_DIGEST_H

#include <string>
#include <thread>

#include "crypto/md5.h"

namespace folio_host {

class SourceDigest {
 public:
  explicit SourceDigest(const std::string &path);
  ~SourceDigest();
  SourceDigest(const SourceDigest &) = delete;
  SourceDigest &operator=(const SourceDigest &) = delete;

  // Waits for the digest (lowercase hexadecimal); throws Failure naming
  // path if there is none.
  std::string get(const std::string &path);

 private:
  void wait();

  Md5FileResult result_ = Md5FileResult::read_failed;
  char text_[kMd5TextBytes] = {};
  std::thread thread_;
};

}  // namespace folio_host

#endif
