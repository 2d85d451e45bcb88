// A running viewer keeps its memory to itself: it has made itself not
// dumpable, so that no core file of it is written (its core size limit is
// 0 as well) and no other process of the same user may attach to it or
// open its memory. Checked from outside on the running programs, each run
// as an unprivileged user (65534 when the tests run as root) beside a
// plain program run the same way, which shows what the checks see for a
// process that has not hardened itself.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include "proc_view.h"
#include "protected_inputs.h"
#include "support/wait.h"
#include "viewer_process.h"
#include "viewer_runs.h"

namespace hardening_test {
namespace {

using folio_test::ScratchDir;

uid_t runUser() { return unprivilegedUser().value_or(::geteuid()); }

// The "Max core file size" soft limit of /proc/<pid>/limits, as printed.
std::string coreSizeLimit(pid_t pid) {
  std::ifstream limits("/proc/" + std::to_string(pid) + "/limits");
  for (std::string line; std::getline(limits, line);)
    if (line.rfind("Max core file size", 0) == 0) {
      std::istringstream fields(line.substr(18));
      std::string soft;
      fields >> soft;
      return soft;
    }
  return {};
}

class NotDumpable : public ::testing::Test {
 protected:
  void SetUp() override {
    if (runUser() == 0) GTEST_SKIP() << "no unprivileged user to run the viewers as";
    // The reference: a process that did nothing to itself, run alike.
    reference_ = std::make_unique<ChildProcess>(
        ProcessLaunch{{"/bin/sleep", "600"}, {}, unprivilegedUser()});
    ASSERT_TRUE(folio_test::wait_until([&] {
      const std::vector<std::string> words = commandLineWords(reference_->pid());
      return !words.empty() && words[0] == "/bin/sleep";
    }));
    ASSERT_EQ(procOwner(reference_->pid()), runUser())
        << "a dumpable process's /proc entries are its user's";
    referenceMemoryOpenable_ = memoryOpenableBy(reference_->pid(), unprivilegedUser());
  }

  // What the checks see of a running viewer.
  void expectHardened(ChildProcess &viewer) {
    EXPECT_EQ(procOwner(viewer.pid()), 0u)
        << "a process that made itself not dumpable has its /proc entries owned by root";
    EXPECT_EQ(coreSizeLimit(viewer.pid()), "0");
    if (referenceMemoryOpenable_)
      EXPECT_FALSE(memoryOpenableBy(viewer.pid(), unprivilegedUser()))
          << "a process of the same user opened the viewer's memory";
    else
      std::cout << "[ NOTE     ] same-user attaching is restricted here anyway (Yama); "
                   "the memory check proves nothing\n";
  }

  ScratchDir dir;
  std::unique_ptr<ChildProcess> reference_;
  bool referenceMemoryOpenable_ = false;
};

TEST_F(NotDumpable, Pageview) {
  ViewerHome home(dir, "pageview", unprivilegedUser());
  const ProtectedInput pdf = protectedPdf(dir);
  openToEveryone(dir, {pdf.path});
  std::vector<std::string> command = pageviewArguments(pdf, "pdf", true);
  command.insert(command.begin(), pageviewProgram());
  ChildProcess viewer({command, pageviewEnvironment(home), unprivilegedUser()});
  viewer.sendInput(pdf.token + "\n");
  ASSERT_TRUE(waitForPage(viewer)) << viewer.output();
  expectHardened(viewer);
  viewer.stop();
}

TEST_F(NotDumpable, Morlan) {
  std::string why;
  std::unique_ptr<PlayerScreen> screen = startPlayerScreen(dir, why);
  if (!screen) GTEST_SKIP() << why;
  ViewerHome home(dir, "morlan", unprivilegedUser());
  const ProtectedInput clip = protectedClip(dir, 20);
  openToEveryone(dir, {clip.path});
  ChildProcess player({{morlanProgram(), clip.path, "-", "-"}, morlanEnvironment(home, *screen),
                       unprivilegedUser()});
  player.sendInput(clip.token + "\n" + clip.header + "\n");
  ASSERT_TRUE(waitForPlayerWindow(*screen, clip.path, player)) << player.output();
  expectHardened(player);
  player.stop();
}

}  // namespace
}  // namespace hardening_test
