// cli/user_commands: "quill user list|add|delete|password": the workgroup's users, through a
// login as the global --user.
#include <iostream>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "jet/dao/engine_options.h"
#include "jet/dao/user.h"
#include "jet/dao/users.h"

namespace qb::cli {
namespace {

constexpr const char* kFamilyHelp =
    "Usage: quill [global options] user COMMAND ...\n"
    "\n"
    "Commands:\n"
    "  list                          print the users, one name per line\n"
    "  add NAME [--pid PID] [--password-env VAR]\n"
    "                                add a user (PID: 4 to 20 characters, by default the name\n"
    "                                padded with X; password from the variable VAR, else empty)\n"
    "  delete NAME                   delete a user\n"
    "  password NAME [--old-env VAR] --new-env VAR\n"
    "                                change a password (the old one from VAR, else empty); members\n"
    "                                of Admins may clear another user's password\n"
    "\n"
    "Changes need a login as a member of Admins (see 'quill --help').\n";

bool WantsHelp(const std::vector<std::string>& words) {
  return words.empty() || words[0] == "--help" || words[0] == "-h";
}

}  // namespace

std::string DefaultPid(const std::string& name) {
  std::string pid = name;
  std::size_t length = jet::CharacterCount(name).value_or(name.size());
  if (length < 20) pid.append(20 - length, 'X');
  return pid;
}

int RunUserCommand(const GlobalOptions& options, const std::vector<std::string>& words) {
  if (WantsHelp(words)) {
    std::cout << kFamilyHelp;
    return 0;
  }
  const std::string& command = words[0];
  const std::vector<std::string> rest(words.begin() + 1, words.end());
  CommandArgs args;
  if (command == "list") {
    args = ParseCommandArgs("user list", rest, 0, {});
  } else if (command == "add") {
    args = ParseCommandArgs("user add", rest, 1, {"--pid", "--password-env"});
  } else if (command == "delete") {
    args = ParseCommandArgs("user delete", rest, 1, {});
  } else if (command == "password") {
    args = ParseCommandArgs("user password", rest, 1, {"--old-env", "--new-env"});
    if (!args.help && !args.Has("--new-env")) throw UsageError("'user password' needs --new-env VAR");
  } else {
    throw UsageError("unknown command 'user " + command + "'");
  }
  if (args.help) {
    std::cout << kFamilyHelp;
    return 0;
  }

  // Passwords of the command are read before logging in, so a missing variable costs no login.
  std::string new_password;
  std::string old_password;
  if (command == "add" && args.Has("--password-env")) {
    new_password = PasswordFromEnvironment(args.Option("--password-env"), "the new user's password");
  } else if (command == "password") {
    new_password = PasswordFromEnvironment(args.Option("--new-env"), "the new password");
    if (args.Has("--old-env")) old_password = PasswordFromEnvironment(args.Option("--old-env"), "the old password");
  }

  auto engine = MakeEngine();
  auto workspace = LogIn(*engine, options);
  auto users = workspace->Users();
  if (command == "list") {
    for (int i = 0; i < users->Count(); ++i) std::cout << users->Item(i)->Name() << '\n';
  } else if (command == "add") {
    const std::string& name = args.positional[0];
    users->Append(workspace->CreateUser(name, args.Option("--pid", DefaultPid(name)), new_password));
  } else if (command == "delete") {
    users->Delete(args.positional[0]);
  } else {
    users->Item(args.positional[0])->NewPassword(old_password, new_password);
  }
  return 0;
}

}  // namespace qb::cli
