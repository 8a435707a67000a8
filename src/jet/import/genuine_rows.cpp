// jet/import/genuine_rows: libmdb gives Text already converted to UTF-8 from the file's code
// page, Memo is read from its stored bytes (genuine_memo); fixed-size numbers, currency and dates are taken from the row's own bytes so that
// nothing passes through a decimal text form (currency stays exact, dates keep their serial).
#include "jet/import/genuine_rows.h"

#include "jet/import/genuine_memo.h"

#include <strings.h>

#include <cstdlib>
#include <cstring>

namespace qb::jet::import {
namespace {

std::int64_t LittleEndian(const unsigned char* p, int size) {
  std::uint64_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = (value << 8) | p[i];
  // Sign-extend from SIZE bytes.
  if (size < 8 && (p[size - 1] & 0x80)) value |= ~std::uint64_t{0} << (8 * size);
  return static_cast<std::int64_t>(value);
}

bool BoundKind(int type) {
  return type == MDB_TEXT || type == MDB_BOOL || type == MDB_REPID || type == MDB_NUMERIC;
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
  if (type == MDB_MEMO) {
    if (column->cur_value_len == 0) return true;  // Null
    value->tag = ValueTag::kText;
    return ReadMemoText(mdb, column, &value->bytes, problem);
  }
  if (column->cur_value_len == 0 && type != MDB_TEXT) return true;  // Null
  if (BoundKind(type)) {
    if (column->cur_value_len == 0 && bound_length == 0) return true;  // Null
    if (static_cast<std::size_t>(bound_length) + 1 >= mdb->bind_size) {
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
    if (size >= 0 && length >= size && column->cur_value_start >= 0 &&
        column->cur_value_start + size <= static_cast<int>(mdb->fmt->pg_size)) {
      return true;
    }
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
      // The row's offsets come from the file: a damaged one must not copy from past the page.
      if (!need(length)) return false;
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

}  // namespace

BoundRows::BoundRows(MdbHandle* mdb, MdbTableDef* table)
    : mdb_(mdb), table_(table), buffers_(table->num_cols), lengths_(table->num_cols, 0) {
  for (unsigned i = 0; i < table->num_cols; ++i) {
    const auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
    // A text buffer takes what the library writes, which is at most the bind size.
    const bool ole = column->col_type == MDB_OLE;
    if (!BoundKind(column->col_type) && !ole) continue;
    // Not zeroed: the library writes before anything is read.
    buffers_[i] = std::make_unique_for_overwrite<char[]>(ole ? kOleBindSize : mdb->bind_size);
    mdb_bind_column(table, static_cast<int>(i) + 1, buffers_[i].get(), &lengths_[i]);
  }
  mdb_rewind_table(table);
}

bool BoundRows::InRow(std::string* problem) const {
  // The row just read is the one before the table's current; its page is in the handle's buffer.
  int start = 0;
  std::size_t length = 0;
  if (table_->cur_row == 0 || mdb_find_row(mdb_, static_cast<int>(table_->cur_row) - 1, &start, &length) != 0) {
    return true;  // not a row of a page (the library read it some other way): nothing to compare with
  }
  // Values follow the row's count of fields; the library takes their offsets from the row as
  // they are, so one that points before them, past the row's end or backwards is damage.
  const long first = static_cast<long>(start) + (IS_JET3(mdb_) ? 1 : 2);
  const long end = static_cast<long>(start) + static_cast<long>(length);
  for (unsigned i = 0; i < table_->num_cols; ++i) {
    const auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table_->columns, i));
    // A Yes/No is kept in the null mask, not among the values.
    if (column->col_type == MDB_BOOL || column->cur_value_len == 0) continue;
    const long at = column->cur_value_start;
    const long size = column->cur_value_len;
    if (size < 0 || at < first || at + size > end) {
      *problem = "a value of '" + std::string(column->name) + "' lies outside its row: the file is damaged";
      return false;
    }
  }
  return true;
}

bool BoundRows::Read(unsigned index, ImportValue* value, std::string* problem) {
  auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table_->columns, index));
  return ReadValue(mdb_, column, buffers_[index].get(), lengths_[index], value, problem);
}

int BoundRows::Find(const char* name) const {
  for (unsigned i = 0; i < table_->num_cols; ++i) {
    const auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table_->columns, i));
    if (strcasecmp(column->name, name) == 0) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace qb::jet::import
