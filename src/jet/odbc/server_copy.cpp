// jet/odbc/server_copy: COPY ... FROM STDIN on a PostgreSQL connection of the client library.
#include "jet/odbc/server_copy.h"

#include <libpq-fe.h>

#include <cstdlib>
#include <initializer_list>
#include <utility>

#include "jet/base/errors.h"
#include "jet/odbc/connect_text.h"
#include "jet/odbc/data_source.h"
#include "jet/odbc/odbc_errors.h"

namespace qb::jet::odbc {
namespace {

// A result freed with its scope.
struct Result {
  explicit Result(PGresult* r) : result(r) {}
  ~Result() { PQclear(result); }
  Result(const Result&) = delete;
  Result& operator=(const Result&) = delete;
  PGresult* result;
};

std::string Field(const PGresult* result, int field) {
  const char* value = result ? PQresultErrorField(result, field) : nullptr;
  return value ? value : "";
}

// The first value of the first of KEYS present in PAIRS, or null.
const std::string* FirstOf(const std::vector<ConnectPair>& pairs, std::initializer_list<const char*> keys) {
  for (const char* key : keys) {
    if (const std::string* value = FindConnectValue(pairs, key); value && !value->empty()) return value;
  }
  return nullptr;
}

// The row a COPY error's context names ("COPY t, line 12, column v: ..."), or 0. Read after the
// table's own name, which may hold ", line " itself.
long long LineOf(const std::string& context, const std::string& table) {
  const std::string lead = "COPY " + table + ", line ";
  return context.compare(0, lead.size(), lead) == 0 ? std::atoll(context.c_str() + lead.size()) : 0;
}

}  // namespace

std::unique_ptr<ServerCopy> ServerCopy::Open(const DataSource& source, std::string* why) {
  if (source.DbmsName() != "PostgreSQL") {
    *why = "the data source is not a PostgreSQL server";
    return nullptr;
  }
  const std::vector<ConnectPair>& login = source.LoginValues();
  const std::string* host = FirstOf(login, {"Servername", "Server"});
  const std::string* database = FirstOf(login, {"Database"});
  if (!host || !database) {
    *why = "the connect values do not name the server and database";
    return nullptr;
  }
  // The same values the driver passes on, with its defaults: never the library's own, which
  // come from the environment and could name another server.
  const std::string* port = FirstOf(login, {"Port"});
  std::vector<std::pair<const char*, std::string>> values = {
      {"host", *host},
      {"port", port ? *port : "5432"},
      {"dbname", *database},
      {"client_encoding", "UTF8"},
      {"application_name", "quill"},
      {"connect_timeout", "20"},
  };
  if (const std::string* user = FirstOf(login, {"UID", "Username", "User"})) values.emplace_back("user", *user);
  if (const std::string* password = FirstOf(login, {"PWD", "Password"})) values.emplace_back("password", *password);
  if (const std::string* ssl = FirstOf(login, {"SSLmode"})) values.emplace_back("sslmode", *ssl);
  std::vector<const char*> keywords, texts;
  for (const auto& [keyword, text] : values) {
    keywords.push_back(keyword);
    texts.push_back(text.c_str());
  }
  keywords.push_back(nullptr);
  texts.push_back(nullptr);
  PGconn* connection = PQconnectdbParams(keywords.data(), texts.data(), 0);
  if (!connection || PQstatus(connection) != CONNECTION_OK) {
    *why = DescribeFailure("the server refused a second connection",
                           {{"08001", 0, OneLine(connection ? PQerrorMessage(connection) : "out of memory")}},
                           source.Secrets());
    PQfinish(connection);
    return nullptr;
  }
  // Notices (a name cut to the server's length, say) are the server talking to a person.
  PQsetNoticeProcessor(connection, [](void*, const char*) {}, nullptr);
  return std::unique_ptr<ServerCopy>(new ServerCopy(connection, source.Secrets()));
}

ServerCopy::ServerCopy(pg_conn* connection, std::vector<std::string> secrets)
    : connection_(connection), secrets_(std::move(secrets)) {}

ServerCopy::~ServerCopy() {
  AbandonCopy();
  PQfinish(connection_);  // an open transaction ends with the connection: rolled back
}

void ServerCopy::AbandonCopy() {
  if (!copying_) return;
  copying_ = false;
  if (PQputCopyEnd(connection_, "abandoned") == 1) {
    while (PGresult* rest = PQgetResult(connection_)) PQclear(rest);
  }
}

std::string ServerCopy::Describe(const std::string& what, const pg_result* result) const {
  const std::string state = Field(result, PG_DIAG_SQLSTATE);
  // Without a SQLSTATE the failure is the connection's own (the server gone, a send failed).
  if (state.empty()) return DescribeFailure(what, {{"08006", 0, OneLine(PQerrorMessage(connection_))}}, secrets_);
  return DescribeFailure(what, {{state, 0, OneLine(Field(result, PG_DIAG_MESSAGE_PRIMARY))}}, secrets_);
}

void ServerCopy::Execute(const std::string& sql) {
  Result done(PQexec(connection_, sql.c_str()));
  const ExecStatusType status = done.result ? PQresultStatus(done.result) : PGRES_FATAL_ERROR;
  if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return;
  RaiseJetError(err::kCallFailed, Describe("The data source refused the statement", done.result));
}

void ServerCopy::BeginCopy(const std::string& copy_sql) {
  Result started(PQexec(connection_, copy_sql.c_str()));
  if (started.result && PQresultStatus(started.result) == PGRES_COPY_IN) {
    copying_ = true;
    return;
  }
  RaiseJetError(err::kCallFailed, Describe("The data source refused the copy", started.result));
}

void ServerCopy::Put(std::string_view lines) {
  constexpr std::size_t kLargestSend = std::size_t{1} << 30;  // the library counts in int
  while (!lines.empty()) {
    const std::string_view piece = lines.substr(0, kLargestSend);
    if (PQputCopyData(connection_, piece.data(), static_cast<int>(piece.size())) != 1) {
      RaiseJetError(err::kCallFailed, Describe("The rows could not be sent to the data source", nullptr));
    }
    lines.remove_prefix(piece.size());
  }
}

long long ServerCopy::EndCopy(const std::string& table) {
  copying_ = false;
  if (PQputCopyEnd(connection_, nullptr) != 1) {
    RaiseJetError(err::kCallFailed, Describe("The rows could not be sent to the data source", nullptr));
  }
  long long rows = -1;
  std::string failure;
  while (PGresult* result = PQgetResult(connection_)) {
    Result part(result);
    if (PQresultStatus(result) == PGRES_COMMAND_OK) {
      rows = std::atoll(PQcmdTuples(result));
    } else if (failure.empty()) {
      const long long line = LineOf(Field(result, PG_DIAG_CONTEXT), table);
      failure = Describe("The data source refused " + (line > 0 ? "row " + std::to_string(line) + " of the table '"
                                                                 : std::string("the rows of the table '")) +
                             table + "'",
                         result);
    }
  }
  if (!failure.empty()) RaiseJetError(err::kCallFailed, failure);
  if (rows < 0) {
    RaiseJetError(err::kCallFailed,
                  Describe("The data source did not say whether it took the rows of the table '" + table + "'", nullptr));
  }
  return rows;
}

}  // namespace qb::jet::odbc
