// jet/recordset/recordset_open: OpenRecordset: checks the type, options and lock type, finds
// what the source names (a table, a saved query or a statement), describes its fields and
// builds the recordset positioned on its first record.
#include <sqlcipher/sqlite3.h>

#include <algorithm>

#include "jet/catalog/catalog_query_schema.h"
#include "jet/catalog/currency_storage.h"
#include "jet/query/database_file.h"
#include "jet/catalog/database_catalog.h"
#include "jet/base/errors.h"
#include "jet/recordset/recordset.h"
#include "jet/recordset/join_plan.h"
#include "jet/recordset/recordset_open.h"
#include "jet/recordset/recordset_state.h"
#include "jet/sqlite/column_value.h"
#include "jet/recordset/stored_value.h"
#include "jet/locks/table_hold.h"
#include "jet/catalog/schema_catalog.h"
#include "jet/sql/translate/parameter_binding.h"
#include "jet/sql/translate/query_translator.h"
#include "jet/sql/translate/translator.h"
#include "jet/base/unicode_text.h"
#include "jet/sqlite/connection.h"

namespace qb::jet {

namespace ro = recordset_option;
namespace {

[[noreturn]] void InvalidArgument(const std::string& message) { RaiseJetError(err::kInvalidArgument, message); }


RecordsetColumn ColumnOfField(const TableModel& table, const FieldModel& field) {
  RecordsetColumn column;
  column.name = field.name;
  column.type = field.type;
  column.size = (field.type == 12 || field.type == 11) ? 0 : field.size;
  column.attributes = field.attributes;
  column.required = field.required;
  column.source_table = table.name;
  column.source_field = field.name;
  column.base_column = field.name;
  column.default_value = field.default_value;
  return column;
}

std::string ColumnList(const std::vector<RecordsetColumn>& columns) {
  std::string list;
  for (const RecordsetColumn& column : columns) {
    if (!list.empty()) list += ", ";
    list += sql::QuoteSqliteName(column.base_column);
  }
  return list;
}

void CheckArguments(int type, int options, int lock_type) {
  switch (type) {
    case kOpenTable: case kOpenDynaset: case kOpenSnapshot: case kOpenForwardOnly:
      break;
    case kOpenDynamic:
      InvalidArgument("Dynamic recordsets (dbOpenDynamic) need an ODBC workspace; open a dynaset instead.");
    default:
      InvalidArgument("Unknown recordset type " + std::to_string(type) + ".");
  }
  if (options & ro::kSqlPassThrough) {
    InvalidArgument("dbSQLPassThrough sends SQL to an ODBC data source; this database is not one.");
  }
  if (options & (ro::kRunAsync | ro::kExecDirect)) InvalidArgument("dbRunAsync and dbExecDirect need an ODBC workspace.");
  if (options & ~0xFFF) InvalidArgument("Unknown recordset options " + std::to_string(options) + ".");
  if ((options & ro::kDenyRead) && type != kOpenTable) InvalidArgument("dbDenyRead applies to table-type recordsets only.");
  if ((options & ro::kAppendOnly) && type != kOpenDynaset) InvalidArgument("dbAppendOnly applies to dynasets only.");
  if ((options & ro::kForwardOnly) && type != kOpenSnapshot && type != kOpenForwardOnly) {
    InvalidArgument("dbForwardOnly applies to snapshots only.");
  }
  if ((options & ro::kInconsistent) && (options & ro::kConsistent)) {
    InvalidArgument("dbInconsistent and dbConsistent cannot be given together.");
  }
  switch (lock_type) {
    case 0: case kPessimistic: case kOptimistic: case kReadOnlyLock:
      break;
    case kOptimisticValue: case kOptimisticBatch:
      InvalidArgument("Lock type " + std::to_string(lock_type) + " needs an ODBC workspace.");
    default:
      InvalidArgument("Unknown lock type " + std::to_string(lock_type) + ".");
  }
}

std::optional<std::string> SavedQuerySql(Connection& connection, const std::string& name) {
  for (const CatalogObject& query : ListQueries(connection)) {
    if (SameName(query.name, name)) return query.sql;
  }
  return std::nullopt;
}

// The rows of a stored table: all its fields, in OrdinalPosition order.
void DescribeTable(RecordsetState& s, const TableModel& table) {
  s.table = table;
  s.plan.name = table.name;
  s.plan.columns.clear();
  for (const FieldModel* field : FieldsInOrdinalOrder(table)) s.plan.columns.push_back(ColumnOfField(table, *field));
  s.plan.base_table = table.name;
}

std::string ColumnNames(const std::vector<RecordsetColumn>& columns) {
  std::string names;
  for (const RecordsetColumn& column : columns) {
    if (!names.empty()) names += ", ";
    names += sql::QuoteSqliteName(column.name);
  }
  return names;
}

// Rows of a join whose tables' rows can be found again: the dynaset is keyed by the rowids of
// the join's root table and writes each table's fields to that table. False (nothing changed)
// when the join is not of that kind.
bool DescribeJoin(RecordsetState& s, const std::string& text, const sql::TranslatedQuery& query) {
  std::vector<RecordsetColumn> columns = s.plan.columns;
  auto join = PlanJoin(s.Open(), text, query.source_keys, columns, (s.options & ro::kInconsistent) == 0);
  if (!join) return false;
  s.plan.columns = std::move(columns);
  s.plan.join = join;
  s.table = join->tables[0].table;
  s.plan.base_table = s.table.name;
  auto key_of = [&join](int t) {
    if (t < 0) return std::string();
    return sql::QuoteSqliteName(sql::kSourceKeyPrefix + std::to_string(join->tables[static_cast<std::size_t>(t)].key_column));
  };
  s.plan.select_sql = "SELECT " + JoinKeySql(*join, key_of(0), key_of(join->anchor)) + " AS " +
                      sql::QuoteSqliteName(sql::kRowKeyColumn) + ", " + ColumnNames(s.plan.columns) + " FROM (" +
                      query.sql + ")";
  return true;
}

// TEXT translated as this kind of recordset reads it: a query that returns records, with a
// value for each of its parameters (a crosstab's column headings read with them).
sql::TranslatedQuery TranslateForRecordset(RecordsetState& s, const std::string& text,
                                           const std::vector<Variant>& parameters) {
  Connection& connection = s.Open();
  CatalogQuerySchema schema(connection);
  sql::QueryTranslateOptions translate;
  translate.with_row_key = s.type == kOpenDynaset;
  translate.currency_amounts = HoldsCurrencyAmounts(connection);
  sql::TranslatedQuery query = sql::TranslateQuery(text, schema, translate);
  if (query.kind != sql::QueryKind::kSelect && query.kind != sql::QueryKind::kUnion &&
      query.kind != sql::QueryKind::kCrosstab) {
    RaiseJetError(err::kInvalidOperation, "Only a query that returns records can be opened as a recordset.");
  }
  std::size_t expected = 0;
  for (std::size_t i = 0; i < query.parameters.size(); ++i) {
    if (i >= parameters.size() || parameters[i].IsEmpty()) ++expected;
  }
  if (expected > 0) RaiseJetError(err::kTooFewParameters, "Too few parameters. Expected " + std::to_string(expected) + ".");
  if (query.NeedsPivotValues()) {
    std::vector<Variant> values;
    Statement pivots = connection.Prepare(query.pivot_values_sql);
    ResetOnExit reset(pivots);
    for (std::size_t i = 0; i < parameters.size() && i < query.parameters.size(); ++i) {
      sql::BindParameterValue(pivots.Handle(), static_cast<int>(i + 1), parameters[i]);
    }
    while (pivots.Step()) values.push_back(pivots.ColumnValue(0, 0));
    query = sql::TranslateCrosstab(text, schema, values, translate);
  }
  return query;
}

// Rows of one table (directly or through saved queries), every field a plain field of it or
// an expression: the dynaset is keyed by that table's rowids and updatable, but for the
// expressions, which are read again by key through the statement's own reading. False (the
// columns may be half described) when the rows are not of that kind.
bool DescribeOneTable(RecordsetState& s, const sql::TranslatedQuery& query) {
  if (query.row_key_table.empty()) return false;
  const std::optional<TableModel> base = LoadTableModel(s.Open(), query.row_key_table);
  if (!base) return false;
  bool computed = false;
  for (RecordsetColumn& column : s.plan.columns) {
    if (column.source_table.empty()) {
      column.computed = true;
      computed = true;
      continue;
    }
    const FieldModel* field = SameName(column.source_table, base->name) ? base->FindField(column.source_field) : nullptr;
    if (!field) return false;
    RecordsetColumn described = ColumnOfField(*base, *field);
    described.name = column.name;
    column = described;
  }
  if (computed && query.row_fetch_sql.empty()) return false;
  s.table = *base;
  s.plan.base_table = base->name;
  s.plan.select_sql = query.sql;
  if (computed) s.plan.fetch_sql = query.row_fetch_sql;
  return true;
}

// The translated statement TEXT with PARAMETERS as this kind of recordset reads it.
void DescribeQuery(RecordsetState& s, const std::string& text, const std::vector<Variant>& parameters) {
  const sql::TranslatedQuery query = TranslateForRecordset(s, text, parameters);
  s.plan.parameters = parameters;
  s.plan.tables_read = query.tables_read;
  s.plan.columns.clear();
  for (const sql::TranslatedColumn& translated : query.columns) {
    RecordsetColumn column;
    column.name = translated.name;
    column.type = translated.dao_type;
    column.size = translated.size;
    column.source_table = translated.source_table;
    column.source_field = translated.source_field;
    s.plan.columns.push_back(column);
  }
  if (DescribeOneTable(s, query)) return;
  for (std::size_t i = 0; i < s.plan.columns.size(); ++i) {
    RecordsetColumn& column = s.plan.columns[i];
    column.computed = column.source_table.empty();
    if (column.computed && i < query.column_sql.size()) column.expression = query.column_sql[i];
  }
  if (!query.source_keys.empty() && DescribeJoin(s, text, query)) return;
  for (RecordsetColumn& column : s.plan.columns) {
    column.base_column.clear();
    column.default_value.clear();
  }
  s.plan.base_table.clear();
  if (query.row_key_table.empty() && query.source_keys.empty()) {
    s.plan.select_sql = query.sql;
  } else {
    s.plan.select_sql = "SELECT " + ColumnNames(s.plan.columns) + " FROM (" + query.sql + ")";
  }
}

}  // namespace

bool LooksLikeStatement(const std::string& text) {
  std::size_t start = text.find_first_not_of(" \t\r\n(");
  if (start == std::string::npos) return false;
  std::string word;
  for (std::size_t i = start; i < text.size() && std::isalpha(static_cast<unsigned char>(text[i])); ++i) {
    word += static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])));
  }
  return word == "SELECT" || word == "TRANSFORM" || word == "PARAMETERS" || word == "INSERT" || word == "UPDATE" ||
         word == "DELETE" || word == "CREATE" || word == "ALTER" || word == "DROP";
}

