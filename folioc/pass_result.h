// Turning the outcome of a file pass into a result code.
#ifndef FOLIOC_PASS_RESULT_H
#define FOLIOC_PASS_RESULT_H

#include "file_pass.h"
#include "folioc.h"

namespace folioc {

// DOC_OK for a completed pass; otherwise the code for what stopped it, with
// the caller's own code for a chunk that could not be ciphered.
inline int pass_code(const PassResult &pass, int cipher_failure) {
  switch (pass.status) {
    case PassStatus::completed: return DOC_OK;
    case PassStatus::cipher_failed: return cipher_failure;
    case PassStatus::read_failed: return DOC_ERR_READ;
    case PassStatus::write_failed: return DOC_ERR_WRITE;
  }
  return DOC_ERR_FAIL;
}

}  // namespace folioc

#endif
