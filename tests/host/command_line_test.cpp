// The command line: help for the tool and for every command, the version,
// and usage errors that exit with status 2 and touch nothing.
#include <gtest/gtest.h>

#include "host_process.h"
#include "support/files.h"
#include "world_writable_scratch_dir.h"

using namespace folio_test;

namespace host_test {
namespace {

const char *const kCommands[] = {"protect", "unprotect", "digest", "inspect", "token"};

TEST(ToolHelp, EveryWayOfAskingGivesTheSameHelp) {
  const RunResult reference = run_host({"--help"});
  EXPECT_EQ(reference.exit_code, 0);
  EXPECT_EQ(reference.err, "");
  EXPECT_EQ(reference.out.rfind("folio-host - ", 0), 0u) << reference.out;
  for (const char *command : kCommands)
    EXPECT_NE(reference.out.find(std::string("  ") + command + " "), std::string::npos) << command;
  for (const std::vector<std::string> &asking :
       {std::vector<std::string>{"-h"}, std::vector<std::string>{"help"}}) {
    const RunResult run = run_host(asking);
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.out, reference.out);
  }
}

TEST(ToolHelp, Version) {
  const RunResult run = run_host({"--version"});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out, "folio-host " FOLIO_VERSION "\n");
}

class CommandHelp : public testing::TestWithParam<const char *> {};

TEST_P(CommandHelp, EveryWayOfAskingGivesTheCommandsHelp) {
  const std::string command = GetParam();
  const RunResult reference = run_host({"help", command});
  EXPECT_EQ(reference.exit_code, 0);
  EXPECT_EQ(reference.err, "");
  EXPECT_EQ(reference.out.rfind("Usage: folio-host " + command + " ", 0), 0u) << reference.out;
  EXPECT_NE(reference.out.find("--help"), std::string::npos);
  for (const char *flag : {"--help", "-h"}) {
    const RunResult run = run_host({command, flag});
    EXPECT_EQ(run.exit_code, 0) << flag;
    EXPECT_EQ(run.out, reference.out) << flag;
  }
}

INSTANTIATE_TEST_SUITE_P(Commands, CommandHelp, testing::ValuesIn(kCommands),
                         [](const testing::TestParamInfo<const char *> &info) {
                           return std::string(info.param);
                         });

TEST(CommandHelpOnly, HelpAmongOperandsRunsNothing) {
  WorldWritableScratchDir dir;
  write_text(dir.path("plain.bin"), "abc");
  const RunResult run =
      run_host({"protect", dir.path("plain.bin"), dir.path("out.folio"), "--help"});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out.rfind("Usage: folio-host protect", 0), 0u);
  EXPECT_EQ(dir.names(), std::set<std::string>{"plain.bin"});
}

struct UsageCase {
  const char *name;
  std::vector<std::string> arguments;
  const char *message;
  const char *usage;  // the synopsis the short usage must show
};

