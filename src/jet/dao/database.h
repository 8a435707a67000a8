// jet/dao/database: one open database file: its settings and facts (Name, Connect, Version, sort
// order ...), its catalog collections, user-defined properties, nested transactions and Close.
// Owns the open file (query/database_file.h: its connection, lock-file hold, caches and
// transaction depth); never opens or creates files itself (see database_files.h and DBEngine).
// Not thread-safe: one thread at a time per engine.
//
// Transactions (one state machine, kept in the file's depth):
//   depth 0        no transaction; every change commits at once.
//   depth 1 .. 5   a transaction is open on the connection (level 1) with savepoints qb_tx2 ..
//                  qb_txN for the inner levels; changes are kept until the outermost commit.
//   BeginTrans     depth d -> d + 1 (kTransactionsTooDeep at 5); from 0 it takes the file's
//                  write lock (see "Several users" below);
//   CommitTrans    depth d -> d - 1, committing at 1, else releasing savepoint d
//                  (kNoTransaction at 0);
//   Rollback       depth d -> d - 1, undoing the transaction at 1, else savepoint d
//                  (kNoTransaction at 0);
//   failure        a statement failing for a full disk or a disk error makes SQLite undo the
//                  whole transaction: the next Rollback takes depth d -> 0, the next CommitTrans
//                  does the same and raises kNoTransaction (nothing was saved);
//   Close          any depth -> closed, undoing every open level.
// Record locks taken by recordset writes inside a transaction are kept (KeptRecordLocks) until
// the depth is back to 0 or the database closes.
//
// Several users: one writer at a time per file, for as long as its write or transaction lasts.
// Every write (a statement, a recordset's Update or Delete, a schema change) takes the file's
// write lock before it reads anything, and a transaction takes it at BeginTrans (a read-only
// open's takes none) and keeps it until its outermost CommitTrans or Rollback. Readers never
// wait: they see the last committed state. A writer that finds the lock held waits for it up
// to the busy timeout (EngineSettings::busy_timeout_ms, 5 s by default) and then fails with
// kLockedRetry (3218), having changed nothing; BeginTrans fails the same way. So keep
// transactions short. Record locks come on top (recordset.h): an UPDATE or DELETE that would
// write a record another user's transaction keeps locked fails at once with dbFailOnError
// (3218); without it, it waits for that transaction like any write. Programs where many users
// write at once should keep their data in a server database (ODBC workspaces, to come).
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "com/variant.h"
#include "jet/dao/catalog_objects.h"
#include "jet/query/database_file.h"

namespace qb::jet {

class Connection;
class Properties;
class Property;
class Recordset;
class Relation;
class TableDef;
namespace odbc {
class DataSource;
}

class Database : public std::enable_shared_from_this<Database> {
 public:
  // Over FILE, just opened or created (database_files.h), which it owns from now on.
  explicit Database(std::shared_ptr<DatabaseFile> file);
  // ODBC data sources: over SOURCE, just connected by an ODBC workspace, which it owns from now
  // on. Name, Connect, QueryTimeout, Updatable, Transactions, RecordsAffected, Execute (the
  // statement goes to the server as written), BeginTrans, CommitTrans, Rollback (one level),
  // OpenRecordset (odbc/source_recordset.h), CreateQueryDef and QueryDefs (passed through to
  // the server: querydef.h) and Close work on it; the members of database files raise
  // kNotForThisObject.
  explicit Database(std::shared_ptr<odbc::DataSource> source);
  bool IsDataSource() const { return source_ != nullptr; }
  // Beyond the object model, for tools that pass a user's statements to the server (reading
  // their rows with odbc/result_reader.h): the connection; null for a database file.
  const std::shared_ptr<odbc::DataSource>& Source() const { return source_; }
  ~Database();  // closes
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // Every member below except IsOpen raises kObjectClosed once the database is closed.
  const std::string& Name() const;     // the path it was opened with
  const std::string& Connect() const;  // the connect text it was opened with
  // Seconds a query may run (60 at first); 0 .. 32767, else kInvalidArgument.
  int QueryTimeout() const;
  void SetQueryTimeout(int seconds);
  std::string Version() const;  // "1.0", "1.1", "2.0" or "3.0"
  // This engine makes no replicas: always raises kNotForThisObject.
  std::string DesignMasterID() const;
  int CollatingOrder() const;  // the sort order number (1033 General ...)
  bool Updatable() const;      // false when opened read-only
  bool Transactions() const;   // always true
  int RecordsAffected() const;  // rows changed by the last Execute (0 until then)

  // Beyond the object model: how the file is encrypted.
  Encryption GetEncryption() const;

