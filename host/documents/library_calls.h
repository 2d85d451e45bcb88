// The document library's calls as the commands make them: a cipher handle
// released on every path out, and a failing result turned into a Failure
// naming the file at fault.
#ifndef FOLIO_HOST_LIBRARY_CALLS_H
#define FOLIO_HOST_LIBRARY_CALLS_H

#include <string>

#include "commands/messages.h"
#include "folioc.h"
#include "keys/key_file.h"
#include "output/atomic_output.h"
#include "output/input_file.h"

namespace folio_host {

class CipherHandle {
 public:
  CipherHandle(const KeyMaterial &material, const std::string &path)
      : handle_(FoliocInit(material.key.data(), static_cast<int>(material.key.size()),
                           material.nonce.data())) {
    if (handle_ < 0)
      throw Failure(path, std::string("no cipher handle: ") + FoliocResultText(handle_));
  }
  ~CipherHandle() { (void)FoliocClean(handle_); }
  CipherHandle(const CipherHandle &) = delete;
  CipherHandle &operator=(const CipherHandle &) = delete;
  int get() const { return handle_; }

 private:
  int handle_;
};

// A write failure is the output's; every other failure the input's.
inline void throw_for_code(int code, const InputFile &input, const PendingOutput &output) {
  if (code == DOC_ERR_WRITE) throw Failure(output.destination(), FoliocResultText(code));
  if (code != DOC_OK) throw Failure(input.name(), FoliocResultText(code));
}

}  // namespace folio_host

#endif
