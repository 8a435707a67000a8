// jet/dao/workspace: one login to the engine: a Jet workspace (an account of the workgroup file,
// whose users and groups it administers) or an ODBC workspace (its kind and settings). Closing it,
// or dropping the last reference to it, releases the workgroup file. Not thread-safe: one thread
// at a time per engine.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "com/variant.h"
#include "jet/base/engine_settings.h"

namespace qb::jet {

class AccountSession;
class Database;
class Databases;
class DBEngine;
class Group;
class Groups;
class Properties;
class User;
class Users;

// Workspace kinds, as CreateWorkspace and Type() give them.
inline constexpr int kUseOdbc = 1;
inline constexpr int kUseJet = 2;

// DefaultCursorDriver values of an ODBC workspace.
inline constexpr int kUseDefaultCursor = -1;
inline constexpr int kUseOdbcCursor = 1;
inline constexpr int kUseServerCursor = 2;
inline constexpr int kUseClientBatchCursor = 3;
inline constexpr int kUseNoCursor = 4;

// OpenDatabase's OPTIONS value for a deny-write open.
inline constexpr int kDenyWrite = 1;

class Workspace : public std::enable_shared_from_this<Workspace> {
 public:
  // Made by DBEngine::CreateWorkspace. SESSION is the logged-in account (Jet) or null (ODBC).
  Workspace(std::string name, std::string user_name, int type, int login_timeout,
            std::shared_ptr<AccountSession> session, const EngineSettings& settings = EngineSettings());
  ~Workspace();  // closes
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  // Every member below except IsOpen raises kObjectClosed once the workspace is closed.
  const std::string& Name() const;
  const std::string& UserName() const;
  int Type() const;  // kUseJet or kUseOdbc

  // Closes every database opened through the workspace (their recordsets close, their pending
  // transactions roll back), ends the login and releases the workgroup file; the users, groups
  // and collections handed out fail from then on. Closing the engine's default workspace
  // (Workspaces item 0) does nothing: whoever holds it keeps a working object.
  // REQUIRES (else kObjectClosed): open.
  void Close();
  bool IsOpen() const { return open_; }

  // Jet workspaces only (else kNotForThisObject).
  bool IsolateODBCTrans() const;
  void SetIsolateODBCTrans(bool isolate);

  // ODBC workspaces only (else kNotForThisObject). LoginTimeout in seconds (0 .. 32767; else
  // kInvalidArgument), from the engine's LoginTimeout at creation. DefaultCursorDriver is one of
  // the kUse...Cursor values (else kInvalidArgument), kUseDefaultCursor at first.
  int LoginTimeout() const;
  void SetLoginTimeout(int seconds);
  int DefaultCursorDriver() const;
  void SetDefaultCursorDriver(int driver);

  // Jet workspaces only (else kNotForThisObject). The workgroup's users and groups; the
  // collections stay usable while the workspace is open.
  std::shared_ptr<jet::Users> Users();
  std::shared_ptr<jet::Groups> Groups();
  // A detached User or Group to append to a collection; nothing is checked or written until
  // then. Jet workspaces only (else kNotForThisObject).
  std::shared_ptr<User> CreateUser(std::string name = {}, std::string pid = {}, std::string password = {});
  std::shared_ptr<Group> CreateGroup(std::string name = {}, std::string pid = {});

  // ODBC workspaces: opens the data source NAME (a DSN, or a whole "ODBC;..." connect text) with
  // CONNECT ("ODBC;DSN=...;UID=...;PWD=..." or "ODBC;DRIVER={...};..."); OPTIONS is the driver
  // prompt option 0 .. 3 (odbc/connect_prompt.h), LoginTimeout applies; the errors are those of
  // odbc::DataSource. Jet workspaces: opens the database file NAME. OPTIONS: false or 0 shared, true or any other number
  // exclusive, except kDenyWrite (1) which lets others open it read-only only. READ_ONLY: every
  // write fails with kReadOnly. CONNECT: ";pwd=" and the database password. The errors are
  // those of OpenDatabaseFile (maintenance/database_open.h): kFileNotFound, kBadFileName,
  // kUnrecognisedFile, kForeignFormat, kBadPassword ("not a valid password"), kFileInUse ("already
  // in use"). The caller owns the database; it closes when the last reference goes.
  std::shared_ptr<Database> OpenDatabase(const std::string& name, const Variant& options = Variant(false),
                                         bool read_only = false, const std::string& connect = {});
  // The databases opened through OpenDatabase that are still open (see databases.h).
  std::shared_ptr<jet::Databases> Databases();
  // The same as a list, in the order they were opened. REQUIRES (else kObjectClosed): open.
  std::vector<std::shared_ptr<Database>> OpenDatabases();

  // Name, UserName, Type, and IsolateODBCTrans (Jet) or LoginTimeout and DefaultCursorDriver
  // (ODBC). The properties fail with kObjectClosed once the workspace is gone.
  std::shared_ptr<jet::Properties> Properties();

 private:
  friend class DBEngine;  // marks its default workspace
  void RequireOpen() const;
  void RequireType(int type, const char* member) const;

  std::string name_;                          // constant after construction
  std::string user_name_;                     // constant after construction
  int type_;                                  // constant after construction
  std::shared_ptr<AccountSession> session_;   // constant after construction; null for ODBC
  const EngineSettings settings_;             // constant after construction: the engine's
  bool open_ = true;
  bool default_ = false;  // the engine's default workspace: Close leaves it open
  std::vector<std::weak_ptr<Database>> databases_;  // opened here; the callers own them
  bool isolate_odbc_trans_ = false;
  int login_timeout_;
  int default_cursor_driver_ = kUseDefaultCursor;
  std::string odbc_password_;  // ODBC: the login's password, the default PWD of its opens
};

}  // namespace qb::jet
