// jet/import/genuine_reader: the walk through a genuine file's catalog: its user tables with their
// rows and indexes, then (for a whole-file import) its relationships and saved queries.
#include "jet/import/genuine_reader.h"

#include <mdbtools.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <strings.h>
#include <sys/stat.h>

#include "jet/import/genuine_definitions.h"
#include "jet/import/genuine_rows.h"
#include "jet/import/import_stream.h"

namespace qb::jet::import {
namespace {

bool Wanted(const std::vector<std::string>& tables, const char* name) {
  if (tables.empty()) return true;
  return std::any_of(tables.begin(), tables.end(),
                     [&](const std::string& t) { return strcasecmp(t.c_str(), name) == 0; });
}

// Sends one table; false ends the reading (the reason was sent).
bool SendTable(MdbHandle* mdb, MdbCatalogEntry* entry, Sender& out) {
  std::unique_ptr<MdbTableDef, TableFreer> table(mdb_read_table(entry));
  if (!table) return out.Error(std::string("the table '") + entry->object_name + "' could not be read."), false;
  if (!mdb_read_columns(table.get())) return out.Error(std::string("the fields of '") + entry->object_name + "' could not be read."), false;
  mdb_read_indices(table.get());
  const unsigned count = table->num_cols;
  for (unsigned i = 0; i < count; ++i) {
    const auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
    if (column->col_type == MDB_COMPLEX) {
      out.Skipped(std::string("table ") + table->name, std::string("its field '") + column->name +
                                                           "' holds several values per row (an attachment or "
                                                           "multi-valued field), which this engine cannot store");
      return true;
    }
  }
  FrameWriter head;
  head.Text(table->name);
  head.U32(count);
  for (unsigned i = 0; i < count; ++i) {
    const auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
    head.Text(column->name);
    head.U8(static_cast<std::uint8_t>(column->col_type));
    // Text sizes are in bytes; from Jet 4 on a character takes two.
    int size = column->col_size;
    if (column->col_type == MDB_TEXT && !IS_JET3(mdb)) size /= 2;
    head.U32(static_cast<std::uint32_t>(size));
    head.U8(column->is_long_auto ? 1 : 0);
    head.U8(static_cast<std::uint8_t>(column->col_prec));
    head.U8(static_cast<std::uint8_t>(column->col_scale));
  }
  if (!out.Send(head, FrameKind::kTable)) return false;
  if (std::getenv("QB_IMPORT_READER_ABORT")) std::abort();  // tests: a reader that crashes

  // The indexes go first: the table is made whole before its rows go in.
  for (unsigned i = 0; i < table->num_idxs; ++i) {
    const auto* index = static_cast<MdbIndex*>(g_ptr_array_index(table->indices, i));
    if (index->index_type == 2) continue;  // the far side of a relationship, not an index of its own
    // A definition whose key names no field of the table (a damaged file) is listed, not sent:
    // an index or key without a field of its own would be made on the wrong fields or silently
    // dropped.
    const unsigned keys = std::min<unsigned>(index->num_keys, MDB_MAX_IDX_COLS);
    const bool named = keys > 0 && std::all_of(index->key_col_num, index->key_col_num + keys,
                                               [&](int number) { return number >= 1 && static_cast<unsigned>(number) <= count; });
    if (!named) {
      if (!out.Skipped(std::string("index ") + index->name + " of table " + table->name,
                       "the file is damaged: its key names no field of the table")) {
        return false;
      }
      continue;
    }
    FrameWriter w;
    w.Text(table->name);
    w.Text(index->name);
    std::uint8_t flags = 0;
    if (index->index_type == 1) flags |= kIndexPrimary;
    if (index->flags & MDB_IDX_UNIQUE) flags |= kIndexUnique;
    if (index->flags & MDB_IDX_IGNORENULLS) flags |= kIndexIgnoreNulls;
    w.U8(flags);
    w.U32(keys);
    for (unsigned k = 0; k < keys; ++k) {
      const auto number = static_cast<unsigned>(index->key_col_num[k]);
      w.Text(static_cast<MdbColumn*>(g_ptr_array_index(table->columns, number - 1))->name);
      w.U8(index->key_col_order[k]);
    }
    if (!out.Send(w, FrameKind::kIndex)) return false;
  }
  BoundRows bound(mdb, table.get());
  std::uint32_t rows = 0;
  while (bound.Next()) {
    std::string damage;
    if (!bound.InRow(&damage)) {
      return out.Error("row " + std::to_string(rows + 1) + " of '" + table->name + "': " + damage + "."), false;
    }
    FrameWriter row;
    for (unsigned i = 0; i < count; ++i) {
      ImportValue value;
      std::string problem;
      if (!bound.Read(i, &value, &problem)) {
        return out.Error("row " + std::to_string(rows + 1) + " of '" + table->name + "': " + problem + "."), false;
      }
      row.Value(value);
    }
    if (!out.Send(row, FrameKind::kRow)) return false;
    ++rows;
  }
  if (rows != table->num_rows) {
    // A table whose pages end early (a truncated or damaged file) reads as fewer rows.
    return out.Error("the table '" + std::string(table->name) + "' holds " + std::to_string(table->num_rows) +
                     " rows, but only " + std::to_string(rows) + " could be read: the file is damaged."),
           false;
  }
  FrameWriter end;
  end.U32(rows);
  return out.Send(end, FrameKind::kTableEnd);
}

// Empty when every row of the file's list of objects reads; else why not. The library passes
// over a row it cannot take apart as if it were not there, and the object it lists (a table
// among them) would be missing from the import unnoticed; the count the list keeps tells.
std::string CatalogShortfall(MdbHandle* mdb) {
  MdbCatalogEntry* entry = mdb_get_catalogentry_by_name(mdb, "MSysObjects");
  if (!entry) return "its list of objects does not list itself: the file is damaged.";
  std::unique_ptr<MdbTableDef, TableFreer> table(mdb_read_table(entry));
  if (!table || !mdb_read_columns(table.get())) return "its list of objects could not be read: the file is damaged.";
  mdb_rewind_table(table.get());
  unsigned rows = 0;
  while (mdb_fetch_row(table.get())) ++rows;
  if (rows == table->num_rows) return {};
  return "its list of objects holds " + std::to_string(table->num_rows) + " entries, but only " + std::to_string(rows) +
         " could be read: the file is damaged.";
}

}  // namespace

int ReadGenuineFile(const std::string& source, const std::vector<std::string>& tables, int fd) {
  Sender out(fd);
  std::unique_ptr<MdbHandle, HandleCloser> mdb(mdb_open(source.c_str(), MDB_NOFLAGS));
  if (!mdb) {
    out.Error("it is not a database file this import can read.");
    return 1;
  }
  struct stat info {};
  if (::stat(source.c_str(), &info) != 0 || mdb->fmt->pg_size <= 0 || info.st_size % mdb->fmt->pg_size != 0) {
    out.Error("it ends inside a page: it was cut short or is damaged.");
    return 1;
  }
  mdb_set_bind_size(mdb.get(), kShortBindSize);
  // An import of named tables reads only the tables' entries (the relationships' system table
  // among them): the properties of every other object cost as much as a table's rows.
  if (!mdb_read_catalog(mdb.get(), tables.empty() ? MDB_ANY : MDB_TABLE)) {
    out.Error("its list of objects could not be read: the file is damaged or encrypted.");
    return 1;
  }
  if (const std::string shortfall = CatalogShortfall(mdb.get()); !shortfall.empty()) {
    out.Error(shortfall);
    return 1;
  }
  std::vector<std::string> found;
  for (unsigned i = 0; i < mdb->num_catalog; ++i) {
    auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
    if (entry->object_type == MDB_LINKED_TABLE) {
      if (Wanted(tables, entry->object_name)) out.Skipped(std::string("table ") + entry->object_name, "a linked table (its data is in another file)");
      continue;
    }
    if (entry->object_type != MDB_TABLE || !mdb_is_user_table(entry)) continue;
    if (!Wanted(tables, entry->object_name)) continue;
    found.emplace_back(entry->object_name);
    if (!SendTable(mdb.get(), entry, out)) return 1;
  }
  for (const std::string& wanted : tables) {
    if (std::none_of(found.begin(), found.end(), [&](const std::string& f) { return strcasecmp(f.c_str(), wanted.c_str()) == 0; })) {
      out.Error("there is no table '" + wanted + "' in it.");
      return 1;
    }
  }
  if (!SendRelationships(mdb.get(), found, out)) return 1;
  if (tables.empty() && !SendQueries(mdb.get(), out)) return 1;
  FrameWriter done;
  out.Send(done, FrameKind::kDone);
  return 0;
}

}  // namespace qb::jet::import
