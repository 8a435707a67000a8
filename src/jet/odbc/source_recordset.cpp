// jet/odbc/source_recordset: opening recordsets on a data source, and the writes of its
// dynasets sent to the server by key (ServerMirror).
#include "jet/odbc/source_recordset.h"

#include <sqlext.h>

#include <algorithm>
#include <regex>
#include <set>

#include "jet/base/errors.h"
#include "jet/base/recordset_types.h"
#include "jet/base/unicode_text.h"
#include "jet/odbc/data_source.h"
#include "jet/odbc/local_copy.h"
#include "jet/odbc/odbc_errors.h"
#include "jet/odbc/result_reader.h"
#include "jet/odbc/source_cursor.h"
#include "jet/odbc/source_stream.h"
#include "jet/recordset/recordset.h"
#include "jet/recordset/recordset_open.h"
#include "jet/recordset/row_mirror.h"
#include "jet/recordset/stored_value.h"

namespace qb::jet::odbc {
namespace {

namespace ro = recordset_option;

[[noreturn]] void InvalidArgument(const std::string& message) { RaiseJetError(jet::err::kInvalidArgument, message); }

// The table a statement reads when its rows are that one table's rows:
// "SELECT ... FROM name [WHERE ...] [ORDER BY ...]", no DISTINCT, join, grouping or union.
std::string BaseTableOf(const std::string& sql) {
  static const std::regex pattern(
      R"(^\s*select\s+(?!distinct\s)[\s\S]+?\s+from\s+([A-Za-z_][\w.]*)\s*((where|order\s+by)\s[\s\S]*)?;?\s*$)",
      std::regex::icase);
  static const std::regex not_one_table(R"(\b(join|union|intersect|except|group\s+by|having)\b)", std::regex::icase);
  std::smatch match;
  if (!std::regex_match(sql, match, pattern) || std::regex_search(sql, not_one_table)) return {};
  return match[1].str();
}

// Text of column NUMBER of the current row of STATEMENT ("" for Null).
std::string TextColumn(SQLHSTMT statement, SQLUSMALLINT number) {
  char text[512] = {};
  SQLLEN indicator = 0;
  if (!Succeeded(SQLGetData(statement, number, SQL_C_CHAR, text, sizeof text, &indicator)) || indicator == SQL_NULL_DATA) {
    return {};
  }
  return text;
}

// The primary key of TABLE ("name" or "schema.name") as column names in key order; empty when
// it has none or the driver cannot tell.
std::vector<std::string> PrimaryKeyOf(DataSource& source, const std::string& table) {
  std::string schema, name = table;
  if (const auto dot = table.rfind('.'); dot != std::string::npos) {
    schema = table.substr(0, dot);
    name = table.substr(dot + 1);
  }
  auto lower = [](std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  };
  auto upper = [](std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
  };
  // The server may keep an unquoted name folded to one case: try it as written, then folded.
  for (const auto& [s, n] : {std::pair{schema, name}, std::pair{lower(schema), lower(name)},
                             std::pair{upper(schema), upper(name)}}) {
    SQLHSTMT statement = SQL_NULL_HANDLE;
    if (!Succeeded(SQLAllocHandle(SQL_HANDLE_STMT, source.Handle(), &statement))) return {};
    std::string sn = s, nn = n;
    std::vector<std::pair<int, std::string>> keys;
    if (Succeeded(SQLPrimaryKeys(statement, nullptr, 0,
                                 sn.empty() ? nullptr : reinterpret_cast<SQLCHAR*>(sn.data()),
                                 static_cast<SQLSMALLINT>(sn.size()), reinterpret_cast<SQLCHAR*>(nn.data()),
                                 static_cast<SQLSMALLINT>(nn.size())))) {
      while (Succeeded(SQLFetch(statement))) {
        const std::string column = TextColumn(statement, 4);
        const std::string sequence = TextColumn(statement, 5);
        keys.emplace_back(sequence.empty() ? 0 : std::atoi(sequence.c_str()), column);
      }
    }
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
    if (!keys.empty()) {
      std::sort(keys.begin(), keys.end());
      std::vector<std::string> names;
      for (auto& key : keys) names.push_back(std::move(key.second));
      return names;
    }
  }
  return {};
}

// Types whose values compare exactly on the server as the engine read them (no rounding of
// floats or fractions of seconds), so a conflict test on them can go into the UPDATE itself.
bool ComparesExactly(int sql_type) {
  switch (sql_type) {
    case SQL_BIT: case SQL_TINYINT: case SQL_SMALLINT: case SQL_INTEGER: case SQL_BIGINT:
    case SQL_CHAR: case SQL_VARCHAR: case SQL_WCHAR: case SQL_WVARCHAR: case SQL_NUMERIC: case SQL_DECIMAL:
      return true;
    default:
      return false;
  }
}

class ServerMirror : public RowMirror, public CopyKeeper {
 public:
  ServerMirror(std::shared_ptr<DataSource> source, std::string select_sql, std::vector<Variant> parameters,
               int query_timeout, std::int64_t max_rows, std::vector<ResultColumn> columns, CopyTable table)
      : source_(std::move(source)),
        select_sql_(std::move(select_sql)),
        parameters_(std::move(parameters)),
        timeout_(query_timeout),
        max_rows_(max_rows),
        columns_(std::move(columns)),
        table_(std::move(table)) {}

