// jet/sqlite/column_value: SQLite storage classes to Variants. A value that does not suit the column's
// type comes back as stored instead of raising: SQLite may hold anything an expression yields.
#include "jet/sqlite/column_value.h"

#include <sqlcipher/sqlite3.h>

#include <cmath>
#include <limits>

#include "jet/base/jet_types.h"

namespace qb::jet {
namespace {

Variant Integral(sqlite3_int64 value) {
  if (value >= std::numeric_limits<int>::min() && value <= std::numeric_limits<int>::max()) {
    return Variant(static_cast<int>(value));
  }
  return Variant(static_cast<double>(value));
}

std::string Text(sqlite3_stmt* stmt, int column) {
  const unsigned char* text = sqlite3_column_text(stmt, column);
  const int size = sqlite3_column_bytes(stmt, column);
  return text ? std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size)) : std::string();
}

std::vector<std::uint8_t> Bytes(sqlite3_stmt* stmt, int column) {
  const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt, column));
  const int size = sqlite3_column_bytes(stmt, column);
  return data ? std::vector<std::uint8_t>(data, data + size) : std::vector<std::uint8_t>();
}

bool IsNumber(int storage) { return storage == SQLITE_INTEGER || storage == SQLITE_FLOAT; }

// The number stored, as an integer when it is a whole one within INT64 range.
bool WholeNumber(sqlite3_stmt* stmt, int column, int storage, sqlite3_int64& out) {
  if (storage == SQLITE_INTEGER) {
    out = sqlite3_column_int64(stmt, column);
    return true;
  }
  const double value = sqlite3_column_double(stmt, column);
  if (value != std::floor(value) || std::fabs(value) >= 9.2e18) return false;
  out = static_cast<sqlite3_int64>(value);
  return true;
}

}  // namespace

Variant StoredColumnValue(sqlite3_stmt* stmt, int column) {
  switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_NULL: return Variant::Null();
    case SQLITE_INTEGER: return Integral(sqlite3_column_int64(stmt, column));
    case SQLITE_FLOAT: return Variant(sqlite3_column_double(stmt, column));
    case SQLITE_BLOB: return Variant::FromBytes(Bytes(stmt, column));
    default: return Variant(Text(stmt, column));
  }
}

Variant ColumnValue(sqlite3_stmt* stmt, int column, int dao_type) {
  const int storage = sqlite3_column_type(stmt, column);
  if (storage == SQLITE_NULL) return Variant::Null();
  namespace t = sql::dao_type;
  sqlite3_int64 whole = 0;
  switch (dao_type) {
    case t::kBoolean:
      if (IsNumber(storage)) return Variant(sqlite3_column_double(stmt, column) != 0);
      break;
    case t::kByte:
      if (IsNumber(storage) && WholeNumber(stmt, column, storage, whole) && whole >= 0 && whole <= 255) {
        return Variant(static_cast<std::uint8_t>(whole));
      }
      break;
    case t::kInteger:
      if (IsNumber(storage) && WholeNumber(stmt, column, storage, whole) && whole >= -32768 && whole <= 32767) {
        return Variant(static_cast<std::int16_t>(whole));
      }
      break;
    case t::kLong:
      if (IsNumber(storage) && WholeNumber(stmt, column, storage, whole) &&
          whole >= std::numeric_limits<int>::min() && whole <= std::numeric_limits<int>::max()) {
        return Variant(static_cast<int>(whole));
      }
      break;
    case t::kCurrency:
      // INTEGER is the stored form, ten-thousandths; REAL an amount (a file from before that
      // form, a union part of another type).
      if (storage == SQLITE_INTEGER) {
        return Variant(Currency::FromScaled(sqlite3_column_int64(stmt, column)));
      } else if (storage == SQLITE_FLOAT) {
        const double value = sqlite3_column_double(stmt, column);
        if (std::isfinite(value) && std::fabs(value) < 9.2e14) return Variant(Currency::FromDouble(value));
      }
      break;
    case t::kSingle:
      if (IsNumber(storage)) return Variant(static_cast<float>(sqlite3_column_double(stmt, column)));
      break;
    case t::kDouble:
      if (IsNumber(storage)) return Variant(sqlite3_column_double(stmt, column));
      break;
    case t::kDate:
      if (IsNumber(storage)) return Variant::FromDate(sqlite3_column_double(stmt, column));
      break;
    case t::kText: case t::kMemo: case t::kGuid:
      if (storage == SQLITE_TEXT) return Variant(Text(stmt, column));
      break;
    case t::kBinary: case t::kLongBinary:
      // Text written into a binary field keeps its bytes.
      if (storage == SQLITE_BLOB || storage == SQLITE_TEXT) return Variant::FromBytes(Bytes(stmt, column));
      break;
    default:
      break;
  }
  Variant stored = StoredColumnValue(stmt, column);
  if ((dao_type == t::kText || dao_type == t::kMemo) && storage != SQLITE_BLOB) {
    // A number computed into a text column (Str, & on numbers) reads as its text.
    try {
      return Variant(stored.ToString());
    } catch (const EVariantError&) {
      return stored;
    }
  }
  return stored;
}

}  // namespace qb::jet
