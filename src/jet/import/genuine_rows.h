// jet/import/genuine_rows: what the reader process's parts share: the library handles' owners
// and a table whose columns are bound for reading its rows as values.
// Runs in the reader process only.
#pragma once
// The standard headers come first: the library's header includes glib inside extern "C".
#include <memory>
#include <string>
#include <vector>

#include <mdbtools.h>

#include "jet/import/frame_sender.h"
#include "jet/import/import_stream.h"

namespace qb::jet::import {

// The bind size of every table, the catalog and the table definitions: any Text value fits
// (255 characters of at most four bytes each), and so does a page, which the library copies
// through bound buffers (it fails on smaller sizes). The library allocates a buffer of the bind
// size for every text value it converts, every property of every object in the catalog
// included, so a large size costs much time; Memo values are not converted by the library (see
// genuine_memo), and the properties are not imported, so those cut short lose nothing.
constexpr std::size_t kShortBindSize = 4096;
// An OLE value's bound buffer: the library keeps the value's header there and reads the pages
// it points to from it. One per OLE column, and its untouched pages cost no memory.
constexpr std::size_t kOleBindSize = 16u << 20;

struct HandleCloser {
  void operator()(MdbHandle* handle) const { mdb_close(handle); }
};
struct TableFreer {
  void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};

// The rows of an open table, each value read as an ImportValue.
class BoundRows {
 public:
  // Binds the columns of TABLE (read with its columns) of MDB whose values the library converts
  // or follows; MDB's bind size is the short one.
  BoundRows(MdbHandle* mdb, MdbTableDef* table);
  BoundRows(const BoundRows&) = delete;
  BoundRows& operator=(const BoundRows&) = delete;

  // Moves to the next row (the first after construction); false after the last.
  bool Next() { return mdb_fetch_row(table_) != 0; }
  // False with PROBLEM set when a value of the current row lies outside the row (a damaged
  // offset the library took as it found it).
  bool InRow(std::string* problem) const;
  // The value of the column at INDEX in the current row; false with PROBLEM set when it cannot
  // be read.
  bool Read(unsigned index, ImportValue* value, std::string* problem);
  // The index of the column NAME, or -1.
  int Find(const char* name) const;

 private:
  MdbHandle* mdb_;
  MdbTableDef* table_;
  std::vector<std::unique_ptr<char[]>> buffers_;
  std::vector<int> lengths_;
};

}  // namespace qb::jet::import
