// Nothing deciphered reaches the disk: pageview showing a protected PDF and
// a protected image, and Morlan playing a protected clip to its end, run
// under strace. The trace must show the protected file opened, and no file
// opened for writing, created, renamed or written apart from devices and
// the caches and settings a viewer may keep (fonts, shaders) under its
// home; and no buffer the viewer wrote anywhere (files, pipes, sockets)
// may hold a piece of the clear content.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "proc_view.h"
#include "protected_inputs.h"
#include "support/files.h"
#include "support/wait.h"
#include "syscall_trace.h"
#include "viewer_process.h"
#include "viewer_runs.h"

namespace hardening_test {
namespace {

using folio_test::ScratchDir;
using ::testing::IsEmpty;

bool openedForReading(const std::vector<TracedCall> &calls, const std::string &path) {
  for (const TracedCall &call : calls)
    if ((call.name == "openat" || call.name == "open") && call.succeeded() &&
        resultPath(call) == path && call.args.find("O_RDONLY") != std::string::npos)
      return true;
  return false;
}

void endTracedProgram(ChildProcess &strace, const std::string &program) {
  for (pid_t child : childrenOf(strace.pid())) {
    const std::vector<std::string> words = commandLineWords(child);
    if (!words.empty() && words[0] == program) ::kill(child, SIGTERM);
  }
  EXPECT_TRUE(strace.waitForExit(folio_test::kGenerousDeadline)) << "strace did not end with the viewer";
  strace.stop();
}

class NoPlaintextOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    ChildProcess probe({{"/bin/sh", "-c", "strace -f -o /dev/null true"}, {}});
    if (probe.waitForExit(folio_test::kGenerousDeadline) != 0)
      GTEST_SKIP() << "strace cannot trace processes here (missing, or ptrace is not permitted)";
  }

  // The viewer's command under strace, its log in the scratch directory.
  std::vector<std::string> traced(const std::vector<std::string> &command) {
    std::vector<std::string> full = straceCommand(log);
    full.insert(full.end(), command.begin(), command.end());
    full[0] = "/usr/bin/strace";
    return full;
  }

  Environment tracedEnvironment(Environment environment) {
    // LeakSanitizer cannot work under ptrace.
    const char *asan = std::getenv("ASAN_OPTIONS");
    environment["ASAN_OPTIONS"] = std::string(asan ? asan : "") + ":detect_leaks=0";
    return environment;
  }

  void checkTrace(const ProtectedInput &input, const ViewerHome &home) {
    const std::string text = folio_test::read_text(log);
    const std::vector<TracedCall> calls = tracedCalls(text);
    RecordProperty("trace_bytes", std::to_string(text.size()));
    RecordProperty("traced_calls", std::to_string(calls.size()));
    EXPECT_TRUE(openedForReading(calls, input.path)) << "the trace does not show the viewer at work";
    EXPECT_GT(writtenBufferCount(calls), 0u) << "the trace shows no writes at all";
    ASSERT_FALSE(input.markers.empty());
    EXPECT_THAT(diskWrites(calls, allowDevicesAnd(home.writableRoots())), IsEmpty());
    EXPECT_THAT(markedWrites(calls, input.markers), IsEmpty());
  }

  // pageview under strace until it has shown the first page, then ended.
  void tracePageview(const ProtectedInput &input, const std::string &kind) {
    ViewerHome home(dir, "pageview-" + kind);
    std::vector<std::string> command = pageviewArguments(input, kind, true);
    command.insert(command.begin(), pageviewProgram());
    ChildProcess strace({traced(command), tracedEnvironment(pageviewEnvironment(home))});
    strace.sendInput(input.token + "\n");
    ASSERT_TRUE(waitForPage(strace)) << strace.output();
    // Ended as a user closing it would not: at once, by a signal to the
    // viewer itself; strace then ends with it, its log complete.
    endTracedProgram(strace, pageviewProgram());
    checkTrace(input, home);
  }

  ScratchDir dir;
  const std::string log = dir.path("strace.log");
};

// The checks see a program that does write clear content: dd copying the
// clear document, traced the same way.
TEST_F(NoPlaintextOnDisk, TheChecksCatchAProgramWritingClearContent) {
  ViewerHome home(dir, "dd");
  const ProtectedInput pdf = protectedPdf(dir);
  const std::string clear = dir.path("clear.pdf");
  folio_test::write_file(clear, pdf.clear);
  ChildProcess strace({traced({"/bin/dd", "if=" + clear, "of=" + dir.path("copy.pdf"), "bs=512"}),
                       home.environment()});
  strace.closeInput();
  ASSERT_EQ(strace.waitForExit(folio_test::kGenerousDeadline), 0) << strace.output();
  const std::vector<TracedCall> calls = tracedCalls(folio_test::read_text(log));
  EXPECT_THAT(diskWrites(calls, allowDevicesAnd(home.writableRoots())),
              ::testing::Contains(::testing::HasSubstr("copy.pdf")));
  EXPECT_THAT(markedWrites(calls, pdf.markers), ::testing::Not(IsEmpty()));
}

TEST_F(NoPlaintextOnDisk, PageviewShowingAProtectedPdf) { tracePageview(protectedPdf(dir), "pdf"); }

TEST_F(NoPlaintextOnDisk, PageviewShowingAProtectedImage) {
  tracePageview(protectedImage(dir), "image");
}

TEST_F(NoPlaintextOnDisk, MorlanPlayingAProtectedClipToItsEnd) {
  std::string why;
  std::unique_ptr<PlayerScreen> screen = startPlayerScreen(dir, why);
  if (!screen) GTEST_SKIP() << why;
  ViewerHome home(dir, "morlan");
  const ProtectedInput clip = protectedClip(dir, 4);
  ASSERT_FALSE(clip.markers.empty()) << "the clip has no enciphered packets";
  ChildProcess strace({traced({morlanProgram(), clip.path, "-", "-"}),
                       tracedEnvironment(morlanEnvironment(home, *screen))});
  strace.sendInput(clip.token + "\n" + clip.header + "\n");
  ASSERT_TRUE(waitForPlayerWindow(*screen, clip.path, strace)) << strace.output();
  // The clip plays to its end; the player then closes and exits 0.
  EXPECT_EQ(strace.waitForExit(std::chrono::seconds(120)), 0) << strace.output();
  EXPECT_EQ(strace.output().find("fail"), std::string::npos) << strace.output();
  checkTrace(clip, home);
}

}  // namespace
}  // namespace hardening_test
