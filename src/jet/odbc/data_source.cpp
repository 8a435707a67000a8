// jet/odbc/data_source: connecting through the driver manager (with the prompt options), running
// statements as written, and the connection's transaction.
#include "jet/odbc/data_source.h"

#include <odbcinst.h>
#include <sqlext.h>

#include <exception>
#include <memory>

#include "jet/base/errors.h"
#include "jet/odbc/connect_prompt.h"
#include "jet/odbc/connect_text.h"
#include "jet/odbc/local_copy.h"
#include "jet/odbc/odbc_errors.h"

namespace qb::jet::odbc {
namespace {

struct StatementFree {
  void operator()(void* handle) const { SQLFreeHandle(SQL_HANDLE_STMT, handle); }
};

void AddSecrets(const std::vector<ConnectPair>& pairs, std::vector<std::string>& secrets) {
  for (const ConnectPair& pair : pairs) {
    if (IsSecretKey(pair.key) && !pair.value.empty()) secrets.push_back(pair.value);
  }
}

std::string WithoutPrefix(const std::string& text) { return JoinConnect(ParseConnect(text)); }

bool NamesSource(const std::vector<ConnectPair>& pairs) {
  return FindConnectValue(pairs, "DSN") || FindConnectValue(pairs, "DRIVER") || FindConnectValue(pairs, "FILEDSN");
}

// The password the data source DSN's settings hold, as its driver reads it ("" for none).
std::string SettingsPassword(const std::string& dsn) {
  if (dsn.empty()) return {};
  char value[1024] = {};
  for (const char* key : {"Password", "PWD"}) {
    const int length = SQLGetPrivateProfileString(dsn.c_str(), key, "", value, sizeof value, "odbc.ini");
    if (length > 0 && static_cast<std::size_t>(length) < sizeof value) return std::string(value, static_cast<std::size_t>(length));
  }
  return {};
}

}  // namespace

DataSource::DataSource(const OpenRequest& request)
    : read_only_(request.read_only), cursor_driver_(request.cursor_driver) {
  if (request.options < kDriverComplete || request.options > kDriverCompleteRequired) {
    RaiseJetError(jet::err::kInvalidArgument,
                  "The open options of a data source are 0 to 3 (complete, no prompt, prompt, complete required).");
  }
  // A name that is itself a connect text stands for it; otherwise it is the DSN.
  const bool name_is_text = ParseConnect(request.name).size() > 1 || request.name.find('=') != std::string::npos;
  std::vector<ConnectPair> pairs = ParseConnect(request.connect);
  if (name_is_text) {
    std::vector<ConnectPair> from_name = ParseConnect(request.name);
    for (ConnectPair& pair : pairs) SetConnectValue(from_name, pair.key, std::move(pair.value));
    pairs = std::move(from_name);
  } else if (!request.name.empty() && !NamesSource(pairs)) {
    pairs.insert(pairs.begin(), {"DSN", request.name});
  }
  if (!request.password.empty() && !FindConnectValue(pairs, "UID") && !FindConnectValue(pairs, "PWD")) {
    pairs.push_back({"UID", request.user});
    pairs.push_back({"PWD", request.password});
  }
  AddSecrets(pairs, secrets_);
  if (!request.password.empty()) secrets_.push_back(request.password);
  const ConnectPrompt& prompt = CurrentConnectPrompt();
  if (pairs.empty() && (request.options == kDriverNoPrompt || !prompt)) {
    RaiseJetError(jet::err::kInvalidArgument, "Name a data source (DSN) or give a connect text to open.");
  }
  std::string text = JoinConnect(pairs);
  auto ask = [&](const std::string& problem) {
    if (!prompt) {
      RaiseJetError(err::kConnectFailed,
                    "The data source asks for its connect values, but this program has no way to ask for them; "
                    "give them in the connect text.");
    }
    std::optional<std::string> answer = prompt(PromptRequest{text, problem});
    if (!answer) RaiseJetError(jet::err::kCancelled, "Connecting to the data source was cancelled.");
    text = WithoutPrefix(*answer);
    AddSecrets(ParseConnect(text), secrets_);
  };

  try {
    if (!Succeeded(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_))) {
      RaiseJetError(err::kConnectFailed, "The ODBC driver manager could not be started.");
    }
    SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_OV_ODBC3)), 0);
    if (!Succeeded(SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_))) {
      RaiseOdbcError(err::kConnectFailed, "The ODBC driver manager could not make a connection", SQL_HANDLE_ENV, env_);
    }
    if (request.login_timeout > 0) {
      SQLSetConnectAttr(dbc_, SQL_ATTR_LOGIN_TIMEOUT,
                        reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(request.login_timeout)), SQL_IS_UINTEGER);
      SQLSetConnectAttr(dbc_, SQL_ATTR_CONNECTION_TIMEOUT,
                        reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(request.login_timeout)), SQL_IS_UINTEGER);
    }
    if (request.read_only) {
      SQLSetConnectAttr(dbc_, SQL_ATTR_ACCESS_MODE, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_MODE_READ_ONLY)),
                        SQL_IS_UINTEGER);
    }
    if (request.options == kDriverPrompt) ask({});

    std::string completed(4096, '\0');
    auto attempt = [&]() {
      SQLSMALLINT length = 0;
      const SQLRETURN code =
          SQLDriverConnect(dbc_, nullptr, reinterpret_cast<SQLCHAR*>(text.data()), static_cast<SQLSMALLINT>(text.size()),
                           reinterpret_cast<SQLCHAR*>(completed.data()), static_cast<SQLSMALLINT>(completed.size()),
                           &length, SQL_DRIVER_NOPROMPT);
      if (!Succeeded(code)) return false;
      if (length > 0 && static_cast<std::size_t>(length) < completed.size()) {
        completed.resize(static_cast<std::size_t>(length));
      } else {
        completed = text;  // the driver said nothing more, or more than fits: keep what was asked
      }
      return true;
    };
    if (!attempt()) {
      const std::string problem =
          DescribeFailure("The connection to the data source failed", ReadDiagnostics(SQL_HANDLE_DBC, dbc_), secrets_);
      const bool may_ask = request.options == kDriverComplete || request.options == kDriverCompleteRequired;
      if (!may_ask || !prompt) RaiseJetError(err::kConnectFailed, problem);
      ask(problem);
      if (!attempt()) {
        RaiseOdbcError(err::kConnectFailed, "The connection to the data source failed", SQL_HANDLE_DBC, dbc_, secrets_);
      }
    }
    const std::vector<ConnectPair> final_pairs = ParseConnect(completed);
    AddSecrets(final_pairs, secrets_);
    const std::string* dsn = FindConnectValue(final_pairs, "DSN");
    name_ = dsn ? *dsn : std::string();
    connect_ = "ODBC;" + WithoutPassword(completed);
    // The password as it was given, in the connect text or the data source's settings: a
    // driver may write it back encoded into the completed text.
    login_ = final_pairs;
    const std::vector<ConnectPair> sent = ParseConnect(text);
    const std::string* given = FindConnectValue(sent, "PWD");
    if (!given) given = FindConnectValue(sent, "PASSWORD");
    const std::string password = given ? *given : SettingsPassword(name_);
    if (given || !password.empty()) {
      std::erase_if(login_, [](const ConnectPair& pair) { return IsSecretKey(pair.key); });
      login_.push_back({"PWD", password});
      secrets_.push_back(password);
    }
  } catch (...) {
    Release();
    throw;
  }
}

