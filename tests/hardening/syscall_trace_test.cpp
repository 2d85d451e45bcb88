// The trace reading itself, on lines as strace prints them: a write to a
// file or a marked buffer must not slip through unparsed.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "syscall_trace.h"

namespace hardening_test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

TEST(SyscallTraceReading, FindsWritesToFilesOutsideTheAllowedPlaces) {
  const std::string log =
      "101   openat(AT_FDCWD, \"/tmp/clear.pdf\", O_WRONLY|O_CREAT|O_TRUNC, 0666) = 5</tmp/clear.pdf>\n"
      "101   write(5</tmp/clear.pdf>, \"%PDF\"..., 4) = 4\n"
      "101   write(2</dev/pts/3>, \"message\\n\", 8) = 8\n"
      "101   write(1<pipe:[4711]>, \"3\\n\", 2) = 2\n"
      "102   openat(AT_FDCWD, \"/h/.cache/fontconfig/x.cache-8\", O_RDWR|O_CREAT, 0666) = 6</h/.cache/fontconfig/x.cache-8>\n"
      "102   openat(AT_FDCWD, \"/dev/null\", O_WRONLY) = 7</dev/null>\n"
      "102   openat(AT_FDCWD, \"/tmp/doc.v1\", O_RDONLY <unfinished ...>\n"
      "101   renameat2(AT_FDCWD, \"/tmp/a\", AT_FDCWD, \"/tmp/b\", 0 <unfinished ...>\n"
      "102   <... openat resumed>) = 8</tmp/doc.v1>\n"
      "101   <... renameat2 resumed>) = 0\n"
      "101   openat(AT_FDCWD, \"/tmp/absent\", O_WRONLY|O_CREAT, 0600) = -1 EACCES (Permission denied)\n"
      "103   openat(3</tmp/dir>, \"rel\", O_WRONLY|O_CREAT, 0600) = 9</tmp/dir/rel>\n"
      "103   ftruncate(9</tmp/dir/rel>, 10) = 0\n"
      "103   copy_file_range(8</tmp/doc.v1>, NULL, 9</tmp/dir/rel>, NULL, 10, 0) = 10\n"
      "101   +++ exited with 0 +++\n";
  const auto calls = tracedCalls(log);
  ASSERT_EQ(calls.size(), 12u);
  EXPECT_EQ(resultPath(calls[6]), "/tmp/doc.v1");
  EXPECT_EQ(firstDescriptorPath(calls[1]), "/tmp/clear.pdf");
  EXPECT_TRUE(calls[1].truncated);
  EXPECT_THAT(diskWrites(calls, allowDevicesAnd({"/h/.cache/fontconfig"})),
              ElementsAre(HasSubstr("openat(AT_FDCWD, \"/tmp/clear.pdf\""),
                          HasSubstr("write(5</tmp/clear.pdf>"), HasSubstr("renameat2("),
                          HasSubstr("openat(3</tmp/dir>"), HasSubstr("ftruncate("),
                          HasSubstr("copy_file_range(")));
}

TEST(SyscallTraceReading, FindsMarkersInWrittenBuffersWhateverTheirEscapes) {
  const std::string log =
      "201   write(1<pipe:[1]>, \"Current Scale 1\\n\", 16) = 16\n"
      "201   writev(7<socket:[2]>, [{iov_base=\"\\x00\\x01MAR\", iov_len=5}, {iov_base=\"KER\\t\\\"x\\\"\", iov_len=6}], 2) = 11\n"
      "201   sendmsg(7<socket:[2]>, {msg_iov=[{iov_base=\"ab\\x4d\\x41\\x52\\x4b\\x45\\x52cd\", iov_len=10}], msg_iovlen=1}, 0) = 10\n"
      "201   write(2<pipe:[1]>, \"a ) = 5 b \\\"MARKER\\\"\", 20) = 20\n"
      "201   write(2<pipe:[1]>, \"\\101\\102C\", 3) = 3\n";
  const auto calls = tracedCalls(log);
  ASSERT_EQ(calls.size(), 5u);
  EXPECT_EQ(calls[1].strings, (std::vector<std::string>{std::string("\0\1MAR", 5), "KER\t\"x\""}));
  EXPECT_EQ(calls[4].strings, (std::vector<std::string>{"ABC"}));
  EXPECT_EQ(calls[3].result, "20");
  EXPECT_THAT(markedWrites(calls, {"MARKER"}),
              ElementsAre(HasSubstr("writev("), HasSubstr("sendmsg("), HasSubstr("a ) = 5 b")));
  EXPECT_THAT(markedWrites(calls, {"nothing like it"}), IsEmpty());
  EXPECT_EQ(writtenBufferCount(calls), 6u);
}

TEST(SyscallTraceReading, AWriteCutShortCountsWhenLessWasShownThanWritten) {
  const std::string log =
      "301   writev(3</tmp/out>, [{iov_base=\"abcdef\"..., iov_len=900}], 1) = 6\n"
      "301   writev(3</tmp/out>, [{iov_base=\"abcdef\"..., iov_len=900}], 1) = 7\n"
      "301   write(3</tmp/out>, \"ab\"..., 900) = -1 EAGAIN (Resource temporarily unavailable)\n"
      // A socket: what was shown is checked, the rest is not a finding.
      "301   writev(4<socket:[9]>, [{iov_base=\"abcdef\"..., iov_len=900}], 1) = 7\n"
      "301   writev(4<socket:[9]>, [{iov_base=\"MARKER\"..., iov_len=900}], 1) = 7\n";
  EXPECT_THAT(markedWrites(tracedCalls(log), {"MARKER"}),
              ElementsAre(HasSubstr("cut short, not checked: 301 writev(3</tmp/out>, [{iov_base=\"abcdef\"..., iov_len=900}], 1) = 7"),
                          HasSubstr("plaintext: 301 writev(4<socket:[9]>, [{iov_base=\"MARKER\"")));
}

}  // namespace
}  // namespace hardening_test
