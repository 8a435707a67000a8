// jet/import/import_database: the writing side of an import. Each table is created by Jet DDL with
// its primary key and indexes, which the reader sends before the rows (a key added to a filled
// table copies the table), and filled by one INSERT, translated and compiled once, inside a
// transaction. The work file is this import's own until it is linked into place, so the rows
// skip what a shared file needs per statement (table holds, a savepoint per row): a row that
// fails fails the whole import, and the work file goes with it.
#include "jet/import/import_database.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <memory>
#include <stdexcept>

#include "jet/base/errors.h"
#include "jet/dao/database.h"
#include "jet/query/database_file.h"
#include "jet/sql/translate/parameter_binding.h"
#include "jet/sql/translate/query_translator.h"
#include "jet/sqlite/statement.h"
#include "jet/sqlite/statement_cache.h"
#include "jet/import/genuine_reader.h"
#include "jet/import/import_definitions.h"
#include "jet/import/import_stream.h"
#include "jet/import/reader_process.h"
#include "jet/maintenance/database_maintenance.h"
#include "jet/base/recordset_types.h"

namespace qb::jet {
namespace {

using import::FrameKind;
using import::FrameReader;
using import::ImportColumn;
using import::ImportValue;
using import::ValueTag;

// The genuine file's type codes.
enum : std::uint8_t {
  kBool = 1, kByte, kInt, kLong, kMoney, kFloat, kDouble, kDateTime, kBinary, kText, kOle, kMemo,
  kRepId = 0x0f, kNumeric = 0x10,
};

std::string Bracketed(const std::string& name) {
  std::string quoted = "[";
  for (char c : name) {
    if (c == ']') quoted += "]]";
    else quoted += c;
  }
  return quoted + "]";
}

// The Jet DDL type of COLUMN and the parameter type its values are passed as.
std::pair<std::string, std::string> ColumnTypes(const ImportColumn& column) {
  auto sized = [](const char* name, std::uint32_t size) {
    if (size == 0 || size > 255) size = 255;
    return std::string(name) + "(" + std::to_string(size) + ")";
  };
  switch (column.type) {
    case kBool: return {"BIT", "Bit"};
    case kByte: return {"BYTE", "Byte"};
    case kInt: return {"SHORT", "Short"};
    case kLong: return {column.autonumber ? "COUNTER" : "LONG", "Long"};
    case kMoney: return {"CURRENCY", "Currency"};
    case kFloat: return {"SINGLE", "IEEESingle"};
    case kDouble: return {"DOUBLE", "IEEEDouble"};
    case kDateTime: return {"DATETIME", "DateTime"};
    case kBinary: return {sized("BINARY", column.size), "LongBinary"};
    case kText: return {sized("TEXT", column.size), "Text"};
    case kOle: return {"LONGBINARY", "LongBinary"};
    case kMemo: return {"MEMO", "Memo"};
    case kRepId: return {"TEXT(38)", "Text"};
    case kNumeric: return {"TEXT(" + std::to_string(std::max(40, column.precision + 3)) + ")", "Text"};
    default:
      RaiseJetError(err::kUnrecognisedFile, "The field '" + column.name + "' has a type this import does not know (" +
                                                 std::to_string(column.type) + ").");
  }
}

Variant ToVariant(const ImportValue& value) {
  switch (value.tag) {
    case ValueTag::kNull: return Variant::Null();
    case ValueTag::kInteger:
      if (value.integer < INT32_MIN || value.integer > INT32_MAX) return Variant(static_cast<double>(value.integer));
      return Variant(static_cast<int>(value.integer));
    case ValueTag::kDouble: return Variant(value.number);
    case ValueTag::kCurrency: return Variant(Currency::FromScaled(value.integer));
    case ValueTag::kDate: return Variant::FromDate(value.number);
    case ValueTag::kText: return Variant(value.bytes);
    case ValueTag::kBytes: return Variant::FromBytes(std::vector<std::uint8_t>(value.bytes.begin(), value.bytes.end()));
  }
  return Variant::Null();
}

// Removes the work file and its companions unless it was linked into place.
class WorkFile {
 public:
  explicit WorkFile(std::string path) : path_(std::move(path)) { Remove(); }
  ~WorkFile() { Remove(); }
  WorkFile(const WorkFile&) = delete;
  WorkFile& operator=(const WorkFile&) = delete;
  const std::string& Path() const { return path_; }

