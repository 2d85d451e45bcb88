#include "commands/command_line.h"

#include "commands/messages.h"

namespace folio_host {

namespace {

const AcceptedOption *find_option(const std::vector<AcceptedOption> &accepted,
                                  const std::string &name) {
  for (const AcceptedOption &option : accepted)
    if (name == option.name) return &option;
  return nullptr;
}

bool looks_like_option(const std::string &word) { return word.size() > 1 && word[0] == '-'; }

}  // namespace

const std::string *CommandArguments::option(const std::string &name) const {
  const auto it = options.find(name);
  return it == options.end() ? nullptr : &it->second;
}

CommandArguments parse_command_arguments(const std::string &command,
                                         const std::vector<AcceptedOption> &accepted,
                                         const std::vector<std::string> &words) {
  CommandArguments parsed;
  parsed.command = command;
  bool options_ended = false;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string &word = words[i];
    if (options_ended || !looks_like_option(word)) {
      parsed.operands.push_back(word);
      continue;
    }
    if (word == "--") {
      options_ended = true;
      continue;
    }
    if (word == "-h" || word == "--help") {
      parsed.help = true;
      continue;
    }
    const std::size_t equals = word.find('=');
    const std::string name = word.substr(0, equals);
    const AcceptedOption *option = find_option(accepted, name);
    if (!option) throw UsageError(command, "unknown option '" + name + "'");
    if (parsed.options.count(name)) throw UsageError(command, "option '" + name + "' given twice");
    std::string value;
    if (option->takes_value) {
      if (equals != std::string::npos) {
        value = word.substr(equals + 1);
      } else if (i + 1 < words.size()) {
        value = words[++i];
      } else {
        throw UsageError(command, "option '" + name + "' needs a value");
      }
      if (value.empty()) throw UsageError(command, "option '" + name + "' needs a value");
    } else if (equals != std::string::npos) {
      throw UsageError(command, "option '" + name + "' takes no value");
    }
    parsed.options.emplace(name, value);
  }
  return parsed;
}

}  // namespace folio_host
