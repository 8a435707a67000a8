// jet/query/database_file: the open file's connection and what is kept over it: savepoint
// transactions, kept record locks, compiled statements and cached translations, and closing.
#include "jet/query/database_file.h"

#include "jet/base/errors.h"
#include "jet/catalog/catalog_query_schema.h"
#include "jet/catalog/currency_storage.h"
#include "jet/locks/lock_file.h"
#include "jet/locks/transaction_locks.h"
#include "jet/sql/translate/translation_cache.h"
#include "jet/sqlite/connection.h"
#include "jet/sqlite/statement_cache.h"
#include "jet/storage/text_collation.h"

namespace qb::jet {
namespace {

constexpr int kMaxDepth = 5;

std::string SavepointName(int level) { return "qb_tx" + std::to_string(level); }

}  // namespace

DatabaseFile::DatabaseFile(std::string name, std::string connect, bool read_only,
                           std::unique_ptr<Connection> connection, std::unique_ptr<LockFileHold> hold,
                           CatalogInfo info, Encryption encryption)
    : name_(std::move(name)),
      connect_(std::move(connect)),
      read_only_(read_only),
      info_(std::move(info)),
      encryption_(encryption),
      hold_(std::move(hold)),
      connection_(std::move(connection)),
      record_locks_(std::make_unique<TransactionLocks>()) {}

DatabaseFile::~DatabaseFile() {
  if (!IsOpen()) return;
  try {
    Close();
  } catch (...) {
    // Closing cannot fail in a way the caller could act on from a destructor.
  }
}

Connection& DatabaseFile::Open() const {
  if (!connection_) RaiseJetError(err::kObjectClosed, "The database '" + name_ + "' has been closed.");
  return *connection_;
}

void DatabaseFile::RaiseReadOnly() const {
  const Connection& connection = Open();
  if (connection.GetWriteBarrier() != WriteBarrier::kNone) connection.RaiseWriteBarrier();
  if (!info_.exact_currency) {
    RaiseJetError(err::kReadOnly, "The database '" + name_ + "' cannot be changed: " + UnconvertedCurrencyAdvice() + ".");
  }
  RaiseJetError(err::kReadOnly, "The database '" + name_ + "' is open read-only.");
}

Connection& DatabaseFile::EngineConnection(bool writing) {
  Connection& connection = Open();
  if (writing && read_only_) RaiseReadOnly();
  return connection;
}

namespace {

// How this file's queries translate: its text collation, and Currency as stored by its format.
sql::QueryTranslateOptions TranslateOptionsFor(const CatalogInfo& info) {
  sql::QueryTranslateOptions options;
  options.text_collation = kTextCollationName;
  options.currency_amounts = !info.exact_currency;
  return options;
}

}  // namespace

CatalogQuerySchema& DatabaseFile::QuerySchema() {
  Connection& connection = Open();
  if (!query_schema_) query_schema_ = std::make_unique<CatalogQuerySchema>(connection);
  return *query_schema_;
}

sql::TranslationCache& DatabaseFile::Translations() {
  if (!translations_) translations_ = std::make_unique<sql::TranslationCache>();
  return *translations_;
}

std::shared_ptr<const sql::TranslatedQuery> DatabaseFile::Translate(std::string_view jet_sql) {
  CatalogQuerySchema& schema = QuerySchema();
  return Translations().Get(jet_sql, schema, TranslateOptionsFor(info_));
}

std::shared_ptr<const sql::TranslatedQuery> DatabaseFile::TranslateShared(std::string_view jet_sql,
                                                                          std::vector<Variant>* constants) {
  CatalogQuerySchema& schema = QuerySchema();
  return Translations().GetShared(jet_sql, schema, TranslateOptionsFor(info_), constants);
}

std::shared_ptr<const sql::TranslatedQuery> DatabaseFile::TranslateCrosstab(std::string_view jet_sql,
                                                                            const std::vector<Variant>& pivot_values) {
  return std::make_shared<const sql::TranslatedQuery>(
      sql::TranslateCrosstab(jet_sql, QuerySchema(), pivot_values, TranslateOptionsFor(info_)));
}

StatementCache& DatabaseFile::Statements() {
  Connection& connection = Open();
  if (!statements_) statements_ = std::make_unique<StatementCache>(connection);
  return *statements_;
}

std::shared_ptr<LockRanges> DatabaseFile::LockFileRanges() const {
  Open();
  return hold_ ? hold_->Ranges() : nullptr;
}

TransactionLocks& DatabaseFile::KeptRecordLocks() {
  Open();
  return *record_locks_;
}

int DatabaseFile::TransactionDepth() const {
  Open();
  return depth_;
}

void DatabaseFile::BeginTrans() {
  Connection& connection = Open();
  if (depth_ >= kMaxDepth) {
    RaiseJetError(err::kTransactionsTooDeep, "Transactions cannot be nested more than 5 levels deep.");
  }
  if (depth_ == 0) {
    // The outermost level begins as a write: it takes the file's write lock now (waiting for
    // another user's transaction as the busy timeout says), so that what it reads stays what
    // it later writes over. A read-only open never writes, so it holds no one up.
    connection.Exec(read_only_ ? "BEGIN" : "BEGIN IMMEDIATE");
  } else {
    connection.Exec("SAVEPOINT " + SavepointName(depth_ + 1));
  }
  ++depth_;
}

void DatabaseFile::CommitTrans() {
  Connection& connection = Open();
  if (depth_ == 0) RaiseJetError(err::kNoTransaction, "There is no transaction to commit.");
  connection.Exec(depth_ == 1 ? std::string("COMMIT") : "RELEASE SAVEPOINT " + SavepointName(depth_));
  --depth_;
  if (depth_ == 0) record_locks_->Clear();
}

void DatabaseFile::Rollback() {
  Connection& connection = Open();
  if (depth_ == 0) RaiseJetError(err::kNoTransaction, "There is no transaction to roll back.");
  if (!connection.InTransaction()) {
    depth_ = 0;  // a failed statement made SQLite undo every level already
  } else {
    const std::string savepoint = SavepointName(depth_);
    connection.Exec(depth_ == 1 ? "ROLLBACK" : "ROLLBACK TO SAVEPOINT " + savepoint + "; RELEASE SAVEPOINT " + savepoint);
    --depth_;
  }
  if (depth_ == 0) record_locks_->Clear();
  if (translations_) translations_->Clear();
  if (query_schema_) query_schema_->Forget();
}

void DatabaseFile::Close() {
  Open();
  if (depth_ > 0) {
    try {
      connection_->Exec("ROLLBACK");
    } catch (...) {
      // Closing the connection rolls back whatever is still open.
    }
    depth_ = 0;
  }
  record_locks_->Clear();
  statements_.reset();
  translations_.reset();
  query_schema_.reset();
  connection_.reset();
  hold_.reset();
}

}  // namespace qb::jet
