// jet/maintenance/repair: RepairDatabase: checks a database file and, when it is damaged, salvages every
// row that still reads into a sound file that replaces it atomically, keeping the damaged file
// as "name.damaged"; of a sound file, reports the fields holding values of another type. Works
// under an exclusive hold; never writes into the damaged file.
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "com/ole_exception.h"
#include "jet/storage/copy_content.h"
#include "jet/maintenance/database_maintenance.h"
#include "jet/maintenance/database_open.h"
#include "jet/base/errors.h"
#include "jet/catalog/schema_catalog.h"
#include "jet/catalog/schema_sql.h"
#include "jet/base/sort_orders.h"
#include "jet/sqlite/connection.h"
#include "jet/storage/text_collation.h"

namespace qb::jet {
namespace {

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

// What the damaged file's MSysDbInfo still tells; defaults for what does not read.
CatalogInfo ReadInfoLeniently(Connection& connection, const std::string& path) {
  CatalogInfo info;
  info.exact_currency = false;  // unless the file says so: its Currency fields are copied as they are
  try {
    Statement rows = connection.Prepare("SELECT Name, Value FROM MSysDbInfo");
    while (rows.Step()) {
      const std::string name = rows.ColumnText(0), value = rows.ColumnText(1);
      if (name == "Kind" && value != "database") {
        RaiseJetError(err::kUnrecognisedFile, "The file " + Quoted(path) + " is not a database, so it cannot be repaired.");
      }
      if (name == "FormatVersion") info.format_version = value;
      if (name == "CurrencyStorage") info.exact_currency = value == "Integer";
      if (name == "SortOrder" && SortOrderName(std::atoi(value.c_str()))) info.sort_order = std::atoi(value.c_str());
    }
  } catch (const EOleException& e) {
    if (e.ErrorCode() == err::kUnrecognisedFile && std::string(e.Message()).find("not a database") != std::string::npos) throw;
    // a damaged MSysDbInfo: the defaults stand
  }
  return info;
}

// Only a failure that shows damage judges the file: a full disk, a disk error, a lock or a
// missing permission says nothing about it, so those go to the caller as they are.
bool ShowsDamage(const EOleException& e) { return e.ErrorCode() == err::kUnrecognisedFile; }

// True when SQLite's own check finds the file sound.
bool PassesIntegrityCheck(Connection& connection) {
  try {
    Statement check = connection.Prepare("PRAGMA integrity_check");
    if (!check.Step() || check.ColumnText(0) != "ok") return false;
    return !check.Step();
  } catch (const EOleException& e) {
    if (!ShowsDamage(e)) throw;
    return false;
  }
}

// The storage classes a field of DAO type TYPE may hold; nullptr for a type not checked. A
// Currency field is numeric whichever way the file stores money.
const char* StorageClassesOf(int type) {
  switch (type) {
    case 1: case 2: case 3: case 4: return "'integer'";
    case 5: return "'integer', 'real'";
    case 6: case 7: case 8: return "'real', 'integer'";
    case 9: case 11: return "'blob'";
    case 10: case 12: case 15: return "'text'";
    default: return nullptr;
  }
}

void Remove(const std::string& path) { ::unlink(path.c_str()); }

[[noreturn]] void RaiseFileSystem(const std::string& what, const std::string& path) {
  RaiseJetError(err::kCannotOpenFile, what + " " + Quoted(path) + ": " + std::strerror(errno) + ".");
}

}  // namespace

std::vector<MistypedValues> FindMistypedValues(Connection& connection) {
  std::vector<MistypedValues> found;
  for (const std::string& name : UserTableNames(connection)) {
    const std::optional<TableModel> table = LoadTableModel(connection, name);
    if (!table) continue;
    for (const FieldModel& field : table->fields) {
      const char* classes = StorageClassesOf(field.type);
      if (!classes) continue;
      const std::string column = QuoteName(field.name);
      Statement count = connection.Prepare("SELECT count(*), min(rowid) FROM " + QuoteName(table->name) + " WHERE " +
                                           column + " IS NOT NULL AND typeof(" + column + ") NOT IN (" + classes + ")");
      if (!count.Step() || count.ColumnInt(0) == 0) continue;
      found.push_back({table->name, field.name, field.type, count.ColumnInt(0), count.ColumnInt(1)});
    }
  }
  return found;
}

RepairOutcome RepairDatabaseFile(const std::string& path, const std::string& connect, const EngineSettings& settings) {
  if (path.empty()) RaiseJetError(err::kBadFileName, "No database file was named.");
  const FileShape shape = ProbeFileShape(path);
  const std::string password = ConnectPassword(connect).value_or(std::string());
  if (shape != FileShape::kPlainSqlite && shape != FileShape::kOpaque) {
    OpenEngineFile(path, FileKind::kDatabase, OpenMode::kReadOnly, CipherKey::None(), settings);  // raises its error
  }
  const CipherKey key = ChooseDatabaseKey(path, password, settings);
  LockFileHold hold(path, ShareMode::kExclusive, true);
  RemoveUnfinishedWork(path);

  RepairOutcome outcome;
  const std::string rebuilt = path + ".repair-" + std::to_string(::getpid());
  {
    Connection reader(path, OpenMode::kReadWrite, key, settings);
    // A truncated file claims more pages than it has; this lets its surviving pages be read.
    reader.Exec("PRAGMA writable_schema = ON");
    try {
      Statement schema = reader.Prepare("SELECT count(*) FROM sqlite_master");
      schema.Step();
    } catch (const EOleException& e) {
      if (!ShowsDamage(e)) throw;
      RaiseJetError(err::kUnrecognisedFile, "The database " + Quoted(path) + " is too damaged to repair: its list of tables cannot be read.");
    }
    if (!reader.HasTable("MSysDbInfo")) {
      RaiseJetError(err::kUnrecognisedFile, "The file " + Quoted(path) + " is a SQLite database of another program, not a database.");
    }
    const CatalogInfo found = ReadInfoLeniently(reader, path);
    RegisterTextCollation(reader, found.sort_order);
    if (PassesIntegrityCheck(reader)) {
      outcome.mistyped = FindMistypedValues(reader);
      return outcome;
    }
    reader.Exec("PRAGMA query_only = 1");

    outcome.was_damaged = true;
    CatalogInfo info = found;
    info.icu_version = IcuCollationVersion();
    Remove(rebuilt);
    CopyReport report;
    try {
      CreateEngineFile(rebuilt, info, key, settings, [&](Connection& created) {
        RegisterTextCollation(created, info.sort_order);
        report = CopyDatabaseContent(reader, created, CopyMode::kSalvage);
      });  // the connection it returns closes here, leaving the rebuilt file alone
    } catch (const EOleException& e) {
      if (ShowsDamage(e)) throw;
      // Nothing is left of the copy; the damaged file was never written.
      const std::string why = e.ErrorCode() == err::kDiskFull ? std::string("the disk is full") : e.Message();
      RaiseJetError(e.ErrorCode(), "The repaired copy of " + Quoted(path) + " could not be written (" + why +
                                       "), so the file was left as it was.");
    }
    outcome.rows_recovered = report.rows;
    outcome.damaged_ranges = report.damaged_ranges;
  }

  outcome.damaged_copy = path + ".damaged";
  Remove(outcome.damaged_copy);
  if (::link(path.c_str(), outcome.damaged_copy.c_str()) != 0) {
    Remove(rebuilt);
    RaiseFileSystem("The damaged file could not be kept as", outcome.damaged_copy);
  }
  // The damaged file's log belongs to it, never to the rebuilt file.
  if (::access((path + "-wal").c_str(), F_OK) == 0) {
    Remove(outcome.damaged_copy + "-wal");
    ::rename((path + "-wal").c_str(), (outcome.damaged_copy + "-wal").c_str());
  }
  Remove(path + "-shm");
  if (::rename(rebuilt.c_str(), path.c_str()) != 0) {
    Remove(rebuilt);
    RaiseFileSystem("The repaired file could not replace", path);
  }
  return outcome;
}

}  // namespace qb::jet
