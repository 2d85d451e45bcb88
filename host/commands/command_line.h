// Splitting a command's arguments into operands and options.
#ifndef FOLIO_HOST_COMMAND_LINE_H
#define FOLIO_HOST_COMMAND_LINE_H

#include <map>
#include <string>
#include <vector>

namespace folio_host {

struct AcceptedOption {
  const char *name;  // with its dashes: "--key-file"
  bool takes_value;
};

struct CommandArguments {
  std::string command;
  std::vector<std::string> operands;
  std::map<std::string, std::string> options;  // by name; "" for a flag
  bool help = false;

  // The option's value, or null when it was not given.
  const std::string *option(const std::string &name) const;
};

// Parses the words after the command name. "-h"/"--help" anywhere asks for
// help; "--" ends the options; "--name=value" and "--name value" are the
// same. Throws UsageError for an unknown or repeated option, or a missing
// value.
CommandArguments parse_command_arguments(const std::string &command,
                                         const std::vector<AcceptedOption> &accepted,
                                         const std::vector<std::string> &words);

}  // namespace folio_host

#endif
