// cli/session: what every account command shares: the global options, reading a password from
// the environment or the terminal, and logging in to the engine. Never prints or keeps a
// password beyond the login.
#pragma once
#include <memory>
#include <string>

#include "jet/dao/dbengine.h"
#include "jet/dao/workspace.h"

namespace qb::cli {

// Options given before the command.
struct GlobalOptions {
  std::string workgroup;     // empty: the per-user default workgroup
  std::string user = "Admin";
  std::string password_env;  // name of the variable holding the password
  bool ask_password = false;
  std::string db_password_env;  // name of the variable holding the database password
};

// The engine every command uses. Test hook: QUILL_TEST_FAST_HASH=1 in the environment lowers the
// cost of the password hashes this process makes (verification is unaffected); tests only.
std::shared_ptr<jet::DBEngine> MakeEngine();

// The value of the environment variable NAME; raises UsageError when it is not set. WHAT names
// its use in the message ("the new password").
std::string PasswordFromEnvironment(const std::string& name, const std::string& what);

// The login password from OPTIONS: the variable of --password-env, or with --ask-password a line
// read without echo from the terminal (or from standard input when it is not a terminal), else
// empty. Raises UsageError when both are given or the variable is missing.
std::string LoginPassword(const GlobalOptions& options);

// Logs OPTIONS.user in to the workgroup of OPTIONS with the engine. Raises the engine's error.
std::shared_ptr<jet::Workspace> LogIn(jet::DBEngine& engine, const GlobalOptions& options);

}  // namespace qb::cli
