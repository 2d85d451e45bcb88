// open starts the viewer with the seven arguments of a protected file, as a
// direct child, the launch token on its standard input rather than on its
// command line: checked with a stand-in viewer that records what it was
// given and how it was chosen, and with the real viewer on a virtual screen.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "host_process.h"
#include "key_file_fields.h"
#include "launch_token_keys.h"
#include "protected_sample.h"
#include "recording_program.h"
#include "scoped_environment.h"
#include "support/files.h"
#include "support/oracle.h"
#include "support/test_bytes.h"
#include "support/text_patterns.h"
#include "support/wait.h"
#include "document_layouts.h"
#include "world_writable_scratch_dir.h"

using namespace folio_test;

namespace host_test {
namespace {

// True while a child of parent runs program (its command line starts with
// the program's path).
bool child_runs(pid_t parent, const std::string &program) {
  const std::string prefix = program + '\0';
  for (const auto &process : std::filesystem::directory_iterator("/proc")) {
    const std::string entry = process.path().filename().string();
    if (entry.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat("/proc/" + entry + "/stat");
    std::string line;
    std::getline(stat, line);
    // "pid (name) state ppid ...": the name may hold spaces, so read past its ')'.
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos) continue;
    char state = 0;
    long ppid = 0;
    if (std::sscanf(line.c_str() + close + 1, " %c %ld", &state, &ppid) != 2 || ppid != parent)
      continue;
    std::ifstream cmdline("/proc/" + entry + "/cmdline", std::ios::binary);
    const std::string command{std::istreambuf_iterator<char>(cmdline), std::istreambuf_iterator<char>()};
    if (command.compare(0, prefix.size(), prefix) == 0) return true;
  }
  return false;
}

class OpenArguments : public testing::TestWithParam<Layout> {};

TEST_P(OpenArguments, AreTheSevenViewerArgumentsWithAWorkingTokenOnStandardInput) {
  WorldWritableScratchDir dir;
  const ProtectedSample sample = protect_sample(dir, random_bytes(3000, 500), GetParam().options);
  const std::string record = dir.path("argv");
  const std::string viewer = write_recording_program(dir, "viewer", record);
  const std::string watermark = "demo@example.com \xe2\x80\x94 Abt. 4";
  const RunResult run = run_host({"open", sample.protected_path, "--key-file", sample.key_path,
                                  "--watermark", watermark, "--viewer", viewer});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.err, "");

  const std::vector<std::string> argv = recorded_arguments(record);
  ASSERT_EQ(argv.size(), 8u) << "the program name and seven arguments";
  const auto fields = key_file_fields(read_text(sample.key_path));
  EXPECT_EQ(argv[1], sample.protected_path);
  EXPECT_EQ(argv[2], "-") << "no token on the viewer's command line";
  const std::vector<std::string> input = recorded_input_lines(record);
  ASSERT_EQ(input.size(), 1u) << "the token, one line";
  ASSERT_TRUE(folio_test::matches_whole(input[0], "[0-9A-F]{150}")) << input[0];
  EXPECT_EQ(token_text(input[0]).substr(11), fields.at("key"))
      << "the token must carry the key file's key";
  EXPECT_EQ(argv[3], fields.at("nonce"));
  EXPECT_EQ(argv[4], GetParam().variant);
  EXPECT_EQ(argv[5], GetParam().kind);
  EXPECT_EQ(argv[6], watermark);
  EXPECT_EQ(argv[7], "-");
}

TEST_P(OpenArguments, WithoutWatermarkTheSixthIsEmpty) {
  WorldWritableScratchDir dir;
  const ProtectedSample sample = protect_sample(dir, random_bytes(500, 501), GetParam().options);
  const std::string record = dir.path("argv");
  const std::string viewer = write_recording_program(dir, "viewer", record);
  const RunResult run =
      run_host({"open", sample.protected_path, "--key-file", sample.key_path, "--viewer", viewer});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  const std::vector<std::string> argv = recorded_arguments(record);
  ASSERT_EQ(argv.size(), 8u);
  EXPECT_EQ(argv[6], "");
  EXPECT_EQ(argv[7], "-");
}

INSTANTIATE_TEST_SUITE_P(Layouts, OpenArguments, testing::ValuesIn(kLayouts),
                         [](const testing::TestParamInfo<Layout> &info) {
                           return std::string(info.param.name);
                         });

class OpenViewerChoice : public testing::Test {
 protected:
  OpenViewerChoice() : sample_(protect_sample(dir_, random_bytes(400, 502))) {}
  RunResult open(const std::vector<std::string> &more = {}) {
    std::vector<std::string> arguments = {"open", sample_.protected_path, "--key-file",
                                          sample_.key_path};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return run_host(arguments);
  }
  WorldWritableScratchDir dir_;
  ProtectedSample sample_;
};

TEST_F(OpenViewerChoice, OptionWinsOverTheEnvironment) {
  const std::string by_option =
      write_recording_program(dir_, "by-option", dir_.path("option.argv"));
  const std::string by_environment =
      write_recording_program(dir_, "by-environment", dir_.path("environment.argv"));
  const ScopedEnvironment environment("FOLIO_PAGEVIEW", by_environment.c_str());
  const RunResult run = open({"--viewer", by_option});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(recorded_arguments(dir_.path("option.argv")).at(0), by_option);
  EXPECT_FALSE(file_exists(dir_.path("environment.argv")));
}

TEST_F(OpenViewerChoice, EnvironmentWinsOverTheBuiltViewer) {
  const std::string by_environment =
      write_recording_program(dir_, "by-environment", dir_.path("environment.argv"));
  const ScopedEnvironment environment("FOLIO_PAGEVIEW", by_environment.c_str());
  const RunResult run = open();
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(recorded_arguments(dir_.path("environment.argv")).size(), 8u);
}

TEST_F(OpenViewerChoice, ExitStatusIsTheViewers) {
  const std::string viewer = write_recording_program(dir_, "viewer", dir_.path("argv"), {3});
  const RunResult run = open({"--viewer", viewer});
  EXPECT_EQ(run.exit_code, 3);
  EXPECT_EQ(run.err, "");
}

class OpenRejects : public OpenViewerChoice {};

TEST_F(OpenRejects, MissingViewerWithItsPath) {
  const std::string missing = dir_.path("no-such-viewer");
  const RunResult run = open({"--viewer", missing});
  expect_rejected(run, missing, "viewer not found");
  EXPECT_NE(run.err.find("--viewer or FOLIO_PAGEVIEW"), std::string::npos) << run.err;
}

TEST_F(OpenRejects, MissingViewerFromTheEnvironment) {
  const std::string missing = dir_.path("no-such-viewer");
  const ScopedEnvironment environment("FOLIO_PAGEVIEW", missing.c_str());
  expect_rejected(open(), missing, "viewer not found");
}

TEST_F(OpenRejects, ViewerThatIsNotExecutable) {
  const std::string viewer = dir_.path("plain-file");
  write_text(viewer, "#!/bin/sh\n");
  ASSERT_EQ(::chmod(viewer.c_str(), 0644), 0);
  expect_rejected(open({"--viewer", viewer}), viewer, "viewer cannot be run");
}

TEST_F(OpenRejects, ViewerThatCannotBeExecuted) {
  // Executable, but no format the kernel runs: execv itself fails.
  const std::string viewer = dir_.path("not-a-program");
  write_text(viewer, "not a program\n");
  ASSERT_EQ(::chmod(viewer.c_str(), 0755), 0);
  expect_rejected(open({"--viewer", viewer}), viewer, "cannot start: Exec format error");
}

TEST_F(OpenRejects, FileOfAnotherKeyNeverStartsTheViewer) {
  ASSERT_EQ(run_host({"protect", sample_.plain_path, dir_.path("other.folio")}).exit_code, 0);
  const std::string record = dir_.path("argv");
  const std::string viewer = write_recording_program(dir_, "viewer", record);
  const RunResult run = run_host({"open", sample_.protected_path, "--key-file",
                                  dir_.path("other.folio.key"), "--viewer", viewer});
  expect_rejected(run, sample_.protected_path, "key file does not belong to this file");
  EXPECT_FALSE(file_exists(record)) << "no viewer for a file that does not check out";
}

TEST_F(OpenRejects, MultiLineWatermarkIsAUsageError) {
  const std::string record = dir_.path("argv");
  const std::string viewer = write_recording_program(dir_, "viewer", record);
  const RunResult run = open({"--watermark", "one\ntwo", "--viewer", viewer});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.err.find("the watermark must be a single line"), std::string::npos) << run.err;
  EXPECT_FALSE(file_exists(record));
}

