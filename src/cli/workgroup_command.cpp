// cli/workgroup_command: "quill workgroup create FILE". Needs no login.
#include <iostream>

#include "cli/command_line.h"
#include "cli/commands.h"

namespace qb::cli {
namespace {

constexpr const char* kFamilyHelp =
    "Usage: quill workgroup create FILE\n"
    "\n"
    "Commands:\n"
    "  create FILE   make a new workgroup file holding the user Admin (empty password)\n"
    "                and the groups Admins and Users; an existing file is refused\n";

}  // namespace

int RunWorkgroupCommand(const GlobalOptions&, const std::vector<std::string>& words) {
  if (words.empty() || words[0] == "--help" || words[0] == "-h") {
    std::cout << kFamilyHelp;
    return 0;
  }
  if (words[0] != "create") throw UsageError("unknown command 'workgroup " + words[0] + "'");
  CommandArgs args = ParseCommandArgs("workgroup create", {words.begin() + 1, words.end()}, 1, {});
  if (args.help) {
    std::cout << kFamilyHelp;
    return 0;
  }
  MakeEngine()->CreateWorkgroup(args.positional[0]);
  return 0;
}

}  // namespace qb::cli