  ~ServerMirror() override {
    try {
      if (drops_table_ && source_->IsOpen()) source_->Local().Drop(table_);
    } catch (...) {
      // The copy goes with the scratch file at the latest.
    }
  }
  // The table is another's (a cursor's writer only writes to the server): left to it.
  void LeaveTable() { drops_table_ = false; }

  // Makes the writes possible when TABLE's primary key is among the columns; false otherwise.
  bool WriteTo(const std::string& table) {
    std::vector<std::size_t> keys = KeyColumnsOf(table);
    if (keys.empty()) return false;
    table_name_ = table;
    keys_ = std::move(keys);
    keys_known_ = true;
    return true;
  }
  // A copy read only (TABLE: the server's table its rows are, "" when not one table's): its rows
  // are found again after a rollback by that table's key, looked up when first needed.
  void ReadFrom(std::string table) { read_table_ = std::move(table); }

  void Insert(const std::vector<RecordsetColumn>&, std::vector<Variant>& values, std::vector<bool>& changed) override {
    std::string names, marks;
    std::vector<Variant> parameters;
    std::vector<int> types;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      if (!changed[i]) continue;
      names += (parameters.empty() ? "" : ", ") + source_->QuoteName(columns_[i].name);
      marks += parameters.empty() ? "?" : ", ?";
      Add(parameters, types, values[i], i);
    }
    const std::string insert = names.empty() ? "INSERT INTO " + table_name_ + " DEFAULT VALUES"
                                              : "INSERT INTO " + table_name_ + " (" + names + ") VALUES (" + marks + ")";
    // The copy holds the row as the server keeps it: its defaults, its conversions and a key it
    // numbered itself, read back in the same statement where the server can, else by the key
    // given or the server's last generated value.
    std::vector<Variant> stored;
    bool read_back = false;
    const std::string dbms = source_->DbmsName();
    if (dbms.find("PostgreSQL") != std::string::npos) {
      RequireWritable();
      ResultReader statement(*source_, insert + " RETURNING " + ColumnList(), timeout_, parameters, types);
      read_back = statement.Next(stored);
    } else {
      Run(insert, parameters, types);
      const bool keyed = std::all_of(keys_.begin(), keys_.end(), [&](std::size_t k) { return changed[k]; });
      read_back = keyed ? ReadRow(values, stored) : ReadGeneratedRow(dbms, stored);
    }
    if (read_back && stored.size() == columns_.size()) {
      for (std::size_t i = 0; i < columns_.size(); ++i) {
        values[i] = ToLocalValue(stored[i], table_.types[i]);
        changed[i] = true;
      }
    }
  }

