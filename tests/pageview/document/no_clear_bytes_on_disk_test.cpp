// No deciphered byte reaches the disk: a program that opens a protected
// document and renders every page, traced by strace, writes to no file (no
// temporary file, no cache) apart from devices and fontconfig's caches.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "protected_fixtures.h"
#include "support/files.h"
#include "write_trace.h"

using namespace pageview_test;
using ::testing::Contains;
using ::testing::IsEmpty;

namespace {

std::string quoted(const std::string &text) { return "'" + text + "'"; }

// Exit status of a shell command, -1 when it did not exit normally.
int run(const std::string &command) {
  const int status = std::system(command.c_str());
  return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Finished {
  int exitStatus = -1;
  std::vector<std::string> outputLines;  // standard output and error
};

// Runs a shell command with its output going to a pipe, not to a file that
// the trace would count as written.
Finished runThroughPipe(const std::string &command) {
  Finished finished;
  std::FILE *pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return finished;
  std::string output;
  char chunk[4096];
  for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) output.append(chunk, got);
  const int status = pclose(pipe);
  finished.exitStatus = status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) finished.outputLines.push_back(line);
  return finished;
}

class NoClearBytesOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string probeLog = dir.path("strace-probe.log");
    if (run("strace -f -o " + quoted(probeLog) + " true >/dev/null 2>&1") != 0)
      GTEST_SKIP() << "strace cannot trace processes here (missing, or ptrace is not permitted)";
  }

  // Runs the document probe under strace; returns the log's system calls.
  std::vector<TracedCall> traceProbe(const std::string &kind, const std::string &path,
                                     const std::string &variant, int expectedPages) {
    const std::string log = dir.path("strace.log");
    // LeakSanitizer cannot run under ptrace; in a sanitizer build the probe
    // would fail for that alone.
    const Finished probe = runThroughPipe(
        "ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0\" strace -f -y -e trace=%file,write,pwrite64,writev,pwritev,pwritev2 -o " + quoted(log) +
        " " + quoted(DOCUMENT_PROBE) + " " + kind + " " + quoted(path) + " " +
        folio_test::to_hex(contentKey()) + " " + folio_test::to_hex(contentNonce()) + " " +
        quoted(variant));
    EXPECT_EQ(probe.exitStatus, 0);
    // The probe prints the number of pages it rendered.
    EXPECT_THAT(probe.outputLines, Contains(std::to_string(expectedPages)));
    return tracedCalls(folio_test::read_text(log));
  }

  // Shows that the log is a real trace of the probe: it opened the
  // protected file for reading.
  static bool openedForReading(const std::vector<TracedCall> &calls, const std::string &path) {
    for (const TracedCall &call : calls)
      if ((call.name == "openat" || call.name == "open") && call.succeeded() &&
          !quotedPaths(call).empty() && quotedPaths(call).back() == path &&
          call.args.find("O_RDONLY") != std::string::npos)
        return true;
    return false;
  }

  folio_test::ScratchDir dir;
};

}  // namespace

TEST_F(NoClearBytesOnDisk, RenderingEveryPageOfAProtectedPdfWritesNoFile) {
  const std::string path = writeFixture(dir, "mixed.v1", v1Container(fixture("mixed.pdf")));
  const auto calls = traceProbe("pdf", path, "v1", 4);
  EXPECT_TRUE(openedForReading(calls, path));
  EXPECT_THAT(fileWrites(calls), IsEmpty());
}

TEST_F(NoClearBytesOnDisk, DecodingAProtectedImageWritesNoFile) {
  QImage image(64, 48, QImage::Format_RGB32);
  image.fill(QColor(10, 120, 230));
  QByteArray png;
  QBuffer buffer(&png);
  ASSERT_TRUE(buffer.open(QIODevice::WriteOnly) && image.save(&buffer, "png"));
  const std::string path = writeFixture(dir, "image.protected", encipher(folio_test::Bytes(png.begin(), png.end())));
  const auto calls = traceProbe("image", path, "v1", 1);
  EXPECT_TRUE(openedForReading(calls, path));
  EXPECT_THAT(fileWrites(calls), IsEmpty());
}

// The log reading itself, on lines as strace prints them: a finding must not
// slip through unparsed.
TEST(WriteTraceReading, FindsWritesToRegularFilesOnly) {
  const std::string log =
      "101   openat(AT_FDCWD, \"/tmp/clear.pdf\", O_WRONLY|O_CREAT|O_TRUNC, 0666) = 5</tmp/clear.pdf>\n"
      "101   write(5</tmp/clear.pdf>, \"%PDF\"..., 4) = 4\n"
      "101   write(2</dev/pts/3>, \"message\\n\", 8) = 8\n"
      "101   write(1<pipe:[4711]>, \"3\\n\", 2) = 2\n"
      "102   openat(AT_FDCWD, \"/home/u/.cache/fontconfig/x.cache-8\", O_RDWR|O_CREAT, 0666) = 6</home/u/.cache/fontconfig/x.cache-8>\n"
      "102   openat(AT_FDCWD, \"/dev/null\", O_WRONLY) = 7</dev/null>\n"
      "102   openat(AT_FDCWD, \"/tmp/doc.v1\", O_RDONLY <unfinished ...>\n"
      "101   renameat2(AT_FDCWD, \"/tmp/a\", AT_FDCWD, \"/tmp/b\", 0 <unfinished ...>\n"
      "102   <... openat resumed>) = 8</tmp/doc.v1>\n"
      "101   <... renameat2 resumed>) = 0\n"
      "101   openat(AT_FDCWD, \"/tmp/absent\", O_WRONLY|O_CREAT, 0600) = -1 EACCES (Permission denied)\n"
      "101   +++ exited with 0 +++\n";
  const auto calls = tracedCalls(log);
  ASSERT_EQ(calls.size(), 9u);
  EXPECT_EQ(calls[6].name, "openat");
  EXPECT_EQ(calls[6].result, "8</tmp/doc.v1>");
  EXPECT_EQ(descriptorPath(calls[1]), "/tmp/clear.pdf");
  EXPECT_THAT(fileWrites(calls),
              ::testing::ElementsAre(::testing::HasSubstr("openat(AT_FDCWD, \"/tmp/clear.pdf\""),
                                     ::testing::HasSubstr("write(5</tmp/clear.pdf>"),
                                     ::testing::HasSubstr("renameat2(")));
}
