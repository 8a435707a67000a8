// jet/import/genuine_reader: libmdb gives text already converted to UTF-8 from the file's code
// page; fixed-size numbers, currency and dates are taken from the row's own bytes so that
// nothing passes through a decimal text form (currency stays exact, dates keep their serial).
#include "jet/import/genuine_reader.h"

#include <mdbtools.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <strings.h>
#include <sys/stat.h>

#include "jet/import/import_stream.h"

namespace qb::jet::import {
namespace {

// Text and Memo values are bound through buffers this large; a longer value is refused rather
// than cut.
constexpr std::size_t kBindSize = 16u << 20;

struct HandleCloser {
  void operator()(MdbHandle* handle) const { mdb_close(handle); }
};
struct TableFreer {
  void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};

class Sender {
 public:
  explicit Sender(int fd) : fd_(fd) {}
  bool Send(const FrameWriter& writer, FrameKind kind) { return WriteAll(fd_, writer.Frame(kind)); }
  bool Skipped(const std::string& what, const std::string& why) {
    FrameWriter w;
    w.Text(what);
    w.Text(why);
    return Send(w, FrameKind::kSkipped);
  }
  bool Error(const std::string& message) {
    FrameWriter w;
    w.Text(message);
    return Send(w, FrameKind::kError);
  }

 private:
  int fd_;
};

std::int64_t LittleEndian(const unsigned char* p, int size) {
  std::uint64_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = (value << 8) | p[i];
  // Sign-extend from SIZE bytes.
  if (size < 8 && (p[size - 1] & 0x80)) value |= ~std::uint64_t{0} << (8 * size);
  return static_cast<std::int64_t>(value);
}

bool BoundKind(int type) {
  return type == MDB_TEXT || type == MDB_MEMO || type == MDB_BOOL || type == MDB_REPID || type == MDB_NUMERIC;
}

// The value of COLUMN in the current row. BOUND: its bound text, when BoundKind.
bool ReadValue(MdbHandle* mdb, MdbColumn* column, const char* bound, int bound_length, ImportValue* value,
               std::string* problem) {
  const int type = column->col_type;
  if (type == MDB_BOOL) {
    // A Yes/No is kept in the row's null mask and is never Null.
    value->tag = ValueTag::kInteger;
    value->integer = (bound_length > 0 && bound[0] == '1') ? 1 : 0;
    return true;
  }
  if (column->cur_value_len == 0 && !(type == MDB_TEXT || type == MDB_MEMO)) return true;  // Null
  if (BoundKind(type)) {
    if (column->cur_value_len == 0 && bound_length == 0) return true;  // Null
    if (static_cast<std::size_t>(bound_length) + 1 >= kBindSize) {
      *problem = "a value of '" + std::string(column->name) + "' is longer than the import reads";
      return false;
    }
    value->tag = ValueTag::kText;
    value->bytes.assign(bound, static_cast<std::size_t>(bound_length));
    return true;
  }
  const auto* raw = static_cast<const unsigned char*>(mdb->pg_buf) + column->cur_value_start;
  const int length = column->cur_value_len;
  auto need = [&](int size) {
    if (length >= size && column->cur_value_start + size <= static_cast<int>(mdb->fmt->pg_size)) return true;
    *problem = "a value of '" + std::string(column->name) + "' is damaged";
    return false;
  };
  switch (type) {
    case MDB_BYTE:
      if (!need(1)) return false;
      value->tag = ValueTag::kInteger;
      value->integer = raw[0];
      return true;
    case MDB_INT:
    case MDB_LONGINT: {
      const int size = type == MDB_INT ? 2 : 4;
      if (!need(size)) return false;
      value->tag = ValueTag::kInteger;
      value->integer = LittleEndian(raw, size);
      return true;
    }
    case MDB_MONEY:
      if (!need(8)) return false;
      value->tag = ValueTag::kCurrency;
      value->integer = LittleEndian(raw, 8);
      return true;
    case MDB_FLOAT: {
      if (!need(4)) return false;
      float f;
      std::memcpy(&f, raw, 4);
      value->tag = ValueTag::kDouble;
      value->number = f;
      return true;
    }
    case MDB_DOUBLE:
    case MDB_DATETIME: {
      if (!need(8)) return false;
      double d;
      std::memcpy(&d, raw, 8);
      value->tag = type == MDB_DOUBLE ? ValueTag::kDouble : ValueTag::kDate;
      value->number = d;
      return true;
    }
    case MDB_BINARY:
      value->tag = ValueTag::kBytes;
      value->bytes.assign(reinterpret_cast<const char*>(raw), static_cast<std::size_t>(length));
      return true;
    case MDB_OLE: {
      std::size_t size = 0;
      void* data = mdb_ole_read_full(mdb, column, &size);
      value->tag = ValueTag::kBytes;
      if (data) {
        value->bytes.assign(static_cast<const char*>(data), size);
        std::free(data);
      }
      return true;
    }
    default:
      *problem = "the field '" + std::string(column->name) + "' has a type the import does not read";
      return false;
  }
}

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