  void Update(const std::vector<RecordsetColumn>&, const std::vector<Variant>& original, const std::vector<Variant>& values,
              const std::vector<bool>& changed, int criteria) override {
    std::vector<Variant> stored;
    if (!ReadRow(original, stored)) {
      RaiseJetError(jet::err::kRecordDeleted, "The record has been deleted on the server since it was read.");
    }
    const std::vector<bool> compared = ComparedFields(criteria, changed);
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      if (compared[i] && !(ToLocalValue(stored[i], table_.types[i]) == ToFieldValue(original[i], table_.types[i]))) {
        RaiseConflict();
      }
    }
    if (std::none_of(changed.begin(), changed.end(), [](bool c) { return c; })) return;
    // The same test again in the statement, for the fields the server compares exactly: a change
    // made between the read above and this write is caught too.
    std::vector<Variant> where_parameters;
    std::vector<int> where_types;
    std::string where = KeyCondition(original, where_parameters, where_types);
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      if (!compared[i] || !ComparesExactly(columns_[i].sql_type)) continue;
      if (original[i].IsNull()) {
        where += " AND " + source_->QuoteName(columns_[i].name) + " IS NULL";
      } else {
        where += " AND " + source_->QuoteName(columns_[i].name) + " = ?";
        Add(where_parameters, where_types, original[i], i);
      }
    }
    if (criteria & kCriteriaDeleteInsert) {
      // The row goes and comes again whole: the fields not changed as the server holds them.
      source_->AsOneUnit([&] {
        if (Run("DELETE FROM " + table_name_ + " WHERE " + where, where_parameters, where_types) == 0) RaiseConflict();
        std::string names, marks;
        std::vector<Variant> parameters;
        std::vector<int> types;
        for (std::size_t i = 0; i < columns_.size(); ++i) {
          names += (i ? ", " : "") + source_->QuoteName(columns_[i].name);
          marks += i ? ", ?" : "?";
          Add(parameters, types, changed[i] ? values[i] : stored[i], i);
        }
        Run("INSERT INTO " + table_name_ + " (" + names + ") VALUES (" + marks + ")", parameters, types);
      });
      return;
    }
    std::string assignments;
    std::vector<Variant> parameters;
    std::vector<int> types;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      if (!changed[i]) continue;
      assignments += (parameters.empty() ? "" : ", ") + source_->QuoteName(columns_[i].name) + " = ?";
      Add(parameters, types, values[i], i);
    }
    parameters.insert(parameters.end(), where_parameters.begin(), where_parameters.end());
    types.insert(types.end(), where_types.begin(), where_types.end());
    if (Run("UPDATE " + table_name_ + " SET " + assignments + " WHERE " + where, parameters, types) == 0) RaiseConflict();
  }

  void Delete(const std::vector<RecordsetColumn>&, const std::vector<Variant>& values) override {
    std::vector<Variant> parameters;
    std::vector<int> types;
    const std::string where = KeyCondition(values, parameters, types);
    if (Run("DELETE FROM " + table_name_ + " WHERE " + where, parameters, types) == 0) {
      RaiseJetError(jet::err::kRecordDeleted, "The record has already been deleted on the server.");
    }
  }

  void Reload(const std::vector<Variant>& parameters, std::int64_t max_rows) override {
    ResultReader reader(*source_, select_sql_, timeout_, parameters, {}, max_rows);
    if (reader.Columns().size() != columns_.size()) {
      RaiseJetError(jet::err::kInvalidOperation, "The server's statement no longer returns the columns it did.");
    }
    source_->Local().Fill(table_, reader);
    parameters_ = parameters;
    max_rows_ = max_rows;
  }

  const std::vector<Variant>& Parameters() const override { return parameters_; }
  std::int64_t MaxRows() const override { return max_rows_; }

  bool Batched() const override { return batched_; }
  bool SendAsUnit(const std::function<void()>& write) override {
    if (source_->TransactionDepth() > 0) return false;  // the caller's transaction holds the writes
    source_->AsOneUnit(write);
    return true;
  }
  void SetUnsent(std::set<std::int64_t> rowids) override { unsent_ = std::move(rowids); }
  void BatchWrites() { batched_ = true; }

  // The server dropped a transaction's writes. A writable copy's rows are matched to the
  // server's again by key, in place (rows of an optimistic batch not sent yet stay); a copy
  // read only is read anew, its recordsets finding their row again by key.
  void AfterRollback() override {
    EnsureKeys();  // before the read: one statement at a time
    ResultReader reader(*source_, select_sql_, timeout_, parameters_, {}, max_rows_);
    if (reader.Columns().size() != columns_.size()) return;  // Requery reports that
    if (table_name_.empty()) {
      source_->Local().Fill(table_, reader);
      ++reloads_;
      return;
    }
    source_->Local().Reconcile(table_, reader, keys_, unsent_);
    ++rewrites_;
  }
  // The server's rows of the copy's rows ROWIDS, found by key a run at a time.
  bool Refresh(const std::set<std::int64_t>& rowids) override {
    EnsureKeys();
    const std::string& table = table_name_.empty() ? read_table_ : table_name_;
    if (keys_.empty() || table.empty()) return false;
    LocalCopy& local = source_->Local();
    const std::vector<std::vector<Variant>> held = local.RowsOf(table_, rowids);
    std::vector<std::vector<Variant>> server;
    constexpr std::size_t kRowsPerRead = 64;  // keeps the statement and its parameters short
    for (std::size_t first = 0; first < held.size(); first += kRowsPerRead) {
      std::string where;
      std::vector<Variant> parameters;
      std::vector<int> types;
      for (std::size_t i = first; i < std::min(held.size(), first + kRowsPerRead); ++i) {
        where += (where.empty() ? "(" : " OR (") + KeyCondition(held[i], parameters, types) + ")";
      }
      ResultReader reader(*source_, "SELECT " + ColumnList() + " FROM " + table + " WHERE " + where, timeout_,
                          parameters, types);
      for (std::vector<Variant> row; reader.Next(row);) server.push_back(row);
    }
    local.Reconcile(table_, std::move(server), keys_, unsent_, rowids);
    ++rewrites_;
    return true;
  }

  std::uint64_t Rewrites() const override { return rewrites_; }
  std::uint64_t Reloads() const override { return reloads_; }
  std::vector<std::size_t> KeyColumns() const override { return keys_; }

 private:
  // The UpdateOptions bits.
  static constexpr int kCriteriaKey = 1, kCriteriaModValues = 2, kCriteriaAllCols = 4, kCriteriaTimestamp = 8,
                       kCriteriaDeleteInsert = 16;

  // The fields whose values as read must still be the server's for an Update to go ahead.
  std::vector<bool> ComparedFields(int criteria, const std::vector<bool>& changed) const {
    const int which = criteria & (kCriteriaKey | kCriteriaModValues | kCriteriaAllCols | kCriteriaTimestamp);
    std::vector<bool> compared(columns_.size(), false);
    if (which == kCriteriaKey) return compared;  // the key alone finds the row: any change is overwritten
    if (which == kCriteriaAllCols || which == kCriteriaTimestamp) {
      for (std::size_t i = 0; i < columns_.size(); ++i) {
        compared[i] = which == kCriteriaAllCols || columns_[i].sql_type == SQL_TYPE_TIMESTAMP ||
                      columns_[i].sql_type == SQL_TIMESTAMP;
      }
      // A table without a timestamp field: every field tells a change.
      if (std::none_of(compared.begin(), compared.end(), [](bool c) { return c; })) compared.assign(columns_.size(), true);
      return compared;
    }
    return changed;  // the changed fields: the default, and for any mix of criteria
  }

  void EnsureKeys() {
    if (keys_known_) return;
    keys_ = KeyColumnsOf(read_table_);
    keys_known_ = true;
  }

  // The columns holding TABLE's primary key; none when it has none or one of its fields is not
  // among the columns.
  std::vector<std::size_t> KeyColumnsOf(const std::string& table) {
    if (table.empty()) return {};
    std::vector<std::size_t> keys;
    for (const std::string& key : PrimaryKeyOf(*source_, table)) {
      auto found = std::find_if(columns_.begin(), columns_.end(), [&](const ResultColumn& c) { return c.name == key; });
      if (found == columns_.end()) return {};
      keys.push_back(static_cast<std::size_t>(found - columns_.begin()));
    }
    return keys;
  }

  [[noreturn]] static void RaiseConflict() {
    RaiseJetError(jet::err::kDataChanged,
                  "Another user changed the record on the server since it was read; the changes were not saved. "
                  "Requery and edit it again.");
  }

  void Add(std::vector<Variant>& parameters, std::vector<int>& types, const Variant& value, std::size_t column) const {
    parameters.push_back(value);
    types.push_back(columns_[column].sql_type);
  }

  // "k1 = ? AND k2 = ?" with the key values of ROW added to PARAMETERS.
  std::string KeyCondition(const std::vector<Variant>& row, std::vector<Variant>& parameters, std::vector<int>& types) {
    std::string where;
    for (std::size_t k : keys_) {
      where += (where.empty() ? "" : " AND ") + source_->QuoteName(columns_[k].name) + " = ?";
      Add(parameters, types, row[k], k);
    }
    return where;
  }

  void RequireWritable() const {
    if (source_->ReadOnly()) RaiseJetError(jet::err::kReadOnly, "The data source was opened read-only.");
  }

  std::string ColumnList() const {
    std::string list;
    for (const ResultColumn& column : columns_) list += (list.empty() ? "" : ", ") + source_->QuoteName(column.name);
    return list;
  }

  // The row this connection inserted last, by the server's own record of it, into STORED; false
  // when the server (named DBMS) keeps none this code knows or the row is not found. With one
  // key field only: the generated value is that field's.
  bool ReadGeneratedRow(const std::string& dbms, std::vector<Variant>& stored) {
    std::string where;
    if (dbms.find("SQLite") != std::string::npos) {
      where = "rowid = last_insert_rowid()";  // the integer key, or the row's own number
    } else if (keys_.size() == 1 && (dbms.find("MySQL") != std::string::npos || dbms.find("MariaDB") != std::string::npos)) {
      where = source_->QuoteName(columns_[keys_[0]].name) + " = LAST_INSERT_ID()";
    } else if (keys_.size() == 1 && dbms.find("SQL Server") != std::string::npos) {
      where = source_->QuoteName(columns_[keys_[0]].name) + " = @@IDENTITY";
    } else {
      return false;
    }
    ResultReader reader(*source_, "SELECT " + ColumnList() + " FROM " + table_name_ + " WHERE " + where, timeout_);
    return reader.Next(stored);
  }

  long long Run(const std::string& sql, const std::vector<Variant>& parameters, const std::vector<int>& types) {
    RequireWritable();
    ResultReader statement(*source_, sql, timeout_, parameters, types);
    return statement.RowsAffected();
  }

  // The server's row whose key ROW holds, into STORED; false when there is none.
  bool ReadRow(const std::vector<Variant>& row, std::vector<Variant>& stored) {
    std::vector<Variant> parameters;
    std::vector<int> types;
    const std::string where = KeyCondition(row, parameters, types);
    ResultReader reader(*source_, "SELECT " + ColumnList() + " FROM " + table_name_ + " WHERE " + where, timeout_, parameters,
                        types);
    return reader.Next(stored);
  }

  const std::shared_ptr<DataSource> source_;
  const std::string select_sql_;
  std::vector<Variant> parameters_;
  const int timeout_;
  std::int64_t max_rows_;  // the row limit of the last read
  const std::vector<ResultColumn> columns_;
  const CopyTable table_;
  std::string table_name_;         // the server's table the writes go to, as the caller named it
  std::vector<std::size_t> keys_;  // its primary key's columns
  bool keys_known_ = false;        // KEYS_ looked up (a copy read only looks them up at a rollback)
  std::string read_table_;         // a copy read only: the server's table its rows are
  bool batched_ = false;           // optimistic batch: the recordset keeps the writes until sent
  std::set<std::int64_t> unsent_;  // the copy's rows holding writes not sent yet
  std::uint64_t rewrites_ = 0;     // copies matched to the server's rows after a rollback
  std::uint64_t reloads_ = 0;      // copies read anew after a rollback
  bool drops_table_ = true;
};

}  // namespace