DataSource::~DataSource() {
  if (IsOpen()) Close();
}

void DataSource::RequireOpen() const {
  if (!IsOpen()) RaiseJetError(jet::err::kObjectClosed, "The connection to the data source has been closed.");
}

SQLHDBC DataSource::Handle() const {
  RequireOpen();
  return dbc_;
}

long long DataSource::Execute(const std::string& sql, int query_timeout) {
  RequireOpen();
  SQLHSTMT raw = SQL_NULL_HANDLE;
  if (!Succeeded(SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &raw))) {
    RaiseOdbcError(err::kCallFailed, "The data source could not make a statement", SQL_HANDLE_DBC, dbc_, secrets_);
  }
  const std::unique_ptr<void, StatementFree> statement(raw);
  if (query_timeout > 0) {
    SQLSetStmtAttr(raw, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(query_timeout)), 0);
  }
  std::string text = sql;
  const SQLRETURN code = SQLExecDirect(raw, reinterpret_cast<SQLCHAR*>(text.data()), static_cast<SQLINTEGER>(text.size()));
  if (code == SQL_NO_DATA) return 0;  // a searched UPDATE or DELETE that matched nothing
  if (!Succeeded(code)) {
    RaiseOdbcError(err::kCallFailed, "The data source refused the statement", SQL_HANDLE_STMT, raw, secrets_);
  }
  SQLLEN rows = 0;
  if (!Succeeded(SQLRowCount(raw, &rows)) || rows < 0) return 0;
  return static_cast<long long>(rows);
}

