// jet/storage/copy_content: schema-ordered copying between two connections: tables first, then their
// rows (values moved as SQLite values, rowids kept), then indexes, triggers and views.
#include "jet/storage/copy_content.h"

#include <sqlcipher/sqlite3.h>

#include <limits>
#include <string>
#include <vector>

#include "com/ole_exception.h"
#include "jet/base/errors.h"
#include "jet/sqlite/connection.h"

namespace qb::jet {
namespace {

struct SchemaObject {
  std::string type;
  std::string name;
  std::string sql;
};

std::string Quote(const std::string& name) {
  std::string quoted = "\"";
  for (char c : name) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  return quoted + "\"";
}

// Compiles SQL on CONNECTION into *STATEMENT; false when SQLite refuses it (a salvage goes on
// without what it cannot read).
bool TryPrepare(Connection& connection, const std::string& sql, Statement* statement) {
  try {
    *statement = connection.Prepare(sql);
    return true;
  } catch (const EOleException&) {
    return false;
  }
}

std::vector<SchemaObject> ReadSchema(Connection& source) {
  std::vector<SchemaObject> objects;
  Statement rows = source.Prepare(
      "SELECT type, name, sql FROM sqlite_master WHERE sql IS NOT NULL AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' "
      "ORDER BY CASE type WHEN 'table' THEN 0 WHEN 'index' THEN 1 WHEN 'view' THEN 2 ELSE 3 END, rowid");
  while (rows.Step()) objects.push_back({rows.ColumnText(0), rows.ColumnText(1), rows.ColumnText(2)});
  return objects;
}

// Copies the rows of one table; the statement reads "rowid, *" from a lower rowid bound on.
class TableCopier {
 public:
  TableCopier(Connection& source, Connection& destination, const std::string& table, bool keep_existing,
              bool salvage)
      : source_(source), destination_(destination), table_(table), keep_existing_(keep_existing), salvage_(salvage) {}

  // Copies every row with rowid >= FROM. Returns SQLITE_DONE when the table was read to its
  // end, or the code of the read that failed (rows before it are copied). *LAST holds the
  // rowid of the last row read, *ANY whether one was.
  int CopyFrom(std::int64_t from, std::int64_t* last, bool* any, std::int64_t* copied) {
    const std::string sql = "SELECT rowid, * FROM " + Quote(table_) + " NOT INDEXED WHERE rowid >= ?1 ORDER BY rowid";
    Statement read;
    if (!salvage_) {
      read = source_.Prepare(sql);
    } else if (!TryPrepare(source_, sql, &read)) {
      return SQLITE_CORRUPT;
    }
    read.Bind(1, from);
    *any = false;
    // Stepped through the handle: a salvage needs the failure's code, not its raised error.
    for (;;) {
      int rc = sqlite3_step(read.Handle());
      if (rc != SQLITE_ROW) return rc;
      const int columns = sqlite3_column_count(read.Handle());
      if (!insert_.IsPrepared()) Prepare(read.Handle(), columns);
      for (int i = first_; i < columns; ++i) {
        sqlite3_bind_value(insert_.Handle(), i - first_ + 1, sqlite3_column_value(read.Handle(), i));
      }
      int written = sqlite3_step(insert_.Handle());
      insert_.Reset();
      *last = read.ColumnInt(0);
      *any = true;
      if (written == SQLITE_DONE) {
        ++*copied;
      } else if (!salvage_ || (written & 0xff) != SQLITE_CONSTRAINT) {
        destination_.Raise(written);
      }  // a salvaged row that breaks a rule of its table (a damaged duplicate) is left out
    }
  }

  // Does reading the first row after AFTER work? *NEXT gets its rowid, *FOUND whether there is one.
  // The row is read whole from the table itself: an index holding its rowid (every primary key
  // index does) would answer without touching the damaged pages, so the search would never end.
  bool ProbeAfter(std::int64_t after, std::int64_t* next, bool* found) {
    Statement probe;
    if (!TryPrepare(source_, "SELECT rowid, * FROM " + Quote(table_) + " NOT INDEXED WHERE rowid > ?1 ORDER BY rowid LIMIT 1",
                    &probe)) {
      return false;
    }
    probe.Bind(1, after);
    int rc = sqlite3_step(probe.Handle());
    if (rc == SQLITE_ROW) {
      *next = probe.ColumnInt(0);
      *found = true;
      return true;
    }
    *found = false;
    return rc == SQLITE_DONE;
  }

