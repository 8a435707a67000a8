// cli/command_line: parsing a command's words into positional arguments and options.
#include "cli/command_line.h"

#include <algorithm>

namespace qb::cli {

std::string CommandArgs::Option(const std::string& option, const std::string& fallback) const {
  auto found = options.find(option);
  return found == options.end() ? fallback : found->second;
}

CommandArgs ParseCommandArgs(const std::string& command, const std::vector<std::string>& words,
                             std::size_t positional_count, const std::vector<std::string>& value_options) {
  CommandArgs args;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (word == "--help" || word == "-h") {
      args.help = true;
      continue;
    }
    if (word.size() < 2 || word.compare(0, 2, "--") != 0) {
      args.positional.push_back(word);
      continue;
    }
    std::string name = word;
    std::string value;
    bool has_value = false;
    if (auto equals = word.find('='); equals != std::string::npos) {
      name = word.substr(0, equals);
      value = word.substr(equals + 1);
      has_value = true;
    }
    if (std::find(value_options.begin(), value_options.end(), name) == value_options.end()) {
      throw UsageError("'" + command + "' has no option " + name);
    }
    if (!has_value) {
      if (i + 1 >= words.size()) throw UsageError("the option " + name + " needs a value");
      value = words[++i];
    }
    if (args.options.count(name)) throw UsageError("the option " + name + " is given twice");
    args.options[name] = value;
  }
  if (!args.help && args.positional.size() != positional_count) {
    throw UsageError("'" + command + "' takes " + std::to_string(positional_count) + " argument" +
                     (positional_count == 1 ? "" : "s") + ", not " + std::to_string(args.positional.size()) +
                     " (see 'quill " + command + " --help')");
  }
  return args;
}

}  // namespace qb::cli
