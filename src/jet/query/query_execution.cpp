// jet/query/query_execution: action statements run through the database's translation and statement
// caches; make-table through the schema-change layer. The work behind Database.Execute.
#include "jet/query/query_execution.h"

#include <sqlcipher/sqlite3.h>

#include <exception>
#include <optional>
#include <set>
#include <utility>

#include "com/ole_exception.h"
#include "jet/catalog/catalog_query_schema.h"
#include "jet/query/database_file.h"
#include "jet/catalog/ddl_executor.h"
#include "jet/base/errors.h"
#include "jet/locks/table_hold.h"
#include "jet/locks/transaction_holds.h"
#include "jet/catalog/schema_catalog.h"
#include "jet/catalog/schema_change.h"
#include "jet/catalog/schema_sql.h"
#include "jet/sql/translate/parameter_binding.h"
#include "jet/sql/parse/parser.h"
#include "jet/sql/parse/sql_errors.h"
#include "jet/sqlite/connection.h"
#include "jet/sqlite/statement_cache.h"
#include "jet/locks/statement_locks.h"

namespace qb::jet {
namespace {

using sql::QueryKind;

bool ReturnsRows(QueryKind kind) {
  return kind == QueryKind::kSelect || kind == QueryKind::kUnion || kind == QueryKind::kCrosstab;
}

// SQL that skips the rows breaking a constraint instead of failing the statement. Every check
// the schema makes is a constraint; a delete breaks none. Relationships and expressions fail
// the statement instead, which RunAction then takes row by row.
std::string SkippingFailures(const std::string& sql) {
  constexpr std::string_view kInsert = "INSERT INTO ";
  constexpr std::string_view kUpdate = "UPDATE ";
  if (sql.compare(0, kInsert.size(), kInsert) == 0) return "INSERT OR IGNORE INTO " + sql.substr(kInsert.size());
  if (sql.compare(0, kUpdate.size(), kUpdate) == 0) return "UPDATE OR IGNORE " + sql.substr(kUpdate.size());
  return sql;
}

int RunCounted(DatabaseFile& database, Connection& connection, const std::string& sql, const std::vector<Variant>& values) {
  ResetOnExit statement(database.Statements().Get(sql));
  sql::BindParameters(statement->Handle(), values);
  statement->Run();
  return connection.Changes();
}

// The errors of one row's data rather than of the statement or the file: an expression that
// fails on the row's values (division by zero, a conversion, an overflow, ...) and the rules
// of the schema and of relationships. Without dbFailOnError such a row is skipped.
bool FailsOneRow(int number) {
  if (number > 0 && number < 1000) return true;  // expression errors
  switch (number) {
    case err::kDuplicateValues: case err::kIndexNullKey: case err::kFieldTooSmall:
    case err::kRelatedRecordsExist: case err::kNoRelatedRecord: case err::kRequiredNull:
    case err::kZeroLength: case err::kTableRule: case err::kFieldRule: case err::kNumericOverflow:
    case err::kConversion:
      return true;
    default:
      return false;
  }
}

// " (the record with Id = 3)": the primary key of the record ROWID of TABLE, so that a user can
// find the record a rule refused; "" when the table has no primary key or the record is gone.
// WHOSE names the record ("the record", "the source record in 'Imported'").
std::string RecordKeyText(Connection& connection, const std::string& table, std::int64_t rowid,
                          const std::string& whose) {
  try {
    const std::optional<TableModel> model = LoadTableModel(connection, table);
    if (!model) return std::string();
    const IndexModel* primary = nullptr;
    for (const IndexModel& index : model->indexes) {
      if (index.primary) primary = &index;
    }
    if (!primary || primary->keys.empty()) return std::string();
    std::string columns;
    for (const IndexKey& key : primary->keys) columns += (columns.empty() ? "" : ", ") + QuoteName(key.field);
    Statement row = connection.Prepare("SELECT " + columns + " FROM " + QuoteName(table) + " WHERE rowid = ?1");
    row.Bind(1, rowid);
    if (!row.Step()) return std::string();
    std::string text;
    for (std::size_t i = 0; i < primary->keys.size(); ++i) {
      const int column = static_cast<int>(i);
      text += (i == 0 ? "" : ", ") + primary->keys[i].field + " = " +
              (row.ColumnIsNull(column) ? std::string("Null") : row.ColumnText(column));
    }
    return " (" + whose + " with " + text + ")";
  } catch (const EOleException&) {
    return std::string();  // the key only adds to a message: the row's own error stands
  }
}

// The table whose records the row keys of QUERY are, and how a message names one: the target of
// an update or delete, the one stored source of an append; "" where the keys name no one record.
std::pair<std::string, std::string> KeyedTable(const sql::TranslatedQuery& query, int width) {
  if (query.kind == QueryKind::kUpdate || query.kind == QueryKind::kDelete) return {query.target_table, "the record"};
  if ((query.kind == QueryKind::kAppend || query.kind == QueryKind::kMakeTable) && width == 1 &&
      query.tables_read.size() == 1) {
    return {query.tables_read.front(), "the source record in '" + query.tables_read.front() + "'"};
  }
  return {};
}

// What RunRowByRow does with a row that fails.
struct RowFailures {
  SkippedRows* skipped = nullptr;  // counts each row skipped and its reason
  bool first_fails = false;        // the first failing row raises its error, naming the record
};

// QUERY one row at a time, each row's failure skipping that row alone (or, with FAILURES'
// first_fails, failing the statement); the rows written. The rows are those ROW_KEYS_SQL lists
// before any is written, less those keyed (by their first key) in SKIPPED, and run inside one
// savepoint, so a failure that is not a row's (a lock, the disk) still leaves nothing behind.
int RunRowByRow(DatabaseFile& database, Connection& connection, const sql::TranslatedQuery& query,
                std::vector<Variant> values, const std::set<std::int64_t>& skipped = {},
                RowFailures failures = {}) {
  // Each row's key columns, one after another; Null (a missing outer-join side) as nullopt.
  std::vector<std::optional<std::int64_t>> keys;
  int width = 0;
  {
    Statement rows = connection.Prepare(query.row_keys_sql);
    width = sqlite3_column_count(rows.Handle());
    while (rows.Step()) {
      for (int i = 0; i < width; ++i) {
        if (rows.ColumnIsNull(i)) {
          keys.emplace_back();
        } else {
          keys.emplace_back(rows.ColumnInt(i));
        }
      }
    }
  }
  SchemaSavepoint savepoint(connection);
  int written = 0;
  {
    // A row's reason is known only when its statement fails rather than ignores it.
    const bool strict = failures.skipped || failures.first_fails;
    ResetOnExit statement(database.Statements().Get(strict ? query.row_sql : SkippingFailures(query.row_sql)));
    // The records of an update or delete are the target's; an append's keys are its sources'.
    const auto [keyed_table, whose] = KeyedTable(query, width);
    // The keys follow the parameters; stand-in values keep the binding's count whole.
    const int first_key = static_cast<int>(query.parameters.size()) + 1;
    values.resize(query.parameters.size());
    values.resize(values.size() + static_cast<std::size_t>(width), Variant(0));
    for (std::size_t row = 0; row < keys.size(); row += static_cast<std::size_t>(width)) {
      if (keys[row] && skipped.count(*keys[row])) continue;
      statement->Reset();
      sql::BindParameters(statement->Handle(), values);
      for (int i = 0; i < width; ++i) {
        const std::optional<std::int64_t>& key = keys[row + static_cast<std::size_t>(i)];
        if (key) {
          statement->Bind(first_key + i, *key);
        } else {
          sqlite3_bind_null(statement->Handle(), first_key + i);
        }
      }
      try {
        statement->Run();
        written += connection.Changes();
      } catch (const EOleException& e) {
        if (!FailsOneRow(e.ErrorCode())) throw;
        if (!strict) continue;
        std::string message = e.Message();
        if (!keyed_table.empty() && keys[row]) {
          const std::string record = RecordKeyText(connection, keyed_table, *keys[row], whose);
          const bool full_stop = !message.empty() && message.back() == '.';
          if (full_stop) message.pop_back();
          message += record + (full_stop ? "." : "");
        }
        if (failures.first_fails) throw EOleException(e.ErrorCode(), message, e.Source());
        failures.skipped->Add(e.ErrorCode(), message);
      }
    }
  }
  savepoint.Release();
  return written;
}

// The rows of an UPDATE or DELETE whose records are locked against DATABASE (OTHERS_KEPT as
// RowsLockedAgainst takes it) and that QUERY would write: each locked row is tried with the
// statement's own conditions (its WHERE, its joins) by a select, so nothing is written and no
// write lock is needed. Usually none is locked, found with a look or two at the lock file.
std::set<std::int64_t> LockedRowsReached(DatabaseFile& database, Connection& connection, const sql::TranslatedQuery& query,
                                         std::vector<Variant> values, OthersKept others_kept) {
  std::set<std::int64_t> reached;
  if (query.row_test_sql.empty()) return reached;
  const std::vector<std::int64_t> locked =
      RowsLockedAgainst(database.LockFileRanges(), database.KeptRecordLocks(), connection, query.target_table, others_kept);
  if (locked.empty()) return reached;
  values.resize(query.parameters.size());
  values.emplace_back(0);  // the row key's stand-in, bound below
  const int key_index = static_cast<int>(values.size());
  Statement test = connection.Prepare(query.row_test_sql);
  for (const std::int64_t rowid : locked) {
    test.Reset();
    sql::BindParameters(test.Handle(), values);
    test.Bind(key_index, rowid);
    try {
      if (test.Step()) reached.insert(rowid);
    } catch (const EOleException& e) {
      if (!FailsOneRow(e.ErrorCode())) throw;  // a row failing anyway is no row written
    }
  }
  return reached;
}

[[noreturn]] void RaiseRowsLocked(const sql::TranslatedQuery& query, std::size_t count) {
  RaiseJetError(err::kLockedRetry, "Could not update: " + std::to_string(count) + " record(s) of table '" +
                                       query.target_table +
                                       "' are locked by another user or recordset changing them; nothing was changed.");
}

// Runs QUERY's SQL. With FAIL_ON_ERROR the first failing row fails the statement, which leaves
// nothing behind; the statement then runs again row by row, undone, to name the record.
// Without it, rows that break a constraint are skipped by the statement itself (OR IGNORE); any
// other failure of one row undoes the statement, which runs again row by row, skipping the rows
// that fail. The common path stays one set-based statement. SKIPPED, when given, is told every
// row skipped: the statement then runs without OR IGNORE, and row by row once a row fails.
//
// UPDATE and DELETE leave rows whose records are locked (statement_locks.h): with FAIL_ON_ERROR
// such a row fails the statement (kLockedRetry) before anything is written; without it, the
// statement runs row by row around them. REQUIRES: the file's write lock is held (ExecuteAction).
//
// A statement of several rows runs in a savepoint: SQLite undoes a failed statement by itself
// only when it expected the statement could fail (a constraint that aborts), and an expression
// failing partway through a transaction would otherwise leave the rows written before it.
int RunAction(DatabaseFile& database, Connection& connection, const sql::TranslatedQuery& query,
              const std::vector<Variant>& values, bool fail_on_error, SkippedRows* skipped) {
  const bool strict = fail_on_error || skipped;
  const std::string& sql = strict ? query.sql : SkippingFailures(query.sql);
  if (query.single_row) {
    try {
      return RunCounted(database, connection, sql, values);
    } catch (const EOleException& e) {
      if (fail_on_error || !FailsOneRow(e.ErrorCode())) throw;
      if (skipped) skipped->Add(e.ErrorCode(), e.Message());
      return 0;
    }
  }
  if ((query.kind == QueryKind::kUpdate || query.kind == QueryKind::kDelete) && !query.row_sql.empty()) {
    // Rows whose records others are changing are left alone, as a failing row is. The file's
    // write lock is held by now, so a record locked while this statement waited for it counts.
    const std::set<std::int64_t> locked = LockedRowsReached(database, connection, query, values, OthersKept::kIgnore);
    if (!locked.empty()) {
      if (fail_on_error) RaiseRowsLocked(query, locked.size());
      if (skipped) {
        skipped->Add(err::kLockedRetry,
                     "Could not update: " + std::to_string(locked.size()) + " record(s) of table '" +
                         query.target_table + "' are locked by another user or recordset changing them.",
                     static_cast<std::int64_t>(locked.size()));
      }
      return RunRowByRow(database, connection, query, values, locked, RowFailures{skipped, false});
    }
  }
  std::exception_ptr failure;
  {
    SchemaSavepoint savepoint(connection);
    try {
      const int written = RunCounted(database, connection, sql, values);
      savepoint.Release();
      return written;
    } catch (const EOleException& e) {
      if (!FailsOneRow(e.ErrorCode())) throw;
      failure = std::current_exception();
    }
  }  // the savepoint undoes what the statement wrote before it failed
  if (fail_on_error) {
    const bool keyed = query.kind == QueryKind::kUpdate || query.kind == QueryKind::kDelete ||
                       query.tables_read.size() == 1;
    if (!query.row_sql.empty() && keyed) {
      SchemaSavepoint trial(connection);  // never released: whatever the search wrote is undone
      RunRowByRow(database, connection, query, values, {}, RowFailures{nullptr, true});
    }
    std::rethrow_exception(failure);  // no single row fails alone: the statement's own error
  }
  if (query.row_sql.empty()) {
    // No rows to take one at a time: what breaks a constraint is skipped uncounted, and an
    // expression failing fails the statement.
    if (!skipped) std::rethrow_exception(failure);
    SchemaSavepoint savepoint(connection);
    const int written = RunCounted(database, connection, SkippingFailures(query.sql), values);
    savepoint.Release();
    try {
      std::rethrow_exception(failure);
    } catch (const EOleException& e) {
      skipped->Add(e.ErrorCode(), e.Message());
      skipped->count_known = false;
    }
    return written;
  }
  return RunRowByRow(database, connection, query, values, {}, RowFailures{skipped, false});
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

int MakeTable(DatabaseFile& database, Connection& connection, const sql::TranslatedQuery& query,
              const std::vector<Variant>& values, bool fail_on_error, SkippedRows* skipped) {
  if (TableNameTaken(connection, query.target_table)) {
    RaiseJetError(err::kTableExists, "The table '" + query.target_table + "' already exists.");
  }
  SchemaSavepoint savepoint(connection);
  TableModel table = MadeTableModel(query);
  CreateTable(connection, table);
  const int written = RunAction(database, connection, query, values, fail_on_error, skipped);
  savepoint.Release();
  return written;
}

// The SQL of the saved query named by TEXT alone ("Name" or "[Name]"), if there is one.
std::optional<std::string> SavedQueryText(DatabaseFile& database, std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == ';')) text.remove_suffix(1);
  if (text.size() >= 2 && text.front() == '[' && text.back() == ']') text = text.substr(1, text.size() - 2);
  if (text.empty()) return std::nullopt;
  CatalogQuerySchema schema(database.EngineConnection(false));
  std::optional<sql::SchemaObject> object = schema.Find(text);
  if (!object || object->kind != sql::SchemaObject::Kind::kQuery) return std::nullopt;
  return object->sql;
}

int ExecuteText(DatabaseFile& database, std::string_view jet_sql, const std::vector<Variant>& values, int options,
                bool may_be_name, SkippedRows* skipped) {
  std::shared_ptr<const sql::TranslatedQuery> query;
  if (values.empty()) {
    // An insert of constants shares the translation and compiled statement of its shape.
    std::vector<Variant> constants;
    query = database.TranslateShared(jet_sql, &constants);
    if (query) return ExecuteAction(database, *query, constants, options, skipped);
  }
  try {
    query = database.Translate(jet_sql);
  } catch (const EOleException&) {
    // Execute also takes the name of a saved query; a name alone is no statement, so this is
    // looked up only once the text failed to translate.
    std::optional<std::string> saved = may_be_name ? SavedQueryText(database, jet_sql) : std::nullopt;
    if (!saved) throw;
    return ExecuteText(database, *saved, values, options, false, skipped);
  }
  if (query->kind == QueryKind::kDdl) {
    const sql::ParsedStatement statement = sql::ParseStatement(jet_sql);
    const TableDesignHold design(database.LockFileRanges(), TableChangedBy(statement));
    ExecuteDdl(database.EngineConnection(true), statement);
    return 0;
  }
  return ExecuteAction(database, *query, values, options, skipped);
}

}  // namespace

