// The Windows command line as a narrow main() sees it: split by the
// system's rules (quotes, backslashes before quotes), each argument in the
// ANSI code page.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/command_line.h"

using Arguments = std::vector<std::string>;

TEST(NarrowArguments, SplitsByTheSystemsQuotingRules) {
  const auto arguments =
      narrow_arguments(L"C:\\Folio\\Morlan.exe \"C:\\My Videos\\clip.mp4\" 0A1b \"\" a\\\\\\\"b \"c\\\\\" 1");
  ASSERT_TRUE(arguments);
  EXPECT_EQ(*arguments, (Arguments{"C:\\Folio\\Morlan.exe", "C:\\My Videos\\clip.mp4", "0A1b", "",
                                   "a\\\"b", "c\\", "1"}));
}

TEST(NarrowArguments, ConvertsToTheAnsiCodePage) {
  // U+00E9 and U+65E5: the first is in every Western code page, the second
  // in none of them; whatever the page, the result is what the system's
  // own conversion to it gives.
  const auto arguments = narrow_arguments(L"p.exe caf\u00E9 \u65E5");
  ASSERT_TRUE(arguments);
  ASSERT_EQ(arguments->size(), 3u);
  if (GetACP() != 1252) GTEST_SKIP() << "ANSI code page " << GetACP() << ", not Windows-1252";
  EXPECT_EQ((*arguments)[1], "caf\xE9");
  EXPECT_EQ((*arguments)[2], "?");
}

TEST(NarrowArguments, NullCommandLineIsRefusedAndTheProcessOwnIsRead) {
  EXPECT_FALSE(narrow_arguments(nullptr));
  const auto own = process_narrow_arguments();
  ASSERT_TRUE(own);
  ASSERT_FALSE(own->empty());
  EXPECT_NE(own->front().find("platform_command_line_test"), std::string::npos);
}

TEST(NarrowArguments, ArgumentVectorGivesCStyleArgcAndArgv) {
  std::vector<std::string> strings = {"prog", "one", "two"};
  ArgumentVector vector(strings);
  EXPECT_EQ(vector.argc(), 3);
  EXPECT_STREQ(vector.argv()[2], "two");
  EXPECT_EQ(vector.argv()[3], nullptr);
}
