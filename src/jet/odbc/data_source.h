// jet/odbc/data_source: one open connection to an ODBC data source: how it was opened (its name
// and connect text, the password left out), statements run on the server as written, and one
// level of transaction mapped to the driver's. The Database object of an ODBC workspace owns one.
// Not thread-safe: one thread at a time per engine.
//
// Transactions: depth 0 (autocommit) -> BeginTrans -> 1 (autocommit off) -> CommitTrans or
// Rollback -> 0. A data source takes one level: BeginTrans at 1 raises kTransactionsTooDeep.
// A commit the server refuses is rolled back, so depth 0 always means autocommit. After a
// Rollback the copies of open recordsets are brought back to the server's rows (CopyKeeper).
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <sql.h>

#include "jet/odbc/connect_text.h"

namespace qb::jet::odbc {

class LocalCopy;

// Something keeping copies of this connection's rows (a recordset's rows in the local copy),
// told when the server has dropped the writes of a transaction.
class CopyKeeper {
 public:
  virtual ~CopyKeeper() = default;
  // Makes the copy hold the server's rows again; raises the server's errors.
  virtual void AfterRollback() = 0;
};

struct OpenRequest {
  std::string name;      // a DSN name, or a whole "ODBC;..." connect text
  int options = 0;       // kDriverComplete .. kDriverCompleteRequired (connect_prompt.h)
  bool read_only = false;
  std::string connect;   // "ODBC;DSN=...;UID=...;PWD=..." or "ODBC;DRIVER={...};..."
  int login_timeout = 20;  // seconds; 0 waits as long as the driver does
  std::string user;      // the workspace's login: fills UID and PWD when it has a password
  std::string password;  //   and the connect text names neither
  int cursor_driver = -1;  // the workspace's DefaultCursorDriver (source_recordset.h says what it does)
};

class DataSource {
 public:
  // Connects (see OpenRequest), prompting through the installed prompt as OPTIONS say. Raises
  // kInvalidArgument for options outside 0 .. 3 or nothing to connect to, kCancelled when the
  // user cancels the prompt, err::kConnectFailed with the driver's diagnostics otherwise.
  explicit DataSource(const OpenRequest& request);
  ~DataSource();  // closes
  DataSource(const DataSource&) = delete;
  DataSource& operator=(const DataSource&) = delete;

  bool IsOpen() const { return dbc_ != SQL_NULL_HANDLE; }
  // The data source name (the DSN, "" for a connect text without one) and the connect text the
  // driver completed, as "ODBC;..." without the password. Readable after Close.
  const std::string& Name() const { return name_; }
  const std::string& Connect() const { return connect_; }
  bool ReadOnly() const { return read_only_; }
  // The workspace's DefaultCursorDriver when this connection was opened.
  int CursorDriver() const { return cursor_driver_; }

  // Runs SQL on the server as written; returns the rows it changed (0 when the driver cannot
  // tell). A statement running past QUERY_TIMEOUT seconds (0: no limit) is cancelled.
  // Raises err::kCallFailed with the diagnostics. REQUIRES (else kObjectClosed): open.
  long long Execute(const std::string& sql, int query_timeout);

  void BeginTrans();
  void CommitTrans();
  // Rolls back, then has every live CopyKeeper re-read its rows. The transaction is rolled back
  // even when a re-read fails; that failure is raised afterwards (Requery mends that copy).
  void Rollback();
  void Keep(std::weak_ptr<CopyKeeper> keeper);
  // Runs WRITE (several statements) as one unit on the server: inside the open transaction, else
  // in one of its own, committed after it and rolled back (the copies left alone) when it fails.
  void AsOneUnit(const std::function<void()>& write);
  int TransactionDepth() const { return depth_; }

  // Rolls back an open transaction and disconnects. REQUIRES (else kObjectClosed): open.
  void Close();

  // For the statements of this connection: the connection handle. REQUIRES: open.
  SQLHDBC Handle() const;
  // The scratch file holding this connection's recordset rows (local_copy.h), closed with it.
  // REQUIRES (else kObjectClosed): open.
  LocalCopy& Local();
  // NAME quoted the way the server quotes names (with '"' when the driver does not say).
  std::string QuoteName(const std::string& name) const;
  // The server's product name as the driver reports it ("PostgreSQL", "SQLite", ...; "" when
  // it does not say).
  std::string DbmsName() const;

  // Rows read by position from the server's cursors (source_cursor.h) since the connection
  // opened: what a recordset on them has read, as opposed to what it shows.
  std::uint64_t CursorRowsRead() const { return cursor_rows_read_; }
  void NoteCursorRows(std::uint64_t rows) { cursor_rows_read_ += rows; }

  // The secrets to blank out of this connection's error texts.
  const std::vector<std::string>& Secrets() const { return secrets_; }
  // The connect values the driver connected with, the password included: for a second
  // connection to the same server (server_copy.h). Never shown or stored.
  const std::vector<ConnectPair>& LoginValues() const { return login_; }

 private:
  void RequireOpen() const;
  void EndTransaction(SQLSMALLINT completion);
  void Release();

  SQLHENV env_ = SQL_NULL_HANDLE;
  SQLHDBC dbc_ = SQL_NULL_HANDLE;
  std::string name_;
  std::string connect_;
  bool read_only_ = false;
  int cursor_driver_ = -1;
  int depth_ = 0;
  std::uint64_t cursor_rows_read_ = 0;
  std::vector<std::string> secrets_;
  std::vector<ConnectPair> login_;
  std::unique_ptr<LocalCopy> local_;
  std::vector<std::weak_ptr<CopyKeeper>> keepers_;
};

}  // namespace qb::jet::odbc