void SkippedRows::Add(int number, const std::string& message, std::int64_t rows) {
  count += rows;
  for (Reason& reason : reasons) {
    if (reason.number == number) {
      reason.count += rows;
      return;
    }
  }
  reasons.push_back({number, rows, message});
}

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

int ExecuteAction(DatabaseFile& database, const sql::TranslatedQuery& query, const std::vector<Variant>& values,
                  int options, SkippedRows* skipped) {
  CheckExecuteOptions(options);
  if (ReturnsRows(query.kind)) {
    RaiseJetError(err::kSelectNotExecutable,
                  "Cannot execute a select query: it returns records; open a recordset on it instead.");
  }
  if (query.kind == QueryKind::kDdl) {
    RaiseJetError(err::kInvalidOperation, "A data-definition statement runs from its text, not from a translation.");
  }
  sql::CheckParameterValues(query, values);
  Connection& connection = database.EngineConnection(true);
  // The statement writes its table: another recordset's or user's deny option keeps it out.
  StatementTableHold hold(database.LockFileRanges(), connection, query.target_table);
  const bool fail_on_error = (options & recordset_option::kFailOnError) != 0;
  if (fail_on_error && (query.kind == QueryKind::kUpdate || query.kind == QueryKind::kDelete)) {
    // A record another user's transaction keeps locked fails the statement now: waiting for
    // the file's write lock would only wait for that transaction to end.
    const std::set<std::int64_t> locked = LockedRowsReached(database, connection, query, values, OthersKept::kCount);
    if (!locked.empty()) RaiseRowsLocked(query, locked.size());
  }
  // The statement begins as a write: it waits here for another user's transaction to end, and
  // looks at record locks only once it holds the file's write lock.
  if (query.single_row) {
    // One row is all or nothing by itself: SQLite writes it only once its every value and rule
    // went through, and nothing else is written (the only triggers on a table are its
    // relationships' checks, which run before the row and only read). It takes the file's
    // write lock as it begins, waiting as the busy timeout says.
    const int written = RunAction(database, connection, query, values, fail_on_error, skipped);
    hold.Wrote();
    return written;
  }
  WriteSavepoint unit(connection, "qb_statement");
  const int written = query.kind == QueryKind::kMakeTable
                            ? MakeTable(database, connection, query, values, fail_on_error, skipped)
                            : RunAction(database, connection, query, values, fail_on_error, skipped);
  unit.Release();
  hold.Wrote();
  return written;
}

int ExecuteStatement(DatabaseFile& database, std::string_view jet_sql, const std::vector<Variant>& values, int options,
                     SkippedRows* skipped) {
  CheckExecuteOptions(options);
  return ExecuteText(database, jet_sql, values, options, true, skipped);
}

}  // namespace qb::jet
