// cli/command_line: quill's small argument parser: walking the words, options with values
// ("--opt VALUE" or "--opt=VALUE"), positional arguments, and the usage error. Knows no command.
#pragma once
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace qb::cli {

// A mistake in the command line: quill prints it and exits with status 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The words after a command, parsed against what the command accepts.
struct CommandArgs {
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;  // "--pid" -> "value"
  bool help = false;                           // "--help" was given

  // The value of OPTION, or FALLBACK when it was not given.
  std::string Option(const std::string& option, const std::string& fallback = {}) const;
  bool Has(const std::string& option) const { return options.count(option) != 0; }
};

// Parses WORDS: every word starting with "--" must be "--help" or one of VALUE_OPTIONS (each
// takes a value); the rest are positional, and there must be exactly POSITIONAL_COUNT of them
// unless help was asked for. Raises UsageError naming the fault; COMMAND names the command.
CommandArgs ParseCommandArgs(const std::string& command, const std::vector<std::string>& words,
                             std::size_t positional_count, const std::vector<std::string>& value_options);

}  // namespace qb::cli
