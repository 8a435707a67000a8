// Data sources the ODBC tests connect to: a private PostgreSQL server started once per test
// program (on first use, stopped when the program ends) that listens only on a Unix socket in
// its own temporary folder, and the SQLite ODBC driver over a file. Connect texts name the
// driver by its library path, so no DSN or odbc.ini is involved.
#pragma once
#include <string>

#include "support/private_postgres.h"

namespace qb::jet::test {

using qb::test::OdbcDriverPath;

struct PostgresInfo {
  std::string socket_dir;
  std::string user = "quill";
  std::string password = "Tr0ub4dor&3";
  std::string driver;  // the driver library
};

// The running private server, started now if need be; null with WHY_NOT set when PostgreSQL or
// its ODBC driver is missing or the server does not start.
const PostgresInfo* PrivatePostgres(std::string* why_not);

// "ODBC;DRIVER={...};Servername=...;Port=...;Database=postgres;UID=..." followed by ";PWD=..."
// when WITH_PASSWORD.
std::string PostgresConnect(const PostgresInfo& server, bool with_password = true);

// A second server for the tests that stop their server while connected: started now, stopped
// by StopPostgres or at the end of the program.
class OwnPostgres {
 public:
  OwnPostgres();
  ~OwnPostgres();
  OwnPostgres(const OwnPostgres&) = delete;
  OwnPostgres& operator=(const OwnPostgres&) = delete;
  const PostgresInfo* Info(std::string* why_not) const;
  void Stop();

 private:
  struct Impl;
  Impl* impl_;
};

}  // namespace qb::jet::test
