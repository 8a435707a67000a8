// jet/dao/statement_cancel: the check hung on the file's connection as its progress handler.
#include "jet/dao/statement_cancel.h"

#include <sqlcipher/sqlite3.h>

#include "jet/dao/database.h"
#include "jet/query/database_file.h"
#include "jet/sqlite/connection.h"

namespace qb::jet {

namespace {
// Engine steps between two checks: often enough to answer a cancel at once, rare enough to cost
// nothing measurable.
constexpr int kStepsPerCheck = 4000;
}  // namespace

ScopedStatementCancel::ScopedStatementCancel(Database& database, std::function<bool()> check)
    : check_(std::move(check)) {
  if (!database.File() || !database.File()->IsOpen()) return;
  file_ = database.File();
  sqlite3_progress_handler(file_->Open().Handle(), kStepsPerCheck, &ScopedStatementCancel::Step, this);
}

ScopedStatementCancel::~ScopedStatementCancel() {
  if (file_ && file_->IsOpen()) sqlite3_progress_handler(file_->Open().Handle(), 0, nullptr, nullptr);
}

int ScopedStatementCancel::Step(void* self) {
  auto* scope = static_cast<ScopedStatementCancel*>(self);
  try {
    return scope->check_ && scope->check_() ? 1 : 0;
  } catch (...) {
    return 1;  // nothing may cross the engine's C frames: a failing check stops the statement
  }
}

}  // namespace qb::jet
