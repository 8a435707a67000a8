// jet/query/database_file: one open database file as the engine's own code reaches it: the
// connection, the lock-file hold and its ranges, the transaction depth and the record locks kept
// until the outermost transaction ends, the compiled statements, and the query schema with the
// translations cached over it. The DAO Database owns one (dao/database.h has the transaction
// state machine and the rules for several users) and hands it down to statements, cursors and
// recordsets; recordsets keep only a weak pointer, so a closed or destroyed file makes them fail
// with kObjectClosed. Not thread-safe: one thread at a time per engine.
#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "com/variant.h"
#include "jet/storage/engine_file.h"

namespace qb::jet {

namespace sql {
class TranslationCache;
struct TranslatedQuery;
}  // namespace sql

class CatalogQuerySchema;
class Connection;
class LockFileHold;
class LockRanges;
class StatementCache;
class TransactionLocks;

// How a file is encrypted.
enum class Encryption {
  kNone,         // a plain SQLite file
  kEngineKey,    // encrypted without a password, with the engine's key
  kPassword,     // encrypted with the database password
};

class DatabaseFile {
 public:
  // Made by OpenDatabaseFile and CreateDatabaseFile. Takes over CONNECTION (already set up:
  // collation, read-only guard) and HOLD (the lock-file hold, may be null when the folder cannot
  // hold one). NAME is the path it was opened with, CONNECT the connect text.
  DatabaseFile(std::string name, std::string connect, bool read_only, std::unique_ptr<Connection> connection,
               std::unique_ptr<LockFileHold> hold, CatalogInfo info, Encryption encryption);
  ~DatabaseFile();  // closes
  DatabaseFile(const DatabaseFile&) = delete;
  DatabaseFile& operator=(const DatabaseFile&) = delete;

  // Constant facts, readable after closing too.
  const std::string& Name() const { return name_; }
  const std::string& Connect() const { return connect_; }
  bool ReadOnly() const { return read_only_; }
  const CatalogInfo& Info() const { return info_; }
  Encryption GetEncryption() const { return encryption_; }

  bool IsOpen() const { return connection_ != nullptr; }
  // The connection; raises kObjectClosed once closed.
  Connection& Open() const;
  // Raises kReadOnly saying why the file cannot be written: asked for by the caller, forced by a
  // file that cannot be written (the connection says why) or by Currency amounts not converted.
  [[noreturn]] void RaiseReadOnly() const;

  // For the engine's own objects that change or read the file (schema objects, executors):
  // the connection. Raises kObjectClosed once closed, kReadOnly when WRITING on a read-only open.
  Connection& EngineConnection(bool writing);

  // The translation of the Jet statement JET_SQL against this file's tables and saved queries,
  // cached by text until any definition changes. Raises as sql::TranslateQuery. The result is
  // shared and immutable.
  std::shared_ptr<const sql::TranslatedQuery> Translate(std::string_view jet_sql);
  // JET_SQL, an INSERT ... VALUES of constants only, as the translation every statement
  // differing from it only in its constants shares (placeholders ?1, ?2, ... for them), with
  // *CONSTANTS set to JET_SQL's; null when JET_SQL must go through Translate (see
  // sql::TranslationCache::GetShared). Cached as Translate's results are.
  std::shared_ptr<const sql::TranslatedQuery> TranslateShared(std::string_view jet_sql, std::vector<Variant>* constants);
  // The crosstab JET_SQL with its columns fixed to PIVOT_VALUES (not cached: it depends on the
  // data). Raises as sql::TranslateCrosstab.
  std::shared_ptr<const sql::TranslatedQuery> TranslateCrosstab(std::string_view jet_sql,
                                                                const std::vector<Variant>& pivot_values);
  // Compiled statements of the connection, kept by SQL (see statement_cache.h).
  // Raises kObjectClosed once closed.
  StatementCache& Statements();

  // The lock file's holds on tables and records; null when the folder could not hold a lock
  // file (a read-only open). Raises kObjectClosed once closed.
  std::shared_ptr<LockRanges> LockFileRanges() const;
  // The record locks kept until the outermost transaction ends (transaction_locks.h). Raises
  // kObjectClosed once closed.
  TransactionLocks& KeptRecordLocks();

  // The transaction levels (dao/database.h has the state machine). Each raises kObjectClosed
  // once closed. BeginTrans raises kTransactionsTooDeep at 5; CommitTrans commits the innermost
  // level (REQUIRES: depth above 0 and the transaction still open on the connection); Rollback
  // undoes it (kNoTransaction at depth 0; depth 0 at once when a failed statement made SQLite
  // undo the whole transaction) and forgets the translations made since.
  int TransactionDepth() const;
  void BeginTrans();
  void CommitTrans();
  void Rollback();

  // Undoes open transactions, closes the file and releases the lock-file hold.
  // REQUIRES (else kObjectClosed): open.
  void Close();

 private:
  CatalogQuerySchema& QuerySchema();      // opens the file; made on first use
  sql::TranslationCache& Translations();  // made on first use

  const std::string name_;                 // constant after construction
  const std::string connect_;              // constant after construction
  const bool read_only_;                   // constant after construction
  const CatalogInfo info_;                 // constant after construction
  const Encryption encryption_;            // constant after construction
  std::unique_ptr<LockFileHold> hold_;     // released by Close
  std::unique_ptr<Connection> connection_;  // null once closed
  // Over connection_, made on first use and dropped before it closes. Translations are cleared
  // on Rollback: the versions they are keyed by go back with the undone changes.
  std::unique_ptr<CatalogQuerySchema> query_schema_;
  std::unique_ptr<sql::TranslationCache> translations_;
  std::unique_ptr<StatementCache> statements_;
  std::unique_ptr<TransactionLocks> record_locks_;  // emptied when depth_ returns to 0 and by Close
  int depth_ = 0;
};

}  // namespace qb::jet