const UsageCase kUsageCases[] = {
    {"NoCommand", {}, "missing command", "Usage: folio-host <command>"},
    {"UnknownCommand",
     {"frobnicate"},
     "unknown command 'frobnicate'",
     "Usage: folio-host <command>"},
    {"UnknownToolOption", {"--frob"}, "unknown option '--frob'", "Usage: folio-host <command>"},
    {"HelpForUnknownCommand",
     {"help", "frob"},
     "unknown command 'frob'",
     "Usage: folio-host <command>"},
    {"ProtectWithoutOperands",
     {"protect"},
     "missing operand",
     "Usage: folio-host protect <in> <out>"},
    {"ProtectWithOneOperand",
     {"protect", "a"},
     "missing operand",
     "Usage: folio-host protect <in> <out>"},
    {"ProtectWithThreeOperands",
     {"protect", "a", "b", "c"},
     "unexpected operand 'c'",
     "Usage: folio-host protect <in> <out>"},
    {"ProtectWithUnknownOption",
     {"protect", "--frob", "a", "b"},
     "unknown option '--frob'",
     "Usage: folio-host protect <in> <out>"},
    {"UnprotectWithoutKeyFile",
     {"unprotect", "a", "b"},
     "missing --key-file",
     "Usage: folio-host unprotect <in> <out> --key-file <file>"},
    {"UnprotectKeyFileWithoutValue",
     {"unprotect", "a", "b", "--key-file"},
     "needs a value",
     "Usage: folio-host unprotect"},
    {"UnprotectKeyFileTwice",
     {"unprotect", "a", "b", "--key-file", "k", "--key-file=k"},
     "given twice",
     "Usage: folio-host unprotect"},
    {"ProtectWithUnknownKind",
     {"protect", "a", "b", "--kind", "doc"},
     "unknown kind 'doc' (pdf or image)",
     "Usage: folio-host protect <in> <out> [--kind pdf|image] [--variant v1|v2]"},
    {"ProtectWithKindInUpperCase",
     {"protect", "a", "b", "--kind=PDF"},
     "unknown kind 'PDF'",
     "Usage: folio-host protect"},
    {"ProtectWithKindWithoutValue",
     {"protect", "a", "b", "--kind"},
     "needs a value",
     "Usage: folio-host protect"},
    {"ProtectWithUnknownVariant",
     {"protect", "a", "b", "--variant", "v3"},
     "unknown variant 'v3' (v1 or v2)",
     "Usage: folio-host protect"},
    {"ProtectWithVariantInUpperCase",
     {"protect", "a", "b", "--variant=V2"},
     "unknown variant 'V2'",
     "Usage: folio-host protect"},
    {"ProtectImageWithAVariant",
     {"protect", "a", "b", "--kind", "image", "--variant", "v2"},
     "--variant is for PDFs only",
     "Usage: folio-host protect"},
    {"ProtectWithKindTwice",
     {"protect", "a", "b", "--kind", "pdf", "--kind=image"},
     "given twice",
     "Usage: folio-host protect"},
    {"DigestWithoutFiles", {"digest"}, "missing operand", "Usage: folio-host digest <file>..."},
    {"InspectWithTwoFiles",
     {"inspect", "a", "b"},
     "unexpected operand 'b'",
     "Usage: folio-host inspect <protected file>"},
    {"TokenWithoutKeyFile",
     {"token", "a"},
     "missing --key-file",
     "Usage: folio-host token <protected file> --key-file <file> [--watermark <text>]"},
    {"TokenWithoutFile", {"token", "--key-file", "k"}, "missing operand", "Usage: folio-host token"},
    {"TokenWithTwoFiles",
     {"token", "a", "b", "--key-file", "k"},
     "unexpected operand 'b'",
     "Usage: folio-host token"},
    {"TokenWatermarkOfTwoLines",
     {"token", "a", "--key-file", "k", "--watermark", "one\ntwo"},
     "the watermark must be a single line",
     "Usage: folio-host token"},
    {"TokenWithUnknownOption",
     {"token", "a", "--key-file", "k", "--kind", "pdf"},
     "unknown option '--kind'",
     "Usage: folio-host token"},
};

void PrintTo(const UsageCase &usage_case, std::ostream *out) { *out << usage_case.name; }

class UsageErrors : public testing::TestWithParam<UsageCase> {};

TEST_P(UsageErrors, ExitTwoWithMessageAndShortUsage) {
  const RunResult run = run_host(GetParam().arguments);
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err.rfind("folio-host: ", 0), 0u) << run.err;
  EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(GetParam().usage), std::string::npos) << run.err;
}

INSTANTIATE_TEST_SUITE_P(Cases, UsageErrors, testing::ValuesIn(kUsageCases),
                         [](const testing::TestParamInfo<UsageCase> &info) {
                           return std::string(info.param.name);
                         });

TEST(LayoutOptionErrors, BadKindOrVariantTouchesNothing) {
  WorldWritableScratchDir dir;
  write_text(dir.path("plain.bin"), "abc");
  for (const std::vector<std::string> &options :
       {std::vector<std::string>{"--kind", "video"}, std::vector<std::string>{"--variant", "v0"},
        std::vector<std::string>{"--kind", "image", "--variant", "v1"}}) {
    std::vector<std::string> arguments = {"protect", dir.path("plain.bin"), dir.path("out.folio")};
    arguments.insert(arguments.end(), options.begin(), options.end());
    EXPECT_EQ(run_host(arguments).exit_code, 2) << options[1];
    EXPECT_EQ(dir.names(), std::set<std::string>{"plain.bin"}) << options[1];
  }
}

}  // namespace
}  // namespace host_test
