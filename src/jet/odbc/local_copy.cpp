// jet/odbc/local_copy: the scratch file of a connection, its tables and their rows.
#include "jet/odbc/local_copy.h"

#include <sqlext.h>
#include <stdlib.h>

#include <filesystem>
#include <map>
#include <set>

#include "core/currency.h"
#include "core/format_settings.h"
#include "jet/base/engine_settings.h"
#include "jet/base/errors.h"
#include "jet/base/unicode_text.h"
#include "jet/maintenance/database_maintenance.h"
#include "jet/query/database_file.h"
#include "jet/query/query_execution.h"
#include "jet/recordset/stored_value.h"
#include "jet/sql/translate/translator.h"
#include "jet/sqlite/connection.h"

namespace qb::jet::odbc {
namespace {

constexpr int kCurrency = 5, kText = 10, kBinary = 9, kLongBinary = 11, kMemo = 12;

// Currency holds 4 decimals and about 9.22E14.
bool FitsCurrency(const ResultColumn& column) {
  return column.digits >= 0 && column.digits <= 4 && column.size > 0 && column.size - column.digits <= 14;
}

std::string DdlType(int type, int size) {
  switch (type) {
    case 1: return "BIT";
    case 3: return "SHORT";
    case 4: return "LONG";
    case kCurrency: return "CURRENCY";
    case 6: return "SINGLE";
    case 7: return "DOUBLE";
    case 8: return "DATETIME";
    case kBinary: return "BINARY(" + std::to_string(size) + ")";
    case kLongBinary: return "LONGBINARY";
    case kMemo: return "MEMO";
    default: return "TEXT(" + std::to_string(size) + ")";
  }
}

int LocalSize(const ResultColumn& column, int type) {
  if (type == kText) {
    if (column.type == 16) return 20;
    if (column.type == 15) return 38;
    if (column.type == 20) return std::min(255, std::max(1, column.size + 2));  // sign and point
    return std::min(255, std::max(1, column.size));
  }
  if (type == kBinary) return std::min(255, std::max(1, column.size));
  return 0;
}

std::string FieldName(std::string name, std::set<std::string>& taken) {
  for (char& c : name) {
    if (c == '.' || c == '!' || c == '`' || c == '[' || c == ']' || static_cast<unsigned char>(c) < 0x20) c = '_';
  }
  while (!name.empty() && name.front() == ' ') name.erase(name.begin());
  if (name.empty()) name = "Expr";
  if (name.size() > 60) name.resize(60);  // room for a number; a cut inside a character is mended below
  while (!name.empty() && (static_cast<unsigned char>(name.back()) & 0xC0) == 0x80) name.pop_back();
  if (!name.empty() && static_cast<unsigned char>(name.back()) >= 0xC0) name.pop_back();
  std::string candidate = name;
  for (int n = 2; taken.count(FoldCase(candidate)); ++n) candidate = name + std::to_string(n);
  taken.insert(FoldCase(candidate));
  return candidate;
}

}  // namespace

int LocalFieldType(const ResultColumn& column) {
  switch (column.type) {
    case 20: return FitsCurrency(column) ? kCurrency : kText;
    case 15:
    case 16: return kText;
    case 10: return column.size > 255 || column.size == 0 ? kMemo : kText;
    default: return column.type;
  }
}

Variant ToLocalValue(const Variant& value, int type) {
  if (type == kCurrency && value.Type() == VarType::String) {
    return Variant(Currency::FromText(value.ToString(), FormatSettings{}));
  }
  return ToFieldValue(value, type);
}

LocalCopy::LocalCopy() = default;

LocalCopy::~LocalCopy() {
  try {
    Close();
  } catch (...) {
    // Nothing a caller could do from a destructor; the folder is in the temporary folder.
  }
}

const std::shared_ptr<DatabaseFile>& LocalCopy::File() {
  if (closed_) RaiseJetError(jet::err::kObjectClosed, "The data source has been closed.");
  if (!file_) {
    // A folder only this user may enter (mkdtemp makes it 0700): the copies are the server's data.
    std::string pattern = (std::filesystem::temp_directory_path() / "quill-odbc-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
      RaiseJetError(jet::err::kCannotOpenFile, "No folder could be made in the temporary folder for the data source's rows.");
    }
    folder_ = pattern;
    file_ = CreateDatabaseFile(folder_ + "/rows.mdb", "1033", 0, EngineSettings{});
  }
  return file_;
}

CopyTable LocalCopy::MakeTable(const std::vector<ResultColumn>& columns) {
  DatabaseFile& file = *File();
  CopyTable table;
  table.name = "rows_" + std::to_string(++tables_made_);
  std::set<std::string> taken;
  std::string ddl;
  for (const ResultColumn& column : columns) {
    const int type = LocalFieldType(column);
    table.fields.push_back(FieldName(column.name, taken));
    table.types.push_back(type);
    if (!ddl.empty()) ddl += ", ";
    ddl += "[" + table.fields.back() + "] " + DdlType(type, LocalSize(column, type));
  }
  if (ddl.empty()) RaiseJetError(jet::err::kInvalidOperation, "The statement returns no columns to read.");
  ExecuteStatement(file, "CREATE TABLE [" + table.name + "] (" + ddl + ")", {}, 0);
  return table;
}

void LocalCopy::Fill(const CopyTable& table, ResultReader& reader) {
  Connection& connection = File()->EngineConnection(true);
  WriteSavepoint unit(connection, "qb_odbc_fill");
  connection.Exec("DELETE FROM " + sql::QuoteSqliteName(table.name));
  std::string names, marks;
  for (std::size_t i = 0; i < table.fields.size(); ++i) {
    names += (i ? ", " : "") + sql::QuoteSqliteName(table.fields[i]);
    marks += (i ? ", ?" : "?") + std::to_string(i + 1);
  }
  Statement insert = connection.Prepare("INSERT INTO " + sql::QuoteSqliteName(table.name) + " (" + names + ") VALUES (" +
                                        marks + ")");
  std::vector<Variant> row;
  while (reader.Next(row)) {
    ResetOnExit reset(insert);
    for (std::size_t i = 0; i < row.size(); ++i) {
      BindStoredValue(insert.Handle(), static_cast<int>(i + 1), ToLocalValue(row[i], table.types[i]));
    }
    insert.Step();
  }
  unit.Release();
}

namespace {

// The values of ROW's fields KEYS as one text, to match rows by key.
std::string KeyText(const std::vector<Variant>& row, const std::vector<std::size_t>& keys) {
  std::string text;
  for (std::size_t k : keys) text += (row[k].IsNull() ? std::string("\x01") : row[k].ToString()) + '\x1f';
  return text;
}

}  // namespace

void LocalCopy::Reconcile(const CopyTable& table, ResultReader& reader, const std::vector<std::size_t>& keys,
                          const std::set<std::int64_t>& keep) {
  ServerRows server;
  std::vector<Variant> row;
  while (reader.Next(row)) {
    for (std::size_t i = 0; i < row.size() && i < table.types.size(); ++i) row[i] = ToLocalValue(row[i], table.types[i]);
    server[KeyText(row, keys)] = row;
  }
  Match(table, server, keys, keep, nullptr);
}

void LocalCopy::Reconcile(const CopyTable& table, std::vector<std::vector<Variant>> server_rows,
                          const std::vector<std::size_t>& keys, const std::set<std::int64_t>& keep,
                          const std::set<std::int64_t>& only) {
  ServerRows server;
  for (std::vector<Variant>& row : server_rows) {
    for (std::size_t i = 0; i < row.size() && i < table.types.size(); ++i) row[i] = ToLocalValue(row[i], table.types[i]);
    server[KeyText(row, keys)] = std::move(row);
  }
  Match(table, server, keys, keep, &only);
}

std::vector<std::vector<Variant>> LocalCopy::RowsOf(const CopyTable& table, const std::set<std::int64_t>& rowids) {
  Connection& connection = File()->EngineConnection(true);
  std::string names;
  for (std::size_t i = 0; i < table.fields.size(); ++i) names += (i ? ", " : "") + sql::QuoteSqliteName(table.fields[i]);
  Statement read = connection.Prepare("SELECT " + names + " FROM " + sql::QuoteSqliteName(table.name) + " WHERE rowid = ?1");
  std::vector<std::vector<Variant>> rows;
  for (std::int64_t rowid : rowids) {
    ResetOnExit reset(read);
    read.Bind(1, rowid);
    if (!read.Step()) continue;
    std::vector<Variant> values;
    for (std::size_t i = 0; i < table.fields.size(); ++i) {
      values.push_back(read.ColumnValue(static_cast<int>(i), table.types[i]));
    }
    rows.push_back(std::move(values));
  }
  return rows;
}

void LocalCopy::Match(const CopyTable& table, const ServerRows& server, const std::vector<std::size_t>& keys,
                      const std::set<std::int64_t>& keep, const std::set<std::int64_t>* only) {
  Connection& connection = File()->EngineConnection(true);
  WriteSavepoint unit(connection, "qb_odbc_reconcile");
  std::string names, assignments;
  for (std::size_t i = 0; i < table.fields.size(); ++i) {
    names += ", " + sql::QuoteSqliteName(table.fields[i]);
    assignments += (i ? ", " : "") + sql::QuoteSqliteName(table.fields[i]) + " = ?" + std::to_string(i + 1);
  }
  const std::string name = sql::QuoteSqliteName(table.name);
  std::vector<std::pair<std::int64_t, std::vector<Variant>>> local;
  {
    // Every row, or the rows ONLY names one by one.
    Statement read = connection.Prepare("SELECT rowid" + names + " FROM " + name + (only ? " WHERE rowid = ?1" : ""));
    auto take = [&] {
      ResetOnExit reset(read);
      while (read.Step()) {
        std::vector<Variant> values;
        for (std::size_t i = 0; i < table.fields.size(); ++i) {
          values.push_back(read.ColumnValue(static_cast<int>(i + 1), table.types[i]));
        }
        local.emplace_back(read.ColumnInt(0), std::move(values));
      }
    };
    if (!only) take();
    for (std::int64_t rowid : only ? *only : std::set<std::int64_t>{}) {
      read.Bind(1, rowid);
      take();
    }
  }
  Statement remove = connection.Prepare("DELETE FROM " + name + " WHERE rowid = ?1");
  Statement update = connection.Prepare("UPDATE " + name + " SET " + assignments + " WHERE rowid = ?" +
                                        std::to_string(table.fields.size() + 1));
  for (const auto& [rowid, values] : local) {
    if (keep.count(rowid) || (only && !only->count(rowid))) continue;
    const auto found = server.find(KeyText(values, keys));
    if (found == server.end()) {
      ResetOnExit reset(remove);
      remove.Bind(1, rowid);
      remove.Step();
    } else if (found->second != values) {
      ResetOnExit reset(update);
      for (std::size_t i = 0; i < found->second.size(); ++i) {
        BindStoredValue(update.Handle(), static_cast<int>(i + 1), found->second[i]);
      }
      update.Bind(static_cast<int>(table.fields.size() + 1), rowid);
      update.Step();
    }
  }
  unit.Release();
}

void LocalCopy::Drop(const CopyTable& table) {
  if (closed_ || !file_ || !file_->IsOpen()) return;
  ExecuteStatement(*file_, "DROP TABLE [" + table.name + "]", {}, 0);
}

void LocalCopy::Close() {
  if (closed_) return;
  closed_ = true;
  if (file_ && file_->IsOpen()) file_->Close();
  file_.reset();
  if (!folder_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
}

}  // namespace qb::jet::odbc
