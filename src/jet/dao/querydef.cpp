// jet/dao/querydef: the QueryDef object's members: its name, text and settings, stored at once for
// a saved query; its parameters, result columns and Execute through the database's translation.
#include "jet/dao/querydef.h"

#include "jet/catalog/catalog_query_schema.h"
#include "jet/catalog/ddl_executor.h"
#include "jet/dao/database.h"
#include "jet/base/errors.h"
#include "jet/dao/property.h"
#include "jet/query/query_execution.h"
#include "jet/query/query_rows.h"
#include "jet/locks/table_hold.h"
#include "jet/odbc/local_copy.h"
#include "jet/odbc/result_reader.h"
#include "jet/catalog/schema_catalog.h"
#include "jet/catalog/schema_change.h"
#include "jet/catalog/schema_model.h"
#include "jet/sql/parse/parser.h"
#include "jet/sql/translate/query_translator.h"

namespace qb::jet {
namespace {

constexpr int kBoolean = 1, kInteger = 3, kLong = 4, kDate = 8, kText = 10, kMemo = 12;

bool IsBlank(const std::string& text) { return text.find_first_not_of(" \t\r\n") == std::string::npos; }

// The type of TEXT; a text that does not parse (written by another program) counts as a select.
int KindOf(const std::string& text) {
  if (IsBlank(text)) return 0;
  try {
    return static_cast<int>(sql::KindOfStatement(sql::ParseStatement(text)));
  } catch (const std::exception&) {
    return 0;
  }
}

// Parses TEXT (raising the parser's error) and returns its type; "" is an empty query.
int CheckedKindOf(const std::string& text) {
  if (IsBlank(text)) return 0;
  return static_cast<int>(sql::KindOfStatement(sql::ParseStatement(text)));
}

constexpr int kPassThrough = 112;  // dbQSQLPassThrough

bool IsSourceDatabase(const std::weak_ptr<Database>& database) {
  std::shared_ptr<Database> open = database.lock();
  return open && open->IsDataSource();
}

// Whether a server's statement returns rows: it starts with SELECT, WITH, VALUES, SHOW, TABLE
// or EXPLAIN.
bool ServerStatementReturnsRows(const std::string& text) {
  std::size_t start = text.find_first_not_of(" \t\r\n(");
  std::string word;
  for (std::size_t i = start; start != std::string::npos && i < text.size() && std::isalpha(static_cast<unsigned char>(text[i])); ++i) {
    word += static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])));
  }
  return word == "SELECT" || word == "WITH" || word == "VALUES" || word == "SHOW" || word == "TABLE" || word == "EXPLAIN";
}

// The "?" markers of a server's statement, outside quotes and comments.
int CountMarkers(const std::string& text) {
  int count = 0;
  char quote = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == '-' && i + 1 < text.size() && text[i + 1] == '-') {
      i = text.find('\n', i);
      if (i == std::string::npos) break;
    } else if (c == '?') {
      ++count;
    }
  }
  return count;
}

bool ReturnsRows(int kind) {
  return kind == static_cast<int>(sql::QueryKind::kSelect) || kind == static_cast<int>(sql::QueryKind::kCrosstab) ||
         kind == static_cast<int>(sql::QueryKind::kUnion);
}

}  // namespace

// ---- QueryDef

QueryDef::QueryDef(std::string name, std::string sql) {
  if (!name.empty()) CheckObjectName(name, "query");
  kind_ = CheckedKindOf(sql);
  stored_.name = std::move(name);
  stored_.sql = std::move(sql);
}

QueryDef::QueryDef(std::weak_ptr<Database> database, std::string sql) : database_(std::move(database)), bound_(true) {
  kind_ = IsSourceDatabase(database_) ? kPassThrough : CheckedKindOf(sql);
  stored_.sql = std::move(sql);
}

QueryDef::QueryDef(std::weak_ptr<Database> database, StoredQuery stored)
    : database_(std::move(database)), bound_(true), stored_(std::move(stored)) {
  kind_ = KindOf(stored_.sql);
}

std::string QueryDef::Name() const { return stored_.name; }
std::string QueryDef::SQL() const { return stored_.sql; }
int QueryDef::Type() const { return kind_; }

