// A caller killed in the middle of a conversion leaves nothing for long:
// an interrupted Brevint (SIGTERM, SIGINT) ends its office and removes the
// office's private folder on the way out; after a kill -9 the next
// conversion removes them, with the sockets of callers that have ended.
// What callers still alive are using is left alone.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "automation/interrupts.h"
#include "support/fake_installation.h"
#include "support/files.h"
#include "support/office_fixtures.h"
#include "support/office_scratch.h"
#include "support/wait.h"
#include "tessaro.h"

namespace tessaro_test {
namespace {

using folio_test::file_exists;
using folio_test::wait_until;

// A real conversion in this process: the "next call".
void convert_once(const OfficeScratch &scratch) {
  write_report_docx(scratch.path("next.docx"), 1);
  ASSERT_EQ(ConvertOfficeFileToPdf(TESSARO_WORD, scratch.path("next.docx").c_str(),
                                   scratch.path("next.pdf").c_str()),
            TESSARO_OK);
}

class KilledCaller : public testing::TestWithParam<int> {};

// The caller is a child of this test that converts the way Brevint does,
// against an office that never answers: it is surely mid-conversion once
// that office has started.
TEST_P(KilledCaller, LeavesNoOfficeFolderOrSocketOnceTheNextCallHasRun) {
  const int signal_number = GetParam();
  OfficeScratch scratch;
  const std::string fake_root = scratch.path("office");
  make_fake_installation(fake_root, {});
  write_report_docx(scratch.path("doc.docx"), 1);

  const pid_t caller = fork();
  ASSERT_GE(caller, 0);
  if (caller == 0) {
    InstallationRootOverride override(fake_root);
    tessaro::end_offices_on_interrupt();
    ConvertOfficeFileToPdf(TESSARO_WORD, scratch.path("doc.docx").c_str(),
                           scratch.path("doc.pdf").c_str());
    _exit(0);
  }
  const bool started = wait_until([&] { return fake_office_started(fake_root); });
  kill(caller, started ? signal_number : SIGKILL);
  int status = 0;
  ASSERT_EQ(waitpid(caller, &status, 0), caller);
  ASSERT_TRUE(started) << "the caller never started its office";
  ASSERT_TRUE(WIFSIGNALED(status)) << "the caller must end by the signal";
  EXPECT_EQ(WTERMSIG(status), signal_number);

  if (signal_number == SIGKILL) {
    EXPECT_NE(scratch.leftovers(caller), "") << "nothing was left to clean up: no test";
    convert_once(scratch);
  }
  // The killed office itself may take a moment to be gone.
  EXPECT_TRUE(wait_until([&] { return scratch.leftovers(caller).empty(); }))
      << scratch.leftovers(caller);
  EXPECT_FALSE(file_exists(scratch.path("doc.pdf")));
}

INSTANTIATE_TEST_SUITE_P(Signals, KilledCaller, testing::Values(SIGKILL, SIGTERM, SIGINT),
                         [](const testing::TestParamInfo<int> &info) {
                           return std::string(info.param == SIGKILL   ? "Sigkill"
                                              : info.param == SIGTERM ? "Sigterm"
                                                                      : "Sigint");
                         });

// The id of a process that has ended.
pid_t ended_process() {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  return child;
}

TEST(EndedCallers, NextConversionRemovesTheirFoldersAndSocketsOnly) {
  OfficeScratch scratch;
  const std::string uid = std::to_string(getuid());
  const std::string ended = std::to_string(ended_process());
  const std::string alive = std::to_string(getppid());
  const std::string folders = scratch.offices_folder();
  const std::string ended_folder = folders + "/tessaro-office-" + ended + "-AbC123";
  const std::string alive_folder = folders + "/tessaro-office-" + alive + "-AbC123";
  const std::string ended_socket = "/tmp/OSL_PIPE_" + uid + "_tessaro-" + ended + "-0-AbC123";
  const std::string alive_socket = "/tmp/OSL_PIPE_" + uid + "_tessaro-" + alive + "-0-AbC123";
  for (const std::string &folder : {ended_folder, alive_folder}) {
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    ASSERT_EQ(mkdir((folder + "/tmp").c_str(), 0700), 0);
    folio_test::write_file(folder + "/tmp/workbook copy.xlsx", folio_test::Bytes(100, 1));
  }
  for (const std::string &socket : {ended_socket, alive_socket})
    folio_test::write_file(socket, {});

  convert_once(scratch);

  EXPECT_FALSE(file_exists(ended_folder));
  EXPECT_FALSE(file_exists(ended_socket));
  EXPECT_TRUE(file_exists(alive_folder + "/tmp/workbook copy.xlsx"));
  EXPECT_TRUE(file_exists(alive_socket));
  unlink(alive_socket.c_str());
}

}  // namespace
}  // namespace tessaro_test
