#include "commands/command_table.h"

#include <cstddef>
#include <cstdio>

#include "commands/command_line.h"
#include "commands/commands.h"
#include "commands/help_text.h"
#include "commands/messages.h"

namespace folio_host {

namespace {

constexpr std::size_t kAnyNumber = static_cast<std::size_t>(-1);

struct Command {
  const char *name;
  std::vector<AcceptedOption> options;
  std::size_t min_operands;
  std::size_t max_operands;
  int (*run)(const CommandArguments &);
};

const std::vector<Command> &commands() {
  static const std::vector<Command> table = {
      {"protect", {{"--kind", true}, {"--variant", true}}, 2, 2, run_protect},
      {"convert", {{"--out", true}}, 1, kAnyNumber, run_convert},
      {"unprotect", {{"--key-file", true}}, 2, 2, run_unprotect},
      {"digest", {}, 1, kAnyNumber, run_digest},
      {"inspect", {}, 1, 1, run_inspect},
      {"token", {{"--key-file", true}, {"--watermark", true}}, 1, 1, run_token},
      {"open", {{"--key-file", true}, {"--watermark", true}, {"--viewer", true}}, 1, 1, run_open},
#ifdef FOLIO_HOST_VIDEO
      {"protect-video", {{"--key-file", true}, {"--verbose", false}}, 2, 2, run_protect_video},
      {"unprotect-video", {{"--key-file", true}, {"--verbose", false}}, 2, 2, run_unprotect_video},
      {"play", {{"--key-file", true}, {"--encrypt", false}, {"--player", true}}, 1, 1, run_play},
#endif
  };
  return table;
}

const Command *find_command(const std::string &name) {
  for (const Command &command : commands())
    if (name == command.name) return &command;
  return nullptr;
}

}  // namespace

bool is_command(const std::string &name) { return find_command(name) != nullptr; }

int run_command(const std::string &name, const std::vector<std::string> &words) {
  const Command *command = find_command(name);
  if (!command) throw UsageError("", "unknown command '" + name + "'");
  const CommandArguments arguments = parse_command_arguments(name, command->options, words);
  if (arguments.help) {
    std::fputs(full_help(name).c_str(), stdout);
    return kExitSuccess;
  }
  const std::size_t count = arguments.operands.size();
  if (count < command->min_operands) throw UsageError(name, "missing operand");
  if (count > command->max_operands)
    throw UsageError(name,
                     "unexpected operand '" + arguments.operands[command->max_operands] + "'");
  return command->run(arguments);
}

}  // namespace folio_host