Variant QueryDef::DateCreated() const {
  return stored_.id == 0 ? Variant::Null() : Variant::FromDate(stored_.date_created);
}

Variant QueryDef::LastUpdated() const {
  return stored_.id == 0 ? Variant::Null() : Variant::FromDate(stored_.last_updated);
}

bool QueryDef::Updatable() const {
  if (stored_.id == 0) return true;
  if (closed_) return false;
  std::shared_ptr<Database> database = database_.lock();
  return database && database->IsOpen() && database->Updatable();
}

bool QueryDef::ReturnsRecords() const {
  return kind_ == kPassThrough ? ServerStatementReturnsRows(stored_.sql) : ReturnsRows(kind_);
}

bool QueryDef::OnSource() const { return bound_ && kind_ == kPassThrough; }

void QueryDef::BindToSource(const std::shared_ptr<Database>& database) {
  database_ = database;
  bound_ = true;
  kind_ = kPassThrough;
}
std::int32_t QueryDef::MaxRecords() const { return stored_.max_records; }

const std::string& QueryDef::Connect() const {
  static const std::string kLocal;
  return kLocal;
}

int QueryDef::RecordsAffected() const { return records_affected_; }

std::shared_ptr<Database> QueryDef::OwnerDatabase() const {
  if (closed_) RaiseJetError(err::kObjectClosed, "The query definition '" + stored_.name + "' has been closed.");
  if (!bound_) {
    RaiseJetError(err::kInvalidOperation,
                  "The query definition '" + stored_.name + "' is not in a database; append it to QueryDefs first.");
  }
  std::shared_ptr<Database> database = database_.lock();
  if (!database || !database->IsOpen()) {
    RaiseJetError(err::kObjectClosed, "The database of '" + stored_.name + "' has been closed.");
  }
  return database;
}

void QueryDef::SetName(const std::string& name) {
  if (closed_) RaiseJetError(err::kObjectClosed, "The query definition '" + stored_.name + "' has been closed.");
  if (stored_.id == 0) {
    if (!name.empty()) CheckObjectName(name, "query");
    stored_.name = name;
    return;
  }
  CheckObjectName(name, "query");
  std::shared_ptr<Database> database = OwnerDatabase();
  Connection& connection = database->File()->EngineConnection(true);
  if (!SameName(name, stored_.name) && TableNameTaken(connection, name)) {
    RaiseJetError(err::kObjectExists, "A table or query named '" + name + "' already exists.");
  }
  WriteStored([&](Connection& writable) { RenameStoredQuery(writable, stored_.id, name); }, true);
}

void QueryDef::SetSQL(const std::string& text) {
  if (closed_) RaiseJetError(err::kObjectClosed, "The query definition '" + stored_.name + "' has been closed.");
  const int kind = OnSource() ? kPassThrough : CheckedKindOf(text);  // a syntax error leaves everything as it was
  if (stored_.id != 0) {
    WriteStored([&](Connection& writable) { UpdateStoredQuerySql(writable, stored_.id, text); }, true);
    return;
  }
  stored_.sql = text;
  kind_ = kind;
}

void QueryDef::SetMaxRecords(std::int32_t max_records) {
  if (closed_) RaiseJetError(err::kObjectClosed, "The query definition '" + stored_.name + "' has been closed.");
  if (max_records < 0) RaiseJetError(err::kInvalidArgument, "MaxRecords cannot be negative (0 returns all records).");
  if (stored_.id != 0) {
    WriteStored([&](Connection& writable) { UpdateStoredQueryMaxRecords(writable, stored_.id, max_records); }, false);
    return;
  }
  stored_.max_records = max_records;
}

void QueryDef::SetConnect(const std::string& connect) {
  if (closed_) RaiseJetError(err::kObjectClosed, "The query definition '" + stored_.name + "' has been closed.");
  if (!connect.empty()) {
    RaiseJetError(err::kNotForThisObject, "This engine runs queries on its own files only; Connect must stay empty.");
  }
}