 private:
  void Remove() {
    for (const char* suffix : {"", "-wal", "-shm", "-journal", ".ldb", ".laccdb"}) ::unlink((path_ + suffix).c_str());
  }
  std::string path_;
};

// Flushes PATH (a file or a folder) to the disk; raises kDiskIo with FAILURE when it cannot.
void SyncToDisk(const std::string& path, const std::string& failure) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  const bool synced = fd >= 0 && ::fsync(fd) == 0;
  if (fd >= 0) ::close(fd);
  if (!synced) RaiseJetError(err::kDiskIo, failure);
}

// One table being written.
struct TableWriter {
  std::string name;
  std::vector<ImportColumn> columns;
  std::string column_ddl;                // the CREATE TABLE's list of fields
  std::string primary_key;               // its PRIMARY KEY constraint, when the key fits one
  std::vector<std::string> index_ddl;    // CREATE INDEX statements for the other indexes
  bool created = false;                  // made in the file; no index may come after this
  std::shared_ptr<const sql::TranslatedQuery> insert;  // null once the rows are written
  std::vector<std::size_t> column_of;  // the column each of the insert's parameters takes
  std::vector<Variant> values;         // one row's, reused from row to row
  std::int64_t rows = 0;
  int indexes = 0;
};

void BeginTable(FrameReader& in, TableWriter* table) {
  table->name = in.Text();
  const std::uint32_t count = in.U32();
  table->columns.clear();
  table->column_ddl.clear();
  table->primary_key.clear();
  table->index_ddl.clear();
  table->created = false;
  table->insert.reset();
  for (std::uint32_t i = 0; i < count; ++i) {
    ImportColumn column;
    column.name = in.Text();
    column.type = in.U8();
    column.size = in.U32();
    column.autonumber = in.U8() != 0;
    column.precision = in.U8();
    column.scale = in.U8();
    table->column_ddl += (i ? ", " : "") + Bracketed(column.name) + " " + ColumnTypes(column).first;
    table->columns.push_back(std::move(column));
  }
  table->rows = 0;
  table->indexes = 0;
}

void AddIndex(FrameReader& in, TableWriter& table) {
  const std::string owner = in.Text();
  const std::string name = in.Text();
  const std::uint8_t flags = in.U8();
  const std::uint32_t keys = in.U32();
  std::string columns;
  bool descending = false;
  for (std::uint32_t k = 0; k < keys; ++k) {
    const std::string column = in.Text();
    const std::uint8_t order = in.U8();
    if (column.empty()) throw std::runtime_error("an index key without a field");
    columns += (k ? ", " : "") + Bracketed(column) + (order == 2 ? " DESC" : "");
    descending = descending || order == 2;
  }
  if (owner != table.name || columns.empty()) return;
  if ((flags & import::kIndexPrimary) && !descending && table.primary_key.empty()) {
    // The table is made with it: a key added later copies the table.
    table.primary_key = "CONSTRAINT " + Bracketed(name) + " PRIMARY KEY (" + columns + ")";
  } else {
    std::string sql = std::string("CREATE ") + ((flags & import::kIndexUnique) && !(flags & import::kIndexPrimary) ? "UNIQUE " : "") +
                      "INDEX " + Bracketed(name) + " ON " + Bracketed(table.name) + " (" + columns + ")";
    if (flags & import::kIndexPrimary) sql += " WITH PRIMARY";
    else if (flags & import::kIndexIgnoreNulls) sql += " WITH IGNORE NULL";
    table.index_ddl.push_back(std::move(sql));
  }
  ++table.indexes;
}

// Makes TABLE in DB, keys and indexes included while it is empty, and its INSERT.
void CreateTable(Database& db, TableWriter& table) {
  db.Execute("CREATE TABLE " + Bracketed(table.name) + " (" + table.column_ddl +
                 (table.primary_key.empty() ? "" : ", " + table.primary_key) + ")",
             recordset_option::kFailOnError);
  for (const std::string& sql : table.index_ddl) db.Execute(sql, recordset_option::kFailOnError);
  table.created = true;
  const std::size_t count = table.columns.size();
  std::string parameters = "PARAMETERS ";
  std::string names, values;
  for (std::size_t i = 0; i < count; ++i) {
    const std::string sep = i ? ", " : "";
    parameters += sep + "[p" + std::to_string(i) + "] " + ColumnTypes(table.columns[i]).second;
    names += sep + Bracketed(table.columns[i].name);
    values += sep + "[p" + std::to_string(i) + "]";
  }
  table.insert = db.File()->Translate(parameters + "; INSERT INTO " + Bracketed(table.name) + " (" + names +
                                      ") VALUES (" + values + ")");
  table.column_of.clear();
  for (const sql::TranslatedParameter& parameter : table.insert->parameters) {
    // The parameters were named p0, p1, ... above; the translation may list them in its order.
    std::size_t column = 0;
    auto named = [&](std::size_t i) {
      const std::string expected = "p" + std::to_string(i);
      return parameter.name == expected || parameter.name == "P" + expected.substr(1);
    };
    while (column < count && !named(column)) ++column;
    if (column == count) RaiseJetError(err::kInvalidOperation, "The import's INSERT has an unknown parameter.");
    table.column_of.push_back(column);
  }
  table.values.assign(table.column_of.size(), Variant());
  db.BeginTrans();
}

void WriteRow(Database& db, FrameReader& in, TableWriter& table, std::vector<ImportValue>* row) {
  row->resize(table.columns.size());
  for (ImportValue& value : *row) value = in.Value();
  for (std::size_t i = 0; i < table.values.size(); ++i) table.values[i] = ToVariant((*row)[table.column_of[i]]);
  DatabaseFile& file = *db.File();
  file.EngineConnection(true);
  ResetOnExit statement(file.Statements().Get(table.insert->sql));
  sql::BindParameters(statement->Handle(), table.values);
  statement->Run();
  ++table.rows;
}

ImportSummary ImportFrom(const std::string& source, const std::function<std::unique_ptr<import::ReaderProcess>()>& start,
                         const std::string& destination, int options, const EngineSettings& settings) {
  if (source.empty() || destination.empty()) RaiseJetError(err::kBadFileName, "No database file was named.");
  struct stat info {};
  if (::stat(source.c_str(), &info) != 0) RaiseJetError(err::kFileNotFound, "The file '" + source + "' was not found.");
  if (::lstat(destination.c_str(), &info) == 0) {
    RaiseJetError(err::kFileExists, "The file '" + destination + "' already exists; an import makes a new file.");
  }
  WorkFile work(destination + ".import-" + std::to_string(::getpid()));
  const std::unique_ptr<import::ReaderProcess> reader = start();
  ImportSummary summary;
  {
    // Nobody else opens the work file, and it is thrown away unless the import completes: it is
    // made and written without syncs and synced as a whole before it is linked into place.
    auto db = std::make_shared<Database>(CreateDatabaseFile(work.Path(), std::string(), options, settings, false));
    db->File()->EngineConnection(true).Exec("PRAGMA synchronous = OFF");
    TableWriter table;
    bool in_table = false;
    std::vector<import::ImportedRelation> relations;
    std::vector<import::ImportedQuery> queries;
    std::string payload;
    std::vector<ImportValue> row;
    for (bool done = false; !done;) {
      const FrameKind kind = reader->Next(&payload);
      FrameReader in(payload);
      try {
        switch (kind) {
          case FrameKind::kTable:
            if (in_table) throw std::runtime_error("a table began inside another");
            BeginTable(in, &table);
            in_table = true;
            break;
          case FrameKind::kIndex:
            if (!in_table) throw std::runtime_error("an index came outside a table");
            if (table.created) throw std::runtime_error("an index came after its table's rows");
            AddIndex(in, table);
            break;
          case FrameKind::kRow:
            if (!in_table) throw std::runtime_error("a row came outside a table");
            if (!table.created) CreateTable(*db, table);
            WriteRow(*db, in, table, &row);
            break;
          case FrameKind::kTableEnd: {
            if (!in_table) throw std::runtime_error("a table ended that had not begun");
            if (!table.created) CreateTable(*db, table);
            db->CommitTrans();
            table.insert.reset();
            const std::uint32_t counted = in.U32();
            if (counted != table.rows) throw std::runtime_error("the rows written differ from the rows read");
            summary.tables.push_back({table.name, table.rows, table.indexes});
            in_table = false;
            break;
          }
          case FrameKind::kRelation:
            if (in_table) throw std::runtime_error("a relationship came inside a table");
            relations.push_back(import::ReadRelation(in));
            break;
          case FrameKind::kQuery:
            if (in_table) throw std::runtime_error("a query came inside a table");
            queries.push_back(import::ReadQuery(in));
            break;
          case FrameKind::kSkipped: {
            std::string what = in.Text();
            std::string why = in.Text();
            summary.skipped.emplace_back(std::move(what), std::move(why));
            break;
          }
          case FrameKind::kError: RaiseJetError(err::kUnrecognisedFile, "'" + source + "' could not be imported: " + in.Text());
          case FrameKind::kDone: done = true; break;
        }
      } catch (const std::runtime_error& e) {
        RaiseJetError(err::kUnrecognisedFile, "'" + source + "' could not be imported: the reader sent a malformed record (" +
                                                  e.what() + ").");
      }
    }
    if (in_table) RaiseJetError(err::kUnrecognisedFile, "'" + source + "' could not be imported: the reader ended inside a table.");
    import::WriteRelations(*db, relations, &summary);
    import::WriteQueries(*db, queries, &summary);
    db->Close();
  }
  SyncToDisk(work.Path(), "The imported database could not be written to disk as '" + destination + "'.");
  if (::link(work.Path().c_str(), destination.c_str()) != 0) {
    if (errno == EEXIST) RaiseJetError(err::kFileExists, "The file '" + destination + "' was made meanwhile; the import left it alone.");
    RaiseJetError(err::kCannotOpenFile, "The imported database could not be put in place as '" + destination + "'.");
  }
  // The new name is made durable too; the file is in place by now, so this is best effort.
  const std::string folder = std::filesystem::path(destination).parent_path().string();
  const int folder_fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder_fd >= 0) {
    ::fsync(folder_fd);
    ::close(folder_fd);
  }
  return summary;
}

}  // namespace

ImportSummary ImportGenuineDatabase(const std::string& source, const std::string& destination, int options,
                                    const std::vector<std::string>& tables, const EngineSettings& settings,
                                    int silence_seconds) {
  const std::string program = import::ReaderProgram();
  if (program.empty()) {
    return ImportFromReader(
        source, [&](int fd) { return import::ReadGenuineFile(source, tables, fd); }, destination, options, settings,
        silence_seconds);
  }
  std::vector<std::string> command{program, source};
  command.insert(command.end(), tables.begin(), tables.end());
  return ImportFrom(
      source, [&] { return std::make_unique<import::ReaderProcess>(source, command, silence_seconds); }, destination,
      options, settings);
}

ImportSummary ImportFromReader(const std::string& source, const std::function<int(int fd)>& read,
                               const std::string& destination, int options, const EngineSettings& settings,
                               int silence_seconds) {
  return ImportFrom(
      source, [&] { return std::make_unique<import::ReaderProcess>(source, read, silence_seconds); }, destination,
      options, settings);
}

}  // namespace qb::jet
