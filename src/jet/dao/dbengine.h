// jet/dao/dbengine: the engine's root object: the login defaults, the workgroup file (SystemDB),
// the open workspaces and logins. Made by CreateDBEngine; the workspaces it hands out do not
// keep it alive. Not thread-safe: one thread at a time per engine.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "jet/base/engine_settings.h"

namespace qb::jet {

class Database;
class Properties;
class Workspace;
class Workspaces;
struct ImportSummary;

// Name of the default workspace (item 0 of Workspaces).
inline constexpr const char* kDefaultWorkspaceName = "#Default Workspace#";

class DBEngine : public std::enable_shared_from_this<DBEngine> {
 public:
  // Use CreateDBEngine.
  explicit DBEngine(const EngineSettings& settings);
  ~DBEngine();
  DBEngine(const DBEngine&) = delete;
  DBEngine& operator=(const DBEngine&) = delete;

  const EngineSettings& Settings() const { return settings_; }

  // Login of the default workspace: "Admin" and "" at first.
  const std::string& DefaultUser() const { return default_user_; }
  void SetDefaultUser(std::string user) { default_user_ = std::move(user); }
  const std::string& DefaultPassword() const { return default_password_; }
  void SetDefaultPassword(std::string password);

  // The workgroup file of Jet logins. Set to empty (the start value), it reads as the per-user
  // default workgroup file, which the first Jet login creates when missing.
  std::string SystemDB() const;
  void SetSystemDB(std::string path) { system_db_ = std::move(path); }

  // Stored and reported only: the engine reads no settings file.
  const std::string& IniPath() const { return ini_path_; }
  void SetIniPath(std::string path) { ini_path_ = std::move(path); }

  // Seconds an ODBC login may take (20 at first); new ODBC workspaces take it. 0 .. 32767,
  // else kInvalidArgument.
  int LoginTimeout() const { return login_timeout_; }
  void SetLoginTimeout(int seconds);

  // Kind of the default workspace: kUseJet (start value) or kUseOdbc; else kInvalidArgument.
  int DefaultType() const { return default_type_; }
  void SetDefaultType(int type);

  // The object model version this engine implements ("3.5").
  std::string Version() const { return "3.5"; }

  // The open workspaces; item 0 is the default workspace (see Workspaces).
  std::shared_ptr<jet::Workspaces> Workspaces();

  // Logs USER in with PASSWORD and returns the new open workspace NAME of kind TYPE (kUseJet or
  // kUseOdbc; else kInvalidArgument). A Jet login opens the workgroup file (SystemDB) and checks
  // the account: an unknown user or a wrong password raises kBadLogin, a workgroup file that
  // cannot be used raises its own error (see OpenEngineFile); no workspace is left behind. An
  // ODBC workspace checks nothing until it opens a data source. The caller owns the workspace;
  // Workspaces lists it while it is open and referenced.
  std::shared_ptr<Workspace> CreateWorkspace(const std::string& name, const std::string& user,
                                             const std::string& password, int type = 2);

  // Creates PATH as a new workgroup file holding Admin (empty password), Admins and Users.
  // Beyond the Jet object model. Raises kFileExists, kBadPath or the file system's error.
  void CreateWorkgroup(const std::string& path);

  // Creates NAME as a new database and returns it open (shared, read-write). LOCALE: a sort
  // order number ("1033"; "-1" is General) or ";LANGID=0x0409;CP=1252;COUNTRY=0" keys, either
  // optionally followed by ";pwd=" and a password (which encrypts the file with it). OPTIONS:
  // kDbEncrypt (the engine key, when no password) and at most one version kDbVersion10 ..
  // kDbVersion30 (3.0 when none). Raises kFileExists for an existing NAME, kInvalidArgument for
  // a bad locale or options, kBadPassword for a password over 20 characters, kBadPath.
  std::shared_ptr<Database> CreateDatabase(const std::string& name, const std::string& locale, int options = 0);

  // Builds DESTINATION anew from SOURCE, which is read under an exclusive hold and never
  // changed. DESTINATION_LOCALE: a new sort order and/or ";pwd=" with a new password (";pwd="
  // alone removes it); empty keeps the source's. OPTIONS: kDbEncrypt, kDbDecrypt, or a version.
  // SOURCE_LOCALE: ";pwd=" with the source's password. Raises kFileExists when DESTINATION
  // exists, kInvalidOperation for decrypting a database that keeps a password, the open errors
  // of SOURCE (see Workspace::OpenDatabase), kInvalidArgument for bad options or locales.
  void CompactDatabase(const std::string& source, const std::string& destination,
                       const std::string& destination_locale = {}, int options = 0,
                       const std::string& source_locale = {});

  // Checks NAME and, when it is damaged, replaces it with a sound file holding every row that
  // still reads (the damaged file stays beside it as NAME.damaged). CONNECT (beyond the object
  // model) gives ";pwd=" and the password of a protected file, which cannot be repaired without
  // it (kBadPassword). Raises the open errors of NAME, kFileInUse while others have it open,
  // kUnrecognisedFile when too little of it reads.
  void RepairDatabase(const std::string& name, const std::string& connect = {});
  // A new database DESTINATION from a genuine .mdb/.accdb SOURCE (jet/import/import_database.h).
  ImportSummary ImportDatabase(const std::string& source, const std::string& destination, int options = 0,
                               const std::vector<std::string>& tables = {});

  // Version, DefaultUser, SystemDB, IniPath, LoginTimeout, DefaultType. Reading them after the
  // engine is gone raises kObjectClosed.
  std::shared_ptr<jet::Properties> Properties();

 private:
  friend class Workspaces;
  // The default workspace, logged in from DefaultUser, DefaultPassword and DefaultType on first
  // use and kept by the engine until it is closed.
  std::shared_ptr<Workspace> DefaultWorkspace();
  // The other open workspaces still referenced, in creation order.
  std::vector<std::shared_ptr<Workspace>> OtherWorkspaces();

  const EngineSettings settings_;  // constant after construction
  std::string default_user_ = "Admin";
  std::string default_password_;
  std::string system_db_;
  std::string ini_path_;
  int login_timeout_ = 20;
  int default_type_ = 2;
  std::shared_ptr<Workspace> default_workspace_;           // owned: lives until closed
  std::vector<std::weak_ptr<Workspace>> other_workspaces_;  // not owned
};

// A new engine with SETTINGS (the defaults for every program; tests pass lowered costs).
std::shared_ptr<DBEngine> CreateDBEngine(const EngineSettings& settings = EngineSettings());

}  // namespace qb::jet