void QueryDef::WriteStored(const std::function<void(Connection&)>& write, bool changes_translation) {
  std::shared_ptr<Database> database = OwnerDatabase();
  Connection& connection = database->File()->EngineConnection(true);
  if (!FindStoredQuery(connection, stored_.id)) {
    closed_ = true;  // deleted through another Database object or process
    RaiseJetError(err::kObjectClosed, "The query '" + stored_.name + "' no longer exists.");
  }
  SchemaSavepoint savepoint(connection);
  write(connection);
  if (changes_translation) NoteCatalogChanged(connection);
  savepoint.Release();
  RefreshFrom(FindStoredQuery(connection, stored_.id).value());
}

void QueryDef::RefreshFrom(const StoredQuery& stored) {
  if (stored.sql != stored_.sql) kind_ = KindOf(stored.sql);
  stored_ = stored;
}

void QueryDef::Close() {
  if (closed_) RaiseJetError(err::kObjectClosed, "The query definition '" + stored_.name + "' has been closed.");
  closed_ = true;
  values_.clear();
}

std::shared_ptr<const sql::TranslatedQuery> QueryDef::Translation() const {
  return OwnerDatabase()->File()->Translate(stored_.sql);
}

std::vector<Variant> QueryDef::ParameterValues() const {
  if (OnSource()) {
    std::vector<Variant> values;
    for (int i = 1; i <= CountMarkers(stored_.sql); ++i) {
      auto found = values_.find("Parameter" + std::to_string(i));
      if (found == values_.end() || found->second.IsEmpty()) {
        RaiseJetError(err::kTooFewParameters, "Too few parameters: Parameter" + std::to_string(i) + " has no value.");
      }
      values.push_back(found->second);
    }
    return values;
  }
  std::shared_ptr<const sql::TranslatedQuery> translation = Translation();
  std::vector<Variant> values;
  for (const sql::TranslatedParameter& parameter : translation->parameters) {
    auto found = values_.find(parameter.name);
    values.push_back(found == values_.end() ? Variant() : found->second);
  }
  return values;
}

std::shared_ptr<jet::Parameters> QueryDef::Parameters() {
  OwnerDatabase();
  std::vector<std::shared_ptr<Parameter>> items;
  if (IsBlank(stored_.sql)) return std::make_shared<jet::Parameters>(std::move(items));
  if (OnSource()) {
    for (int i = 1; i <= CountMarkers(stored_.sql); ++i) {
      items.push_back(std::make_shared<Parameter>(shared_from_this(), "Parameter" + std::to_string(i), kText));
    }
    return std::make_shared<jet::Parameters>(std::move(items));
  }
  std::shared_ptr<const sql::TranslatedQuery> translation = Translation();
  std::shared_ptr<QueryDef> self = shared_from_this();
  for (const sql::TranslatedParameter& parameter : translation->parameters) {
    items.push_back(std::make_shared<Parameter>(self, parameter.name, parameter.dao_type));
  }
  return std::make_shared<jet::Parameters>(std::move(items));
}

std::shared_ptr<QueryFields> QueryDef::Fields() {
  std::shared_ptr<Database> database = OwnerDatabase();
  std::vector<std::shared_ptr<QueryField>> items;
  if (OnSource()) {
    // The server says what the statement returns by running it (a select has no effects).
    if (ReturnsRecords()) {
      odbc::ResultReader reader(*database->Source(), stored_.sql, database->QueryTimeout(), ParameterValues());
      int position = 0;
      for (const odbc::ResultColumn& column : reader.Columns()) {
        items.push_back(std::make_shared<QueryField>(column.name, odbc::LocalFieldType(column), column.size, "", "",
                                                     position++));
      }
    }
    return std::make_shared<QueryFields>(std::move(items));
  }
  if (ReturnsRows(kind_) && !IsBlank(stored_.sql)) {
    // A crosstab's columns are the pivot values its rows hold now: that read needs the values.
    std::shared_ptr<const sql::TranslatedQuery> translation = TranslateToRun(*database->File(), stored_.sql, ParameterValues());
    int position = 0;
    for (const sql::TranslatedColumn& column : translation->columns) {
      items.push_back(std::make_shared<QueryField>(column.name, column.dao_type, column.size, column.source_table,
                                                   column.source_field, position++));
    }
  }
  return std::make_shared<QueryFields>(std::move(items));
}

