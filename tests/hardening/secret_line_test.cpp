// The platform pieces the viewers take their secrets with: a line of
// standard input read without taking more than the line, and an argument
// overwritten where it lies.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/process_hardening.h"
#include "platform/secret_arguments.h"

namespace hardening_test {
namespace {

// A pipe holding text, its writing end closed: the reading end.
int pipeWith(const std::string &text) {
  int ends[2];
  if (::pipe(ends) != 0) return -1;
  if (::write(ends[1], text.data(), text.size()) != static_cast<ssize_t>(text.size())) return -1;
  ::close(ends[1]);
  return ends[0];
}

TEST(SecretLine, ReadsOneLineAtATimeAndNothingMore) {
  const int fd = pipeWith("first\nsecond\r\nthird");
  ASSERT_GE(fd, 0);
  SecretLine line;
  ASSERT_TRUE(line.read_from(fd));
  EXPECT_STREQ(line.c_str(), "first");
  ASSERT_TRUE(line.read_from(fd));
  EXPECT_STREQ(line.c_str(), "second") << "a CR before the LF is dropped";
  ASSERT_TRUE(line.read_from(fd));
  EXPECT_STREQ(line.c_str(), "third") << "a last line without LF counts";
  EXPECT_EQ(line.size(), 5u);
  EXPECT_FALSE(line.read_from(fd)) << "end of file";
  EXPECT_STREQ(line.c_str(), "");
  ::close(fd);
}

TEST(SecretLine, AnEmptyLineIsALine) {
  const int fd = pipeWith("\nx\n");
  SecretLine line;
  ASSERT_TRUE(line.read_from(fd));
  EXPECT_EQ(line.size(), 0u);
  ASSERT_TRUE(line.read_from(fd));
  EXPECT_STREQ(line.c_str(), "x");
  ::close(fd);
}

TEST(SecretLine, RefusesALineTooLongOrHoldingANulAndSkipsIt) {
  const int fd = pipeWith(std::string(SecretLine::kCapacity + 1, 'a') + "\nab" +
                          std::string(1, '\0') + "c\nnext\n");
  SecretLine line;
  EXPECT_FALSE(line.read_from(fd));
  EXPECT_EQ(line.size(), 0u);
  EXPECT_FALSE(line.read_from(fd));
  ASSERT_TRUE(line.read_from(fd));
  EXPECT_STREQ(line.c_str(), "next");
  ::close(fd);
}

TEST(SecretLine, TakesALineOfExactlyItsCapacity) {
  const int fd = pipeWith(std::string(SecretLine::kCapacity, 'b') + "\n");
  SecretLine line;
  ASSERT_TRUE(line.read_from(fd));
  EXPECT_EQ(line.size(), SecretLine::kCapacity);
  ::close(fd);
}

TEST(SecretArguments, WipingLeavesTheArgumentsPlaceAndLength) {
  char memory[] = "prog\0secret-token\0next";
  char *argument = memory + 5;
  wipe_argument(argument);
  EXPECT_EQ(std::string(memory, sizeof memory), std::string("prog\0", 5) + std::string(13, '\0') + "next" + '\0');
  wipe_argument(nullptr);
  EXPECT_TRUE(secret_comes_from_standard_input("-"));
  EXPECT_FALSE(secret_comes_from_standard_input("--"));
  EXPECT_FALSE(secret_comes_from_standard_input(""));
  EXPECT_FALSE(secret_comes_from_standard_input(nullptr));
}

// In a child: the hardening is the process's own, and the test's must stay
// dumpable for the tests that look at other processes.
TEST(ProcessHardening, MarksTheProcessNotDumpable) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(!process_is_hardened() && harden_process() && process_is_hardened() ? 0 : 1);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
}  // namespace hardening_test
