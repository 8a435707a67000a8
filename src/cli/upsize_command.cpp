// cli/upsize_command: 'quill upsize FILE CONNECT [TABLE ...]': copies tables of a database file
// to an ODBC data source: their fields (typed as the server names the nearest type), required
// rules, primary keys, indexes and every row exactly. Everything runs in one server
// transaction, so a failure leaves the server as it was. A PostgreSQL server takes the rows by
// its bulk copy on a second connection, which then runs the whole transaction (upsize_target.h).
// Saved select queries follow as views, each on its own savepoint: one the server refuses stays
// behind without undoing the rest.
// Prints each table's rows and each view, then what the server cannot be given (validation
// rules, defaults, AutoNumber counters, relationships, queries with no server form).
#include <sql.h>
#include <sqlext.h>

#include <unistd.h>

#include <iostream>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/data_source_commands.h"
#include "cli/db_options.h"
#include "cli/upsize_target.h"
#include "com/ole_exception.h"
#include "jet/dao/catalog_objects.h"
#include "jet/dao/database.h"
#include "jet/dao/dbengine.h"
#include "jet/dao/field.h"
#include "jet/dao/index.h"
#include "jet/dao/querydef.h"
#include "jet/dao/relation.h"
#include "jet/dao/tabledef.h"
#include "jet/odbc/data_source.h"
#include "jet/odbc/odbc_errors.h"
#include "jet/odbc/server_views.h"
#include "jet/recordset/recordset.h"

