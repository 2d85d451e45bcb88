// The code FileEncrypt and FileDecrypt return for a failure: the specific
// one, or DOC_ERR_FAIL for every failure in the seven-export build.
#ifndef FOLIOC_TESTS_FILE_EXPORT_CODES_H
#define FOLIOC_TESTS_FILE_EXPORT_CODES_H

#include "folioc.h"

namespace folioc_test {

constexpr int file_export_failure(int specific_code) {
#ifdef FOLIOC_SEVEN_EXPORTS
  (void)specific_code;
  return DOC_ERR_FAIL;
#else
  return specific_code;
#endif
}

}  // namespace folioc_test

#endif