void QueryDef::Execute(int options) {
  std::shared_ptr<Database> database = OwnerDatabase();
  CheckExecuteOptions(options);
  if (OnSource()) {
    if (ReturnsRecords()) {
      RaiseJetError(err::kSelectNotExecutable,
                    "Cannot execute a statement that returns rows; open a recordset on it instead.");
    }
    if (!database->Updatable()) RaiseJetError(err::kReadOnly, "The data source was opened read-only.");
    records_affected_ = 0;
    odbc::ResultReader statement(*database->Source(), stored_.sql, database->QueryTimeout(), ParameterValues());
    records_affected_ = statement.RowsAffected() > 0x7fffffffLL ? 0x7fffffff : static_cast<int>(statement.RowsAffected());
    return;
  }
  if (ReturnsRows(kind_) && !IsBlank(stored_.sql)) {
    RaiseJetError(err::kSelectNotExecutable,
                  "Cannot execute the select query '" + stored_.name + "'; open a recordset on it instead.");
  }
  records_affected_ = 0;
  // An empty text fails here with the parser's "not a statement".
  std::shared_ptr<const sql::TranslatedQuery> translation = Translation();
  if (translation->kind == sql::QueryKind::kDdl) {
    const sql::ParsedStatement statement = sql::ParseStatement(stored_.sql);
    const TableDesignHold design(database->File()->LockFileRanges(), TableChangedBy(statement));
    ExecuteDdl(database->File()->EngineConnection(true), statement);
    return;
  }
  records_affected_ = ExecuteAction(*database->File(), *translation, ParameterValues(), options);
}

QueryRows QueryDef::ReadRows() {
  std::shared_ptr<Database> database = OwnerDatabase();
  if (OnSource()) RaiseJetError(err::kNotForThisObject, "Open a recordset on a data source's query to read its rows.");
  return ReadQueryRows(*database->File(), stored_.sql, ParameterValues(), stored_.max_records);
}

std::shared_ptr<jet::Properties> QueryDef::Properties() {
  std::weak_ptr<QueryDef> weak = weak_from_this();
  auto use = [weak]() {
    std::shared_ptr<QueryDef> query = weak.lock();
    if (!query) RaiseJetError(err::kObjectClosed, "The query definition no longer exists.");
    return query;
  };
  std::vector<std::shared_ptr<Property>> items = {
      std::make_shared<Property>("Name", kText, [use]() { return Variant(use()->Name()); },
                                 [use](const Variant& v) { use()->SetName(v.ToString()); }),
      std::make_shared<Property>("SQL", kMemo, [use]() { return Variant(use()->SQL()); },
                                 [use](const Variant& v) { use()->SetSQL(v.ToStringOrEmpty()); }),
      std::make_shared<Property>("Type", kInteger,
                                 [use]() { return Variant(static_cast<std::int16_t>(use()->Type())); }),
      std::make_shared<Property>("DateCreated", kDate, [use]() { return use()->DateCreated(); }),
      std::make_shared<Property>("LastUpdated", kDate, [use]() { return use()->LastUpdated(); }),
      std::make_shared<Property>("Updatable", kBoolean, [use]() { return Variant(use()->Updatable()); }),
      std::make_shared<Property>("ReturnsRecords", kBoolean, [use]() { return Variant(use()->ReturnsRecords()); }),
      std::make_shared<Property>("MaxRecords", kLong, [use]() { return Variant(use()->MaxRecords()); },
                                 [use](const Variant& v) { use()->SetMaxRecords(v.ToInt32()); }),
      std::make_shared<Property>("Connect", kText, [use]() { return Variant(use()->Connect()); },
                                 [use](const Variant& v) { use()->SetConnect(v.ToStringOrEmpty()); }),
      std::make_shared<Property>("RecordsAffected", kLong, [use]() { return Variant(use()->RecordsAffected()); }),
  };
  return std::make_shared<jet::Properties>(std::move(items));
}

}  // namespace qb::jet
