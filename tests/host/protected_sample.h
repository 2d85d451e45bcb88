// A plaintext protected by the tool in a scratch directory, and the checks
// every rejected command shares.
#ifndef FOLIO_TESTS_HOST_PROTECTED_SAMPLE_H
#define FOLIO_TESTS_HOST_PROTECTED_SAMPLE_H

#include <set>
#include <string>
#include <vector>

#include "host_process.h"
#include "support/scratch_dir.h"
#include "support/test_bytes.h"

namespace host_test {

struct ProtectedSample {
  folio_test::Bytes plaintext;
  std::string plain_path;
  std::string protected_path;
  std::string key_path;
  RunResult run;  // of the protect command
};

// Writes plaintext to <dir>/plain.bin and runs "protect" into <dir>/doc.folio,
// with the layout options given (none: a v1 PDF).
ProtectedSample protect_sample(const folio_test::ScratchDir &dir,
                               const folio_test::Bytes &plaintext,
                               const std::vector<std::string> &layout_options = {});

// A rejected run: exit status 1, and one line on standard error that
// starts "folio-host: <file>: " and contains reason.
void expect_rejected(const RunResult &run, const std::string &file, const std::string &reason);

}  // namespace host_test

#endif