  std::vector<std::unique_ptr<char[]>> buffers(count);
  std::vector<int> lengths(count, 0);
  for (unsigned i = 0; i < count; ++i) {
    const auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
    // An OLE value is read through its bound buffer too: the library keeps the value's
    // header there and reads the pages it points to from it.
    if (!BoundKind(column->col_type) && column->col_type != MDB_OLE) continue;
    buffers[i] = std::make_unique<char[]>(kBindSize);
    mdb_bind_column(table.get(), static_cast<int>(i) + 1, buffers[i].get(), &lengths[i]);
  }
  mdb_rewind_table(table.get());
  std::uint32_t rows = 0;
  while (mdb_fetch_row(table.get())) {
    FrameWriter row;
    for (unsigned i = 0; i < count; ++i) {
      auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
      ImportValue value;
      std::string problem;
      if (!ReadValue(mdb, column, buffers[i].get(), lengths[i], &value, &problem)) {
        return out.Error("row " + std::to_string(rows + 1) + " of '" + table->name + "': " + problem + "."), false;
      }
      row.Value(value);
    }
    if (!out.Send(row, FrameKind::kRow)) return false;
    ++rows;
  }
  for (unsigned i = 0; i < table->num_idxs; ++i) {
    const auto* index = static_cast<MdbIndex*>(g_ptr_array_index(table->indices, i));
    if (index->index_type == 2) continue;  // the far side of a relationship, not an index of its own
    FrameWriter w;
    w.Text(table->name);
    w.Text(index->name);
    std::uint8_t flags = 0;
    if (index->index_type == 1) flags |= kIndexPrimary;
    if (index->flags & MDB_IDX_UNIQUE) flags |= kIndexUnique;
    if (index->flags & MDB_IDX_IGNORENULLS) flags |= kIndexIgnoreNulls;
    w.U8(flags);
    w.U32(index->num_keys);
    for (unsigned k = 0; k < index->num_keys && k < MDB_MAX_IDX_COLS; ++k) {
      const int number = index->key_col_num[k];
      std::string name;
      if (number >= 1 && static_cast<unsigned>(number) <= count) {
        name = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, static_cast<unsigned>(number - 1)))->name;
      }
      w.Text(name);
      w.U8(index->key_col_order[k]);
    }
    if (!out.Send(w, FrameKind::kIndex)) return false;
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
  mdb_set_bind_size(mdb.get(), kBindSize);
  if (!mdb_read_catalog(mdb.get(), MDB_ANY)) {
    out.Error("its list of objects could not be read: the file is damaged or encrypted.");
    return 1;
  }
  std::vector<std::string> found;
  for (unsigned i = 0; i < mdb->num_catalog; ++i) {
    auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
    if (entry->object_type == MDB_QUERY) {
      if (tables.empty()) out.Skipped(std::string("query ") + entry->object_name, "the reader gives no SQL for saved queries");
      continue;
    }
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
  if (tables.empty()) out.Skipped("relationships", "the reader gives no relationships");
  FrameWriter done;
  out.Send(done, FrameKind::kDone);
  return 0;
}

}  // namespace qb::jet::import