void DataSource::BeginTrans() {
  RequireOpen();
  if (depth_ > 0) {
    RaiseJetError(jet::err::kTransactionsTooDeep, "A data source takes one transaction at a time; commit or roll back first.");
  }
  if (!Succeeded(SQLSetConnectAttr(dbc_, SQL_ATTR_AUTOCOMMIT,
                                   reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_AUTOCOMMIT_OFF)), SQL_IS_UINTEGER))) {
    RaiseOdbcError(err::kCallFailed, "The data source could not begin a transaction", SQL_HANDLE_DBC, dbc_, secrets_);
  }
  depth_ = 1;
}

void DataSource::EndTransaction(SQLSMALLINT completion) {
  const SQLRETURN code = SQLEndTran(SQL_HANDLE_DBC, dbc_, completion);
  std::vector<Diagnostic> failure;
  if (!Succeeded(code)) {
    failure = ReadDiagnostics(SQL_HANDLE_DBC, dbc_);
    // Whatever the server kept of a refused commit is undone, so nothing half-saved stays.
    if (completion == SQL_COMMIT) SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_ROLLBACK);
  }
  depth_ = 0;
  SQLSetConnectAttr(dbc_, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_AUTOCOMMIT_ON)),
                    SQL_IS_UINTEGER);
  if (!Succeeded(code)) {
    RaiseJetError(err::kCallFailed,
                  DescribeFailure(completion == SQL_COMMIT
                                      ? "The data source refused to commit the transaction, so nothing of it was saved"
                                      : "The data source failed to roll back the transaction",
                                  failure, secrets_));
  }
}

void DataSource::CommitTrans() {
  RequireOpen();
  if (depth_ == 0) RaiseJetError(jet::err::kNoTransaction, "There is no transaction to commit.");
  EndTransaction(SQL_COMMIT);
}

void DataSource::Rollback() {
  RequireOpen();
  if (depth_ == 0) RaiseJetError(jet::err::kNoTransaction, "There is no transaction to roll back.");
  EndTransaction(SQL_ROLLBACK);
  // The copies may hold rows the server no longer has (or lack rows it has again).
  std::exception_ptr failure;
  std::erase_if(keepers_, [](const std::weak_ptr<CopyKeeper>& keeper) { return keeper.expired(); });
  for (const std::weak_ptr<CopyKeeper>& weak : std::vector<std::weak_ptr<CopyKeeper>>(keepers_)) {
    if (auto keeper = weak.lock()) {
      try {
        keeper->AfterRollback();
      } catch (...) {
        if (!failure) failure = std::current_exception();
      }
    }
  }
  if (failure) std::rethrow_exception(failure);
}

void DataSource::AsOneUnit(const std::function<void()>& write) {
  if (depth_ > 0) {
    write();
    return;
  }
  BeginTrans();
  try {
    write();
  } catch (...) {
    try {
      EndTransaction(SQL_ROLLBACK);
    } catch (...) {
      // The write's own failure says more.
    }
    throw;
  }
  CommitTrans();
}

void DataSource::Keep(std::weak_ptr<CopyKeeper> keeper) {
  std::erase_if(keepers_, [](const std::weak_ptr<CopyKeeper>& kept) { return kept.expired(); });
  keepers_.push_back(std::move(keeper));
}

std::string DataSource::DbmsName() const {
  RequireOpen();
  char name[128] = {};
  SQLSMALLINT length = 0;
  if (!Succeeded(SQLGetInfo(dbc_, SQL_DBMS_NAME, name, sizeof name, &length))) return {};
  return name;
}

LocalCopy& DataSource::Local() {
  RequireOpen();
  if (!local_) local_ = std::make_unique<LocalCopy>();
  return *local_;
}

std::string DataSource::QuoteName(const std::string& name) const {
  char quote[8] = {};
  SQLSMALLINT length = 0;
  if (!Succeeded(SQLGetInfo(dbc_, SQL_IDENTIFIER_QUOTE_CHAR, quote, sizeof quote, &length)) || quote[0] == ' ' ||
      quote[0] == 0) {
    quote[0] = '"';
  }
  std::string quoted(1, quote[0]);
  for (char c : name) {
    quoted += c;
    if (c == quote[0]) quoted += c;
  }
  return quoted + quote[0];
}

void DataSource::Close() {
  RequireOpen();
  if (local_) local_->Close();
  if (depth_ > 0) {
    SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_ROLLBACK);
    depth_ = 0;
  }
  SQLDisconnect(dbc_);
  Release();
}

void DataSource::Release() {
  if (dbc_ != SQL_NULL_HANDLE) SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
  if (env_ != SQL_NULL_HANDLE) SQLFreeHandle(SQL_HANDLE_ENV, env_);
  dbc_ = SQL_NULL_HANDLE;
  env_ = SQL_NULL_HANDLE;
  login_.clear();
}

}  // namespace qb::jet::odbc