namespace qb::cli {
namespace {

constexpr const char* kUpsizeHelp =
    "quill upsize FILE CONNECT [TABLE ...] [--inserts]\n"
    "  Copies the tables of FILE (all user tables, or those named) to the ODBC data source\n"
    "  CONNECT (\"ODBC;DSN=...\" or \"ODBC;DRIVER={...};...\"): fields, required rules, primary\n"
    "  keys, indexes and rows. All or nothing: a failure leaves the server unchanged.\n"
    "  Saved select queries become views; those with no server form, or that the server\n"
    "  refuses, are listed as not carried over.\n"
    "  A PostgreSQL server takes the rows by its bulk copy, on a second connection made with\n"
    "  the same connect values; where that connection cannot be made they go as INSERT\n"
    "  statements, and a line on the error output says why.\n"
    "  --inserts  sends the rows as INSERT statements in any case\n";

constexpr std::int32_t kAutoIncrement = 16;  // dbAutoIncrField

// The server's name for SQL_TYPE with SIZE filled in where it takes one ("" when it has none).
std::string ServerTypeName(SQLHDBC connection, SQLSMALLINT sql_type, int size) {
  SQLHSTMT statement = SQL_NULL_HANDLE;
  if (!jet::odbc::Succeeded(SQLAllocHandle(SQL_HANDLE_STMT, connection, &statement))) return {};
  std::string name;
  if (jet::odbc::Succeeded(SQLGetTypeInfo(statement, sql_type)) && jet::odbc::Succeeded(SQLFetch(statement))) {
    char type_name[128] = {}, params[128] = {};
    SQLLEN indicator = 0;
    SQLGetData(statement, 1, SQL_C_CHAR, type_name, sizeof type_name, &indicator);
    if (indicator == SQL_NULL_DATA) type_name[0] = 0;
    SQLGetData(statement, 6, SQL_C_CHAR, params, sizeof params, &indicator);
    if (indicator == SQL_NULL_DATA) params[0] = 0;
    name = type_name;
    const std::string create(params);
    if (!name.empty() && create.find("scale") != std::string::npos) {
      name += "(19,4)";
    } else if (!name.empty() && create.find("length") != std::string::npos && size > 0) {
      name += "(" + std::to_string(size) + ")";
    }
  }
  SQLFreeHandle(SQL_HANDLE_STMT, statement);
  return name;
}

// The server's type for a field of DAO_TYPE and SIZE: the first kind it offers, nearest first.
std::string ServerType(SQLHDBC connection, int dao_type, int size, const std::string& field) {
  std::vector<SQLSMALLINT> kinds;
  switch (dao_type) {
    case 1: kinds = {SQL_BIT, SQL_SMALLINT}; break;
    case 2: case 3: kinds = {SQL_SMALLINT, SQL_INTEGER}; break;
    case 4: kinds = {SQL_INTEGER}; break;
    case 5: kinds = {SQL_DECIMAL, SQL_NUMERIC}; break;
    case 6: kinds = {SQL_REAL, SQL_FLOAT, SQL_DOUBLE}; break;
    case 7: kinds = {SQL_DOUBLE, SQL_FLOAT}; break;
    case 8: kinds = {SQL_TYPE_TIMESTAMP, SQL_TIMESTAMP}; break;
    case 9: kinds = {SQL_VARBINARY, SQL_LONGVARBINARY}; break;
    case 10: kinds = {SQL_VARCHAR, SQL_WVARCHAR}; break;
    case 11: kinds = {SQL_LONGVARBINARY, SQL_VARBINARY}; break;
    case 12: kinds = {SQL_LONGVARCHAR, SQL_WLONGVARCHAR}; break;
    case 15: kinds = {SQL_GUID, SQL_VARCHAR}; size = 38; break;
    default: break;
  }
  for (SQLSMALLINT kind : kinds) {
    std::string name = ServerTypeName(connection, kind, size);
    if (!name.empty()) return name;
  }
  throw std::runtime_error("the data source has no type for the field '" + field + "' (type " +
                           std::to_string(dao_type) + ")");
}

// The key fields of an index ("+A;-B") as the server's column list.
std::string KeyList(const jet::odbc::DataSource& server, const std::string& fields, bool with_order) {
  std::string list;
  std::size_t start = 0;
  while (start < fields.size()) {
    std::size_t end = fields.find(';', start);
    if (end == std::string::npos) end = fields.size();
    std::string key = fields.substr(start, end - start);
    const bool descending = !key.empty() && key[0] == '-';
    if (!key.empty() && (key[0] == '+' || key[0] == '-')) key.erase(0, 1);
    if (!list.empty()) list += ", ";
    list += server.QuoteName(key) + (with_order && descending ? " DESC" : "");
    start = end + 1;
  }
  return list;
}

struct Upsized {
  long long rows = 0;
  std::vector<std::string> left_out;
};

Upsized UpsizeTable(jet::Database& file, jet::TableDef& table, jet::odbc::DataSource& server, UpsizeTarget& target) {
  Upsized result;
  const bool progress = ::isatty(2) != 0;  // a progress line is for someone watching
  const std::string name = table.Name();
  std::vector<std::shared_ptr<jet::Field>> fields;
  auto field_list = table.Fields();
  for (int i = 0; i < field_list->Count(); ++i) fields.push_back(field_list->Item(i));
  std::string columns;
  for (const auto& field : fields) {
    if (!columns.empty()) columns += ", ";
    columns += server.QuoteName(field->Name()) + " " +
               ServerType(server.Handle(), field->Type(), field->Size(), name + "." + field->Name()) +
               (field->Required() ? " NOT NULL" : "");
    if (!field->ValidationRule().empty()) result.left_out.push_back(name + "." + field->Name() + ": validation rule");
    const std::string default_value = field->DefaultValue().ToStringOrEmpty();
    if (!default_value.empty()) result.left_out.push_back(name + "." + field->Name() + ": default value " + default_value);
    if (field->Attributes() & kAutoIncrement) {
      result.left_out.push_back(name + "." + field->Name() + ": AutoNumber (the values are copied, new ones are not made)");
    }
  }
  if (!table.ValidationRule().empty()) result.left_out.push_back(name + ": validation rule");
  // Keys and indexes are built once the rows are in: one sort instead of an index insert per
  // row. A server that cannot add a primary key to a table (SQLite) gets it with the table.
  const bool key_afterwards = server.DbmsName() == "PostgreSQL";
  std::vector<std::string> index_statements;
  auto indexes = table.Indexes();
  for (int i = 0; i < indexes->Count(); ++i) {
    const auto index = indexes->Item(i);
    if (index->Primary()) {
      const std::string key = "PRIMARY KEY (" + KeyList(server, index->Fields(), false) + ")";
      if (key_afterwards) {
        index_statements.insert(index_statements.begin(), "ALTER TABLE " + server.QuoteName(name) + " ADD " + key);
      } else {
        columns += ", " + key;
      }
    } else {
      index_statements.push_back(std::string("CREATE ") + (index->Unique() ? "UNIQUE " : "") + "INDEX " +
                                 server.QuoteName(name + "_" + index->Name()) + " ON " + server.QuoteName(name) + " (" +
                                 KeyList(server, index->Fields(), true) + ")");
    }
  }
  target.Execute("CREATE TABLE " + server.QuoteName(name) + " (" + columns + ")");

  std::vector<UpsizeColumn> targets;
  for (const auto& field : fields) targets.push_back({field->Name(), field->Type(), field->Size()});
  std::unique_ptr<UpsizeRows> writer = target.Rows(name, std::move(targets));
  // Table-type: it moves through the table by key, where a forward-only read of the table runs a
  // new statement for each slice that steps again over every row before it (about a third less
  // of the reading side's time for a large table). The file is open read-only: nothing is held.
  auto rows = file.OpenRecordset(name, jet::kOpenTable);
  auto row_fields = rows->Fields();
  std::vector<decltype(row_fields->Item(0))> values;
  for (std::size_t i = 0; i < fields.size(); ++i) values.push_back(row_fields->Item(static_cast<int>(i)));
  long long next_progress = 1;  // once a batch has gone
  for (; !rows->Eof(); rows->MoveNext()) {
    for (std::size_t i = 0; i < values.size(); ++i) writer->Set(i, values[i]->Value());
    writer->Add();
    if (progress && writer->RowsWritten() >= next_progress) {
      std::cerr << "upsizing " << name << ": " << writer->RowsWritten() << " rows\r" << std::flush;
      next_progress = writer->RowsWritten() + 1;
    }
  }
  writer->Finish();
  result.rows = writer->RowsWritten();
  writer.reset();
  for (const std::string& statement : index_statements) target.Execute(statement);
  if (progress) std::cerr << "upsizing " << name << ": " << result.rows << " rows\n";
  return result;
}

// The saved select queries of FILE as views on the server, after its tables. A view the server
// refuses is taken back to its savepoint and listed; the transaction goes on.
void UpsizeQueries(jet::Database& file, UpsizeTarget& target, std::string* copied, std::vector<std::string>* left_out) {
  jet::odbc::NameSpellings names;
  auto tables = file.TableDefs();
  for (int i = 0; i < tables->Count(); ++i) {
    auto table = tables->Item(i);
    names.Spell(table->Name());
    auto fields = table->Fields();
    for (int k = 0; k < fields->Count(); ++k) names.Spell(fields->Item(k)->Name());
  }
  std::vector<jet::odbc::SavedQuery> queries;
  auto querydefs = file.QueryDefs();
  for (int i = 0; i < querydefs->Count(); ++i) {
    auto query = querydefs->Item(i);
    if (query->Name().rfind('~', 0) == 0) continue;  // the engine's own hidden queries
    queries.push_back({query->Name(), query->SQL()});
  }
  jet::odbc::ViewPlan plan = jet::odbc::PlanServerViews(queries, names);
  for (const jet::odbc::ServerView& view : plan.views) {
    target.Execute("SAVEPOINT quill_view");
    try {
      target.Execute(view.create);
    } catch (const EOleException& refused) {
      target.Execute("ROLLBACK TO SAVEPOINT quill_view");
      left_out->push_back("query " + view.name + ": the server refused it: " + refused.Message());
      continue;
    }
    target.Execute("RELEASE SAVEPOINT quill_view");
    *copied += view.name + ": view\n";
  }
  left_out->insert(left_out->end(), plan.not_carried.begin(), plan.not_carried.end());
}

}  // namespace

int RunUpsizeCommand(const GlobalOptions& options, const std::vector<std::string>& arguments) {
  bool by_insert = false;
  std::vector<std::string> words;
  for (const std::string& word : arguments) {
    if (word == "--help") {
      std::cout << kUpsizeHelp;
      return 0;
    }
    if (word == "--inserts") {
      by_insert = true;
      continue;
    }
    if (word.compare(0, 2, "--") == 0) throw UsageError("'upsize' has no option " + word);
    words.push_back(word);
  }
  if (words.size() < 2) throw UsageError("'upsize' takes a database file and a connect text, then any table names");
  if (!IsDataSourceName(words[1])) throw UsageError("the second argument of 'upsize' is an ODBC connect text (\"ODBC;...\")");
  auto engine = MakeEngine();
  auto file = OpenForReading(*engine, options, words[0]);
  std::vector<std::shared_ptr<jet::TableDef>> tables;
  if (words.size() > 2) {
    for (std::size_t i = 2; i < words.size(); ++i) tables.push_back(file->TableDefs()->Item(std::string_view(words[i])));
  } else {
    auto all = file->TableDefs();
    for (int i = 0; i < all->Count(); ++i) {
      auto table = all->Item(i);
      if ((table->Attributes() & jet::kSystemObject) != jet::kSystemObject) tables.push_back(table);
    }
  }
  auto source = OpenDataSource(*engine, words[1]);
  jet::odbc::DataSource& server = *source->Source();
  std::vector<std::string> left_out;
  std::string copied;  // printed once everything is saved
  std::unique_ptr<UpsizeTarget> target;
  if (!by_insert) {
    std::string why;
    target = CopyUpsizeTarget(server, &why);
    if (!target && server.DbmsName() == "PostgreSQL") std::cerr << "rows go as INSERT statements: " << why << "\n";
  }
  if (!target) target = OdbcUpsizeTarget(server);
  target->Begin();
  try {
    for (const auto& table : tables) {
      Upsized done = UpsizeTable(*file, *table, server, *target);
      copied += table->Name() + ": " + std::to_string(done.rows) + " rows\n";
      left_out.insert(left_out.end(), done.left_out.begin(), done.left_out.end());
    }
    UpsizeQueries(*file, *target, &copied, &left_out);
    target->Commit();
  } catch (...) {
    target->RollbackQuietly();
    throw;
  }
  std::cout << copied << "Rows sent by " << target->RowPath() << ".\n";
  auto relations = file->Relations();
  for (int i = 0; i < relations->Count(); ++i) left_out.push_back("relationship " + relations->Item(i)->Name());
  if (!left_out.empty()) {
    std::cout << "Not carried over:\n";
    for (const std::string& line : left_out) std::cout << "  " << line << "\n";
  }
  return 0;
}

}  // namespace qb::cli
