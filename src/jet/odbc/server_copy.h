// jet/odbc/server_copy: a second connection to the server behind a PostgreSQL data source, made
// through the server's own client library with the values its ODBC driver connected with, for
// the one thing that driver does not offer: the bulk copy of rows (COPY ... FROM STDIN), which
// the server takes at several times the speed of the fastest INSERT statements.
//
// It is a connection of its own: it sees what the data source's connection has committed, not
// its open transaction. Statements run as written; errors are engine errors (3146) with the
// server's SQLSTATE and message, the data source's secrets blanked out.
#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct pg_conn;
struct pg_result;

namespace qb::jet::odbc {

class DataSource;

class ServerCopy {
 public:
  // A connection to the server of SOURCE, or null with the reason in WHY when SOURCE is not a
  // PostgreSQL server, its connect values do not name the server and database (the library's
  // defaults might reach another one), or the server refuses the connection.
  static std::unique_ptr<ServerCopy> Open(const DataSource& source, std::string* why);
  ~ServerCopy();
  ServerCopy(const ServerCopy&) = delete;
  ServerCopy& operator=(const ServerCopy&) = delete;

  // Runs SQL (one or more statements, no rows wanted).
  void Execute(const std::string& sql);

  // Starts COPY_SQL ("COPY t (a, b) FROM STDIN"), whose rows follow in the server's text format
  // (a line a row, tab between values, "\N" for Null) through Put, one or many lines at a time.
  void BeginCopy(const std::string& copy_sql);
  void Put(std::string_view lines);
  // Ends the copy; returns the rows the server took. A row the server refuses is named by its
  // line ("row 12 of the table 'T'") in the raised error; nothing of the copy stays.
  long long EndCopy(const std::string& table);
  // Ends a copy begun and not ended, keeping none of its rows (the transaction fails).
  void AbandonCopy();

 private:
  ServerCopy(pg_conn* connection, std::vector<std::string> secrets);
  // "WHAT: [SQLSTATE] message" for RESULT's failure, or the connection's when RESULT has none.
  std::string Describe(const std::string& what, const pg_result* result) const;

  pg_conn* connection_;
  std::vector<std::string> secrets_;
  bool copying_ = false;
};

}  // namespace qb::jet::odbc
