// cli/group_commands: "quill group list|add|delete|members|add-member|remove-member": the
// workgroup's groups and memberships, through a login as the global --user.
#include <iostream>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "jet/dao/group.h"
#include "jet/dao/groups.h"
#include "jet/dao/user.h"
#include "jet/dao/users.h"

namespace qb::cli {
namespace {

constexpr const char* kFamilyHelp =
    "Usage: quill [global options] group COMMAND ...\n"
    "\n"
    "Commands:\n"
    "  list                        print the groups, one name per line\n"
    "  add NAME [--pid PID]        add a group (PID: 4 to 20 characters, by default the name\n"
    "                              padded with X)\n"
    "  delete NAME                 delete a group\n"
    "  members NAME                print the group's users, one name per line\n"
    "  add-member GROUP USER       make USER a member of GROUP\n"
    "  remove-member GROUP USER    take USER out of GROUP\n"
    "\n"
    "Changes need a login as a member of Admins (see 'quill --help').\n";

struct Shape {
  const char* name;
  std::size_t positional;
};

constexpr Shape kShapes[] = {{"list", 0}, {"add", 1}, {"delete", 1}, {"members", 1}, {"add-member", 2}, {"remove-member", 2}};

}  // namespace

int RunGroupCommand(const GlobalOptions& options, const std::vector<std::string>& words) {
  if (words.empty() || words[0] == "--help" || words[0] == "-h") {
    std::cout << kFamilyHelp;
    return 0;
  }
  const std::string& command = words[0];
  const Shape* shape = nullptr;
  for (const Shape& candidate : kShapes) {
    if (command == candidate.name) shape = &candidate;
  }
  if (!shape) throw UsageError("unknown command 'group " + command + "'");
  std::vector<std::string> value_options;
  if (command == "add") value_options.push_back("--pid");
  CommandArgs args = ParseCommandArgs("group " + command, {words.begin() + 1, words.end()}, shape->positional, value_options);
  if (args.help) {
    std::cout << kFamilyHelp;
    return 0;
  }

  auto engine = MakeEngine();
  auto workspace = LogIn(*engine, options);
  auto groups = workspace->Groups();
  const std::vector<std::string>& names = args.positional;
  if (command == "list") {
    for (int i = 0; i < groups->Count(); ++i) std::cout << groups->Item(i)->Name() << '\n';
  } else if (command == "add") {
    groups->Append(workspace->CreateGroup(names[0], args.Option("--pid", DefaultPid(names[0]))));
  } else if (command == "delete") {
    groups->Delete(names[0]);
  } else if (command == "members") {
    auto members = groups->Item(names[0])->Users();
    for (int i = 0; i < members->Count(); ++i) std::cout << members->Item(i)->Name() << '\n';
  } else if (command == "add-member") {
    groups->Item(names[0])->Users()->Append(workspace->CreateUser(names[1]));
  } else {
    groups->Item(names[0])->Users()->Delete(names[1]);
  }
  return 0;
}

}  // namespace qb::cli
