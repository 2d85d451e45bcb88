#include "protected_sample.h"

#include <gtest/gtest.h>

#include "support/files.h"

using namespace folio_test;

namespace host_test {

ProtectedSample protect_sample(const ScratchDir &dir, const Bytes &plaintext,
                               const std::vector<std::string> &layout_options) {
  ProtectedSample sample;
  sample.plaintext = plaintext;
  sample.plain_path = dir.path("plain.bin");
  sample.protected_path = dir.path("doc.folio");
  sample.key_path = sample.protected_path + ".key";
  write_file(sample.plain_path, plaintext);
  std::vector<std::string> arguments = {"protect", sample.plain_path, sample.protected_path};
  arguments.insert(arguments.end(), layout_options.begin(), layout_options.end());
  sample.run = run_host(arguments);
  EXPECT_EQ(sample.run.exit_code, 0) << sample.run.err;
  return sample;
}

void expect_rejected(const RunResult &run, const std::string &file, const std::string &reason) {
  EXPECT_EQ(run.exit_code, 1);
  const std::string prefix = "folio-host: " + file + ": ";
  EXPECT_EQ(run.err.compare(0, prefix.size(), prefix), 0) << run.err;
  EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "not one line: " << run.err;
  EXPECT_EQ(run.out, "");
}

}  // namespace host_test
