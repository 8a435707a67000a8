// jet/odbc/local_copy: a private scratch database file holding copies of a data source's rows,
// so that recordsets over them move, find, count and bookmark as the engine's own recordsets do.
// It lives in a folder of its own in the temporary folder, open to this user only, and goes
// (folder and all) when the connection closes. One per connection, made on first use.
//
// Types: the server's columns become fields of the engine's types as result_reader.h maps them,
// except where the engine has no such type: numeric and decimal with at most 4 decimals and
// 14 digits before the point are Currency (exact); wider ones, bigint and GUIDs are Text holding
// the exact digits. Server names the engine does not take as field names are adjusted
// (characters . ! ` [ ] become _, a repeated name gets a number).
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "com/variant.h"
#include "jet/odbc/result_reader.h"

namespace qb::jet {
class DatabaseFile;
}

namespace qb::jet::odbc {

// A local table standing for one result's columns.
struct CopyTable {
  std::string name;
  std::vector<std::string> fields;  // the local field names, in the result's column order
  std::vector<int> types;           // their DAO types
};

class LocalCopy {
 public:
  LocalCopy();
  ~LocalCopy();  // closes and removes the file
  LocalCopy(const LocalCopy&) = delete;
  LocalCopy& operator=(const LocalCopy&) = delete;

  // The scratch file, made on first use. Raises kObjectClosed after Close.
  const std::shared_ptr<DatabaseFile>& File();
  // A new empty table for COLUMNS.
  CopyTable MakeTable(const std::vector<ResultColumn>& columns);
  // Replaces the rows of TABLE with every row READER has left (as one unit: a failure keeps the
  // rows it had).
  void Fill(const CopyTable& table, ResultReader& reader);
  // Brings TABLE's rows back to the rows READER has left, matched by the fields KEYS (indexes):
  // a row the server still has takes its values, one it no longer has goes; the rows (rowids)
  // in KEEP stay as they are, and server rows the copy lacks are not added (Requery adds them).
  // Rowids of the rows kept do not change, so recordsets over TABLE keep their places.
  void Reconcile(const CopyTable& table, ResultReader& reader, const std::vector<std::size_t>& keys,
                 const std::set<std::int64_t>& keep);
  // The same for the rows ONLY (rowids) alone, against SERVER_ROWS (the server's rows with
  // those keys, as read).
  void Reconcile(const CopyTable& table, std::vector<std::vector<Variant>> server_rows,
                 const std::vector<std::size_t>& keys, const std::set<std::int64_t>& keep,
                 const std::set<std::int64_t>& only);
  // The values of TABLE's rows ROWIDS (those it still has), in rowid order.
  std::vector<std::vector<Variant>> RowsOf(const CopyTable& table, const std::set<std::int64_t>& rowids);
  void Drop(const CopyTable& table);
  // Closes the file (recordsets over it are closed from now on) and removes it.
  void Close();
  bool IsOpen() const { return !closed_; }

 private:
  using ServerRows = std::map<std::string, std::vector<Variant>>;  // by KeyText
  void Match(const CopyTable& table, const ServerRows& server, const std::vector<std::size_t>& keys,
             const std::set<std::int64_t>& keep, const std::set<std::int64_t>* only);

  std::string folder_;
  std::shared_ptr<DatabaseFile> file_;
  int tables_made_ = 0;
  bool closed_ = false;
};

// A server's value as a local field of TYPE holds it (LocalFieldType's conversion included).
Variant ToLocalValue(const Variant& value, int type);
// The local field type of a server column.
int LocalFieldType(const ResultColumn& column);

}  // namespace qb::jet::odbc