std::shared_ptr<Recordset> OpenSourceRecordset(const std::shared_ptr<DataSource>& source, const std::string& name,
                                               int type, int options, int lock_type,
                                               const std::vector<Variant>& parameters, int query_timeout,
                                               std::int64_t max_records) {
  switch (type) {
    case 0: type = kOpenForwardOnly; break;
    case kOpenDynamic: type = kOpenDynaset; break;
    case kOpenDynaset: case kOpenSnapshot: case kOpenForwardOnly: break;
    case kOpenTable: InvalidArgument("Table-type recordsets are for database files; open a dynaset on a data source.");
    default: InvalidArgument("Unknown recordset type " + std::to_string(type) + ".");
  }
  if (lock_type < 0 || lock_type > kOptimisticBatch) InvalidArgument("Unknown lock type " + std::to_string(lock_type) + ".");
  if (options & ~0xFFF) InvalidArgument("Unknown recordset options " + std::to_string(options) + ".");
  if (max_records < 0) InvalidArgument("MaxRecords cannot be negative (0 reads all records).");
  if ((options & ro::kForwardOnly) && type == kOpenSnapshot) type = kOpenForwardOnly;
  constexpr int kNoCursor = 4;  // dbUseNoCursor
  if (source->CursorDriver() == kNoCursor) type = kOpenForwardOnly;
  if (name.find_first_not_of(" \t\r\n") == std::string::npos) InvalidArgument("Name a table or give a statement to open.");

  const bool statement = LooksLikeStatement(name);
  std::string select_sql = statement ? name : "SELECT * FROM " + name;
  // The server cursor driver: snapshots and dynasets move on the driver's scrollable cursor,
  // except the dynasets whose writes the copy keeps (an optimistic batch, append-only).
  constexpr int kServerCursor = 2;  // dbUseServerCursor
  const bool reads_only = type == kOpenSnapshot || source->ReadOnly() || lock_type == kReadOnlyLock ||
                          (options & ro::kReadOnly);
  const bool on_cursor = source->CursorDriver() == kServerCursor && type != kOpenForwardOnly &&
                         (reads_only || (lock_type != kOptimisticBatch && !(options & ro::kAppendOnly)));
  auto reader = std::make_unique<ResultReader>(*source, select_sql, query_timeout, parameters, std::vector<int>{},
                                               max_records, on_cursor);
  if (!reader->HasRows()) {
    RaiseJetError(jet::err::kInvalidOperation, "The statement returns no rows; run it with Execute instead.");
  }
  LocalCopy& local = source->Local();
  const std::vector<ResultColumn> columns = reader->Columns();
  CopyTable table = local.MakeTable(columns);
  std::shared_ptr<RowMirror> mirror;
  bool writable = false;
  if (type == kOpenForwardOnly) {
    // Read once forwards: straight from the server's statement, nothing copied.
    mirror = std::make_shared<SourceStream>(source, select_sql, parameters, query_timeout, max_records, std::move(reader),
                                            table);
  } else if (on_cursor) {
    auto cursor = std::make_shared<SourceCursor>(source, select_sql, parameters, query_timeout, max_records,
                                                 std::move(reader), table);
    if (!reads_only) {
      // Its writes go to the server's table by key, as a dynaset on the copy sends them.
      auto writer = std::make_shared<ServerMirror>(source, select_sql, parameters, query_timeout, max_records, columns,
                                                   table);
      writer->LeaveTable();
      writable = writer->WriteTo(statement ? BaseTableOf(name) : name);
      if (writable) cursor->WriteThrough(std::move(writer));
    }
    source->Keep(std::weak_ptr<CopyKeeper>(cursor));
    mirror = std::move(cursor);
  } else {
    try {
      local.Fill(table, *reader);
    } catch (...) {
      local.Drop(table);
      throw;
    }
    reader.reset();
    auto server = std::make_shared<ServerMirror>(source, select_sql, parameters, query_timeout, max_records, columns,
                                                 table);
    const std::string base_table = statement ? BaseTableOf(name) : name;
    writable = type == kOpenDynaset && !source->ReadOnly() && lock_type != kReadOnlyLock && !(options & ro::kReadOnly) &&
               server->WriteTo(base_table);
    if (writable) {
      if (lock_type == kOptimisticBatch) server->BatchWrites();
    } else {
      server->ReadFrom(base_table);
    }
    // Every copy follows a rollback: a snapshot too would show rows the server no longer has.
    source->Keep(std::weak_ptr<CopyKeeper>(server));
    mirror = std::move(server);
  }
  const int local_options = (options & (ro::kAppendOnly | ro::kInconsistent | ro::kConsistent)) | (writable ? 0 : ro::kReadOnly);
  auto recordset = OpenRecordsetOn(local.File(), table.name, type, local_options,
                                   lock_type == kReadOnlyLock ? kReadOnlyLock : kOptimistic, {}, 0, {}, mirror);
  recordset->NameAs(name);
  return recordset;
}

}  // namespace qb::jet::odbc