// The real viewer built with the tool, on Qt's offscreen platform: it must
// be showing the document (still running) a second after the start, and end by the
// SIGTERM that folio-host passes on, not by a crash or a start-up failure.
TEST(OpenRealViewer, RunsUntilTerminatedThroughTheHost) {
#ifndef FOLIO_PAGEVIEW_BINARY
  GTEST_SKIP() << "the viewer is not part of this build";
#else
  if (!file_exists(FOLIO_PAGEVIEW_BINARY)) GTEST_SKIP() << "pageview is not built";
  WorldWritableScratchDir dir;
  const ProtectedSample sample =
      protect_sample(dir, read_file(FOLIO_SAMPLES_DIR "/report.pdf"), {});
  const std::string err_path = dir.path("stderr");
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::unsetenv("FOLIO_PAGEVIEW");
    const int fd = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0 || ::dup2(fd, 2) < 0) _exit(126);
    // No --viewer and no FOLIO_PAGEVIEW: the viewer built with the tool.
    const char *argv[] = {FOLIO_HOST_BINARY,
                          "open",
                          sample.protected_path.c_str(),
                          "--key-file",
                          sample.key_path.c_str(),
                          "--watermark",
                          "demo@example.com",
                          nullptr};
    ::execv(argv[0], const_cast<char **>(argv));
    _exit(127);
  }
  // The signal must reach a running viewer, not a folio-host still checking
  // the file; once it runs, it must still be showing the document a second
  // later.
  int status = 0;
  pid_t early = 0;
  wait_until([&] { return (early = ::waitpid(pid, &status, WNOHANG)) != 0 || child_runs(pid, FOLIO_PAGEVIEW_BINARY); });
  if (early == 0) {
    std::this_thread::sleep_for(std::chrono::seconds(1));
    early = ::waitpid(pid, &status, WNOHANG);
  }
  if (early == 0) {
    ::kill(pid, SIGTERM);
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  }
  const std::string err = read_text(err_path);
  ASSERT_EQ(early, 0) << "the viewer ended on its own within a second; stderr:\n" << err;
  ASSERT_TRUE(WIFEXITED(status)) << "folio-host itself was ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 128 + SIGTERM)
      << "the viewer must end by the passed-on SIGTERM; stderr:\n"
      << err;
  for (const char *crash : {"Segmentation fault", "Aborted", "core dumped", "folio-host:"})
    EXPECT_EQ(err.find(crash), std::string::npos) << err;
#endif
}

}  // namespace
}  // namespace host_test
