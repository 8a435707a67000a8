// jet/query_execution: action statements run through the database's translation and statement
// caches; make-table through the schema-change layer; Database::Execute.
#include "jet/query_execution.h"

#include "com/ole_exception.h"
#include "jet/catalog_query_schema.h"
#include "jet/database.h"
#include "jet/ddl_executor.h"
#include "jet/errors.h"
#include "jet/schema_catalog.h"
#include "jet/schema_change.h"
#include "jet/sql/parameter_binding.h"
#include "jet/sql/parser.h"
#include "jet/sql/sql_errors.h"
#include "jet/sqlite/connection.h"
#include "jet/statement_cache.h"

namespace qb::jet {
namespace {

using sql::QueryKind;

bool ReturnsRows(QueryKind kind) {
  return kind == QueryKind::kSelect || kind == QueryKind::kUnion || kind == QueryKind::kCrosstab;
}

void CheckParameterValues(const sql::TranslatedQuery& query, const std::vector<Variant>& values) {
  std::size_t missing = 0;
  for (std::size_t i = 0; i < query.parameters.size(); ++i) {
    if (i >= values.size() || values[i].IsEmpty()) ++missing;
  }
  if (missing > 0) {
    sql::RaiseSqlError(sql::sqlerr::kTooFewParameters, "Too few parameters. Expected " + std::to_string(missing) + ".");
  }
}

// SQL that skips the rows breaking a constraint instead of failing the statement. Every check
// the schema makes is a constraint, so this is Jet's row-by-row skipping; a delete breaks none.
std::string SkippingFailures(const std::string& sql) {
  constexpr std::string_view kInsert = "INSERT INTO ";
  constexpr std::string_view kUpdate = "UPDATE ";
  if (sql.compare(0, kInsert.size(), kInsert) == 0) return "INSERT OR IGNORE INTO " + sql.substr(kInsert.size());
  if (sql.compare(0, kUpdate.size(), kUpdate) == 0) return "UPDATE OR IGNORE " + sql.substr(kUpdate.size());
  return sql;
}

int RunCounted(Database& database, Connection& connection, const std::string& sql, const std::vector<Variant>& values) {
  StatementLease statement(database.Statements().Get(sql));
  sql::BindParameters(statement->Handle(), values);
  statement->Run();
  return connection.Changes();
}

// The new table of SELECT ... INTO: the result columns' names and types, no keys or rules.
TableModel MadeTableModel(const sql::TranslatedQuery& query) {
  TableModel table;
  table.name = query.target_table;
  int ordinal = 0;
  for (const sql::TranslatedColumn& column : query.columns) {
    FieldModel field;
    field.name = column.name;
    // A column of no storable type (a Null literal) becomes text, which can hold anything shown.
    field.type = IsStorableType(column.dao_type) ? column.dao_type : 10;
    if (field.type == 10 || field.type == 9) field.size = column.size;
    // The rows copied may hold zero-length text: refusing it would drop those rows.
    field.allow_zero_length = field.type == 10 || field.type == 12;
    field.ordinal = ordinal++;
    NormaliseNewField(field);
    table.fields.push_back(std::move(field));
  }
  return table;
}

int MakeTable(Database& database, Connection& connection, const sql::TranslatedQuery& query,
              const std::vector<Variant>& values, bool fail_on_error) {
  if (TableNameTaken(connection, query.target_table)) {
    RaiseJetError(err::kTableExists, "The table '" + query.target_table + "' already exists.");
  }
  SchemaSavepoint savepoint(connection);
  TableModel table = MadeTableModel(query);
  CreateTable(connection, table);
  const int written = RunCounted(database, connection, fail_on_error ? query.sql : SkippingFailures(query.sql), values);
  savepoint.Release();
  return written;
}

// The SQL of the saved query named by TEXT alone ("Name" or "[Name]"), if there is one.
std::optional<std::string> SavedQueryText(Database& database, std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == ';')) text.remove_suffix(1);
  if (text.size() >= 2 && text.front() == '[' && text.back() == ']') text = text.substr(1, text.size() - 2);
  if (text.empty()) return std::nullopt;
  CatalogQuerySchema schema(database.EngineConnection(false));
  std::optional<sql::SchemaObject> object = schema.Find(text);
  if (!object || object->kind != sql::SchemaObject::Kind::kQuery) return std::nullopt;
  return object->sql;
}

int ExecuteText(Database& database, std::string_view jet_sql, const std::vector<Variant>& values, int options,
                bool may_be_name) {
  std::shared_ptr<const sql::TranslatedQuery> query;
  try {
    query = database.Translate(jet_sql);
  } catch (const EOleException&) {
    // Execute also takes the name of a saved query; a name alone is no statement, so this is
    // looked up only once the text failed to translate.
    std::optional<std::string> saved = may_be_name ? SavedQueryText(database, jet_sql) : std::nullopt;
    if (!saved) throw;
    return ExecuteText(database, *saved, values, options, false);
  }
  if (query->kind == QueryKind::kDdl) {
    const sql::ParsedStatement statement = sql::ParseStatement(jet_sql);
    ExecuteDdl(database.EngineConnection(true), statement);
    return 0;
  }
  return ExecuteAction(database, *query, values, options);
}

}  // namespace

void CheckExecuteOptions(int options) {
  using namespace recordset_option;
  constexpr int kKnown = kDenyWrite | kInconsistent | kConsistent | kSqlPassThrough | kFailOnError | kSeeChanges |
                         kRunAsync | kExecDirect;
  if ((options & ~kKnown) != 0) {
    RaiseJetError(err::kInvalidArgument, "The Execute option " + std::to_string(options) + " is not valid.");
  }
  if ((options & kConsistent) && (options & kInconsistent)) {
    RaiseJetError(err::kInvalidArgument, "dbConsistent and dbInconsistent cannot be given together.");
  }
  if (options & (kSqlPassThrough | kRunAsync | kExecDirect)) {
    RaiseJetError(err::kNotForThisObject,
                  "Pass-through, asynchronous and direct execution are for ODBC data sources, not this database.");
  }
}

int ExecuteAction(Database& database, const sql::TranslatedQuery& query, const std::vector<Variant>& values,
                  int options) {
  CheckExecuteOptions(options);
  if (ReturnsRows(query.kind)) {
    RaiseJetError(err::kSelectNotExecutable,
                  "Cannot execute a select query: it returns records; open a recordset on it instead.");
  }
  if (query.kind == QueryKind::kDdl) {
    RaiseJetError(err::kInvalidOperation, "A data-definition statement runs from its text, not from a translation.");
  }
  CheckParameterValues(query, values);
  Connection& connection = database.EngineConnection(true);
  const bool fail_on_error = (options & recordset_option::kFailOnError) != 0;
  if (query.kind == QueryKind::kMakeTable) return MakeTable(database, connection, query, values, fail_on_error);
  return RunCounted(database, connection, fail_on_error ? query.sql : SkippingFailures(query.sql), values);
}

int ExecuteStatement(Database& database, std::string_view jet_sql, const std::vector<Variant>& values, int options) {
  CheckExecuteOptions(options);
  return ExecuteText(database, jet_sql, values, options, true);
}

void Database::Execute(const std::string& sql, int options) {
  Open();
  records_affected_ = 0;
  records_affected_ = ExecuteStatement(*this, sql, {}, options);
}

}  // namespace qb::jet