 private:
  // The insert of one row. A table whose existing rows win (MSysDbInfo) takes no rowids, so
  // that only names it does not hold yet are added.
  void Prepare(sqlite3_stmt* read, int columns) {
    first_ = keep_existing_ ? 1 : 0;
    std::string names, marks;
    for (int i = first_; i < columns; ++i) {
      if (!names.empty()) {
        names += ", ";
        marks += ", ";
      }
      names += i == 0 ? std::string("rowid") : Quote(sqlite3_column_name(read, i));
      marks += "?" + std::to_string(i - first_ + 1);
    }
    std::string verb = keep_existing_ ? "INSERT OR IGNORE" : "INSERT";
    insert_ = destination_.Prepare(verb + " INTO " + Quote(table_) + " (" + names + ") VALUES (" + marks + ")");
  }

  Connection& source_;
  Connection& destination_;
  const std::string table_;
  const bool keep_existing_;
  const bool salvage_;
  Statement insert_;  // prepared at the first row
  int first_ = 0;  // the first column read that is written
};

void CopyStrict(TableCopier& copier, CopyReport& report, Connection& source) {
  std::int64_t last = 0;
  bool any = false;
  int rc = copier.CopyFrom(std::numeric_limits<std::int64_t>::min(), &last, &any, &report.rows);
  if (rc != SQLITE_DONE) source.Raise(rc);
}

// Reads past damaged ranges: after a failed read, finds by bisection the smallest bound from
// which reading works again (the first row after the damaged pages) and goes on from there.
void CopySalvaging(TableCopier& copier, CopyReport& report) {
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  std::int64_t from = std::numeric_limits<std::int64_t>::min();
  for (int round = 0; round < 100000; ++round) {
    std::int64_t last = 0;
    bool any = false;
    int rc = copier.CopyFrom(from, &last, &any, &report.rows);
    if (rc == SQLITE_DONE) return;
    ++report.damaged_ranges;
    std::int64_t failing = any ? last : (from == std::numeric_limits<std::int64_t>::min() ? from : from - 1);
    std::int64_t next = 0;
    bool found = false;
    if (!copier.ProbeAfter(kMax - 1, &next, &found)) return;  // the table's tree is lost as a whole
    std::int64_t low = failing, high = kMax - 1;  // reading after LOW fails, after HIGH works
    // The distance between the bounds may exceed the signed range: measure it unsigned.
    auto distance = [](std::int64_t a, std::int64_t b) { return static_cast<std::uint64_t>(b) - static_cast<std::uint64_t>(a); };
    while (distance(low, high) > 1) {
      std::int64_t middle = static_cast<std::int64_t>(static_cast<std::uint64_t>(low) + distance(low, high) / 2);
      if (copier.ProbeAfter(middle, &next, &found)) {
        high = middle;
      } else {
        low = middle;
      }
    }
    // Reading works from HIGH on; a row with rowid HIGH itself lies beyond the damage too.
    if (!copier.ProbeAfter(high, &next, &found) || !found) {
      copier.CopyFrom(high, &last, &any, &report.rows);  // at most the row HIGH: reads fine or not at all
      return;
    }
    from = high;
  }
}

}  // namespace

CopyReport CopyDatabaseContent(Connection& source, Connection& destination, CopyMode mode) {
  CopyReport report;
  const std::vector<SchemaObject> schema = ReadSchema(source);
  for (const SchemaObject& object : schema) {
    if (object.type != "table") continue;
    const bool catalog_info = object.name == "MSysDbInfo";
    if (!catalog_info) destination.Exec(object.sql);
    TableCopier copier(source, destination, object.name, catalog_info, mode == CopyMode::kSalvage);
    if (mode == CopyMode::kStrict) {
      CopyStrict(copier, report, source);
    } else {
      CopySalvaging(copier, report);
    }
    ++report.tables;
  }
  for (const SchemaObject& object : schema) {
    if (object.type == "table") continue;
    if (mode == CopyMode::kStrict) {
      destination.Exec(object.sql);
      continue;
    }
    int rc = sqlite3_exec(destination.Handle(), object.sql.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) ++report.objects_dropped;  // e.g. a unique index the salvaged rows break
  }
  return report;
}

}  // namespace qb::jet