  // The built-in properties (Name, Connect, Transactions, Updatable, CollatingOrder,
  // QueryTimeout, Version, RecordsAffected) followed by the user-defined ones, read now.
  std::shared_ptr<jet::Properties> Properties();
  // Makes and stores a user-defined database property at once (it is there on every later
  // open). NAME: 1 to 64 characters, not the name of an existing property (else
  // kDuplicateName); TYPE: a data type code 1 .. 8, 10 or 12 (else kInvalidArgument); VALUE
  // must convert to TYPE (else kInvalidPropertyValue). Raises kReadOnly on a read-only open.
  std::shared_ptr<Property> CreateProperty(const std::string& name, int type, const Variant& value);

  // Snapshots of the catalog, read now (Refresh re-reads them while the database is open).
  // TableDefs lists system tables (with kSystemObject) and the user's tables, by name.
  std::shared_ptr<jet::TableDefs> TableDefs();
  // The saved queries by name: one collection per Database object, re-read on every call, whose
  // items stay the same objects (with their parameter values) while their queries exist.
  std::shared_ptr<jet::QueryDefs> QueryDefs();
  // "Databases" (the document "MSysDb"), "Tables" (tables and queries), "Relationships".
  std::shared_ptr<jet::Containers> Containers();
  std::shared_ptr<CatalogItems<Relation>> Relations();  // relation.h: the tables' relationships

  // Nested transactions (see the state machine above). COMMIT_OPTIONS: 0 or 1 (force the
  // operating system to flush; every commit does), else kInvalidArgument.
  void BeginTrans();
  void CommitTrans(int commit_options = 0);
  void Rollback();
  int TransactionDepth() const;  // beyond the object model

  // Undoes open transactions, closes the file and releases the lock-file hold.
  // REQUIRES (else kObjectClosed): open.
  void Close();
  bool IsOpen() const;

  // A new stand-alone table definition named NAME, to be appended to TableDefs (tabledef.cpp).
  std::shared_ptr<TableDef> CreateTableDef(const std::string& name = std::string());
  // A query definition (querydefs.cpp). A NAME stores it at once in QueryDefs (raising what
  // QueryDefs.Append raises); an empty NAME makes a temporary one, never stored unless it is
  // named and appended. SQL is parsed first (the parser's syntax errors).
  std::shared_ptr<QueryDef> CreateQueryDef(const std::string& name = std::string(),
                                           const std::string& sql = std::string());

  // Runs the Jet SQL statement SQL (query/query_execution.h): DDL (CREATE/ALTER/DROP TABLE,
  // CREATE/DROP INDEX) as one all-or-nothing change that keeps the catalog in step
  // (RecordsAffected becomes 0); INSERT, UPDATE, DELETE and SELECT ... INTO (RecordsAffected
  // becomes the rows written). OPTIONS: Jet's Execute options; with dbFailOnError (128) the
  // first failing row raises its error and the statement leaves nothing behind, without it rows
  // that break a rule are skipped. Raises the parser's syntax errors, the translator's errors,
  // kSelectNotExecutable (3065) for a row-returning statement, kTooFewParameters (3061) for
  // names that resolve to nothing, kReadOnly on a read-only open, the schema and rule errors.
  void Execute(const std::string& sql, int options = 0);

  // Opens SOURCE (a table, a saved query or a Jet SELECT statement) as a recordset
  // (recordset/recordset_open.h has the rules and errors). TYPE 0: table-type for a table,
  // dynaset otherwise; LOCK_TYPE 0: pessimistic.
  std::shared_ptr<Recordset> OpenRecordset(const std::string& source, int type = 0, int options = 0, int lock_type = 0);

  // For the engine's own objects (schema objects, queries, recordsets) and its tests: the open
  // file with its connection, locks, caches and transaction depth (query/database_file.h).
  // Null for a data source.
  const std::shared_ptr<DatabaseFile>& File() const { return file_; }

  // Test hook until table definitions can be made: runs raw SQL on the file (the read-only
  // guard applies).
  void TEST_ExecuteSql(std::string_view sql);

 private:
  Connection& Open() const;  // the connection; kObjectClosed when closed, kNotForThisObject for a data source
  void RequireSourceOpen() const;  // kObjectClosed when closed (a file or a data source)
  std::shared_ptr<Property> UserProperty(const std::string& name, int type);

  const std::shared_ptr<DatabaseFile> file_;    // constant after construction: owned; null for a data source
  const std::shared_ptr<odbc::DataSource> source_;  // constant after construction: owned; null for a file
  std::shared_ptr<jet::QueryDefs> query_defs_;  // made by the first QueryDefs()
  int query_timeout_ = 60;
  int records_affected_ = 0;
};

}  // namespace qb::jet