std::string TableOrderSql(const TableModel& table, const std::string& index_name, std::string* where, bool reverse) {
  std::string order;
  where->clear();
  if (const IndexModel* index = index_name.empty() ? nullptr : table.FindIndex(index_name)) {
    for (const IndexKey& key : index->keys) {
      const FieldModel* field = table.FindField(key.field);
      const std::string column = sql::QuoteSqliteName(field ? field->name : key.field);
      order += column + (key.descending != reverse ? " DESC, " : ", ");
      if (index->ignore_nulls) *where += (where->empty() ? "" : " OR ") + column + " IS NOT NULL";
    }
  }
  return order + (reverse ? "rowid DESC" : "rowid");
}

void BuildTableSource(RecordsetState& s) {
  std::string where;
  const std::string order = TableOrderSql(s.table, s.index_name, &where);
  s.plan.select_sql = "SELECT rowid AS " + sql::QuoteSqliteName(sql::kRowKeyColumn) + ", " + ColumnList(s.plan.columns) +
                      " FROM " + sql::QuoteSqliteName(s.table.name) + (where.empty() ? "" : " WHERE " + where) +
                      " ORDER BY " + order;
  s.plan.rowid_order = s.index_name.empty();
}

std::shared_ptr<Recordset> OpenRecordsetOn(const std::shared_ptr<DatabaseFile>& file, const std::string& source,
                                           int type, int options, int lock_type,
                                           const std::vector<Variant>& parameters, std::int64_t max_records,
                                           TableIndexes indexes, std::shared_ptr<RowMirror> mirror) {
  Connection& connection = file->EngineConnection(false);
  const bool statement = LooksLikeStatement(source);
  std::optional<TableModel> table;
  std::optional<std::string> saved;
  if (!statement) {
    table = LoadTableModel(connection, source);
    if (!table) saved = SavedQuerySql(connection, source);
    if (!table && !saved) {
      RaiseJetError(err::kInputNotFound, "The database has no table or query named '" + source + "'.");
    }
  }
  if (type == 0) type = table ? kOpenTable : kOpenDynaset;
  if ((options & ro::kForwardOnly) && type == kOpenSnapshot) type = kOpenForwardOnly;
  CheckArguments(type, options, lock_type);
  if (type == kOpenTable && !table) {
    RaiseJetError(err::kInvalidOperation, "Only a stored table can be opened as a table-type recordset.");
  }

  auto state = std::make_unique<RecordsetState>();
  RecordsetState& s = *state;
  s.database = file;
  s.connection = &connection;
  s.table_indexes = std::move(indexes);
  s.type = type;
  s.options = options;
  s.lock_type = lock_type == 0 ? kPessimistic : lock_type;
  s.lock_edits = s.lock_type != kOptimistic;
  if (table) {
    DescribeTable(s, *table);
    if (type == kOpenTable) {
      BuildTableSource(s);
    } else if (type == kOpenDynaset && !(mirror && mirror->Positioned())) {
      // In rowid order, said so that every reader of the source (runs, Find) meets rows alike.
      s.plan.rowid_order = true;
      s.plan.select_sql = "SELECT rowid AS " + sql::QuoteSqliteName(sql::kRowKeyColumn) + ", " +
                          ColumnList(s.plan.columns) + " FROM " + sql::QuoteSqliteName(table->name) +
                          " ORDER BY rowid";
    } else {
      // A snapshot, or a read-only dynaset on a store's cursor: the rows by position.
      s.plan.base_table.clear();
      s.plan.select_sql = "SELECT " + ColumnList(s.plan.columns) + " FROM " + sql::QuoteSqliteName(table->name);
    }
  } else {
    DescribeQuery(s, saved ? *saved : source, parameters);
  }
  s.plan.name = source;
  s.plan.append_only = (options & ro::kAppendOnly) != 0;
  s.plan.max_records = max_records;
  const bool read_only = (options & ro::kReadOnly) || s.lock_type == kReadOnlyLock || file->ReadOnly();
  const bool system_table = table && (table->name.size() >= 4 && FoldCase(table->name.substr(0, 4)) == "msys");
  // A dynaset on a store's cursor writes through the store by key (row_mirror.h).
  const bool on_cursor = mirror && mirror->Positioned();
  s.updatable = !read_only && !system_table && (type == kOpenTable || type == kOpenDynaset) &&
                (!s.plan.base_table.empty() || on_cursor);
  ApplyDenyOptions(s, *file);
  s.mirror = std::move(mirror);
  s.rows = MakeRows(s);
  if (type == kOpenSnapshot) s.Keys().LoadAll();
  if (type == kOpenTable) {
    s.seen = ReadDataStamp(connection, s.stamp_sql);
    if (const KeyWindow::Row* first = s.Window().First()) ShowRow(s, first);
  } else if (auto first = NextPosition(s, -1)) {
    LandOn(s, *first);
  }
  return std::make_shared<Recordset>(std::move(state));
}

void ApplyDenyOptions(RecordsetState& s, DatabaseFile& file) {
  if (s.table.name.empty() && s.plan.tables_read.empty()) return;
  TableHoldRequest request;
  request.writes = s.updatable;
  request.deny_write = (s.options & ro::kDenyWrite) != 0;
  request.deny_read = (s.options & ro::kDenyRead) != 0;
  // Rows that are not one table's (a grouping, a union, ...) read, and deny others, every
  // table the statement names; a join may write, and denies others, every table it shows.
  std::vector<std::string> tables{s.table.name};
  if (s.table.name.empty()) tables = s.plan.tables_read;
  if (s.plan.join) {
    tables.clear();
    for (const JoinTable& table : s.plan.join->tables) tables.push_back(table.table.name);
  }
  s.hold = std::make_shared<TableHold>(file.LockFileRanges(), tables, request);
}

}  // namespace qb::jet
