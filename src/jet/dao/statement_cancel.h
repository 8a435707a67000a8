// jet/dao/statement_cancel: lets a person stop a long statement on a Database. While a
// ScopedStatementCancel lives, the engine asks its check every few thousand steps of the file's
// statements; when the check answers true, the statement running stops with kCancelled (3059).
// Meant for reading statements: SQLite rolls an explicit transaction back when a writing
// statement inside it is stopped, so callers keep writes outside the scope.
#pragma once
#include <functional>
#include <memory>

namespace qb::jet {

class Database;
class DatabaseFile;

class ScopedStatementCancel {
 public:
  // CHECK runs on this thread from inside the engine's statements; it must not run statements
  // on DATABASE itself. A closed DATABASE makes the scope do nothing.
  // REQUIRES: no other ScopedStatementCancel lives on DATABASE's file.
  ScopedStatementCancel(Database& database, std::function<bool()> check);
  ~ScopedStatementCancel();
  ScopedStatementCancel(const ScopedStatementCancel&) = delete;
  ScopedStatementCancel& operator=(const ScopedStatementCancel&) = delete;

 private:
  static int Step(void* self);

  std::shared_ptr<DatabaseFile> file_;  // null when the database was closed
  std::function<bool()> check_;
};

}  // namespace qb::jet
