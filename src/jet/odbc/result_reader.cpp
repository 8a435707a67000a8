// jet/odbc/result_reader: running a statement and reading its rows through SQLGetData.
#include "jet/odbc/result_reader.h"

#include <sqlext.h>

#include <algorithm>
#include <cstdint>
#include <limits>

#include "core/currency.h"
#include "core/date_serial.h"
#include "core/format_settings.h"
#include "jet/base/errors.h"
#include "jet/odbc/data_source.h"
#include "jet/odbc/odbc_errors.h"
#include "jet/odbc/wide_text.h"

namespace qb::jet::odbc {
namespace {

int DaoTypeOf(SQLSMALLINT sql_type, SQLULEN size) {
  switch (sql_type) {
    case SQL_BIT: return 1;
    case SQL_TINYINT:
    case SQL_SMALLINT: return 3;
    case SQL_INTEGER: return 4;
    case SQL_BIGINT: return 16;
    case SQL_REAL: return 6;
    case SQL_FLOAT:
    case SQL_DOUBLE: return 7;
    case SQL_NUMERIC:
    case SQL_DECIMAL: return 20;
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
    case SQL_TYPE_TIMESTAMP:
    case SQL_DATE:
    case SQL_TIME:
    case SQL_TIMESTAMP: return 8;
    case SQL_BINARY:
    case SQL_VARBINARY: return size > 0 && size <= 255 ? 9 : 11;
    case SQL_LONGVARBINARY: return 11;
    case SQL_GUID: return 15;
    case SQL_LONGVARCHAR:
    case SQL_WLONGVARCHAR: return 12;
    default: return size > 255 || size == 0 ? 12 : 10;
  }
}

// UTF-8 TEXT as UTF-16 code units, 0-terminated (bytes that are not UTF-8 become U+FFFD).
std::vector<SQLWCHAR> Utf16Of(const std::string& text) {
  std::vector<SQLWCHAR> units;
  Utf16Into(text, units);
  units.push_back(0);
  return units;
}

}  // namespace

void ResultReader::BindParameters(const std::vector<Variant>& parameters, const std::vector<int>& types) {
  SQLSMALLINT wanted = 0;
  if (Succeeded(SQLNumParams(statement_, &wanted)) && wanted != static_cast<SQLSMALLINT>(parameters.size())) {
    RaiseJetError(jet::err::kInvalidArgument, "The statement has " + std::to_string(wanted) + " parameters, but " +
                                                  std::to_string(parameters.size()) + " values were given.");
  }
  bound_.resize(parameters.size());
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    const Variant& value = parameters[i];
    BoundValue& b = bound_[i];
    SQLSMALLINT c_type = SQL_C_WCHAR, sql_type = SQL_WVARCHAR;
    SQLPOINTER data = nullptr;
    SQLLEN length = 0;
    SQLULEN size = 0;
    SQLSMALLINT digits = 0;
    switch (value.Type()) {
      case VarType::Empty:
      case VarType::Null:
        b.indicator = SQL_NULL_DATA;
        c_type = SQL_C_CHAR;
        sql_type = SQL_VARCHAR;
        size = 1;
        break;
      case VarType::Boolean:
      case VarType::Byte:
      case VarType::Int16:
      case VarType::Int32:
        b.integer = value.Type() == VarType::Boolean ? (value.ToBool() ? 1 : 0) : value.ToInt32();
        c_type = SQL_C_SBIGINT;
        sql_type = value.Type() == VarType::Boolean ? SQL_BIT : SQL_INTEGER;
        data = &b.integer;
        break;
      case VarType::Single:
      case VarType::Double:
        b.real = value.ToDouble();
        c_type = SQL_C_DOUBLE;
        sql_type = SQL_DOUBLE;
        data = &b.real;
        break;
      case VarType::Date: {
        const DateTimeParts parts = DecodeDateTime(value.ToDate());
        b.timestamp = {static_cast<SQLSMALLINT>(parts.year), static_cast<SQLUSMALLINT>(parts.month),
                       static_cast<SQLUSMALLINT>(parts.day), static_cast<SQLUSMALLINT>(parts.hour),
                       static_cast<SQLUSMALLINT>(parts.minute), static_cast<SQLUSMALLINT>(parts.second),
                       static_cast<SQLUINTEGER>(parts.millisecond) * 1000000u};
        c_type = SQL_C_TYPE_TIMESTAMP;
        sql_type = SQL_TYPE_TIMESTAMP;
        size = 23;
        digits = 3;
        data = &b.timestamp;
        break;
      }
      case VarType::ByteArray:
        b.bytes = value.Bytes();
        c_type = SQL_C_BINARY;
        sql_type = SQL_VARBINARY;
        b.indicator = static_cast<SQLLEN>(b.bytes.size());
        length = b.indicator;
        size = std::max<SQLULEN>(1, b.bytes.size());
        data = b.bytes.data();
        break;
      case VarType::Currency:
        // Exact: its digits, sent as a number.
        b.text = Utf16Of(value.ToCurrency().ToText(FormatSettings{}));
        b.indicator = SQL_NTS;
        sql_type = SQL_DECIMAL;
        size = 19;
        digits = 4;
        length = static_cast<SQLLEN>(b.text.size() * sizeof(SQLWCHAR));
        data = b.text.data();
        break;
      default:
        b.text = Utf16Of(value.ToString());
        b.indicator = SQL_NTS;
        length = static_cast<SQLLEN>(b.text.size() * sizeof(SQLWCHAR));
        size = std::max<SQLULEN>(1, b.text.size() - 1);
        data = b.text.data();
        break;
    }
    const int wanted_type = i < types.size() ? types[i] : 0;
    if (wanted_type != 0 && c_type == SQL_C_WCHAR && value.Type() == VarType::String) {
      // Text for a typed column: the driver converts it, so "12.50" meets a numeric as a number.
      sql_type = static_cast<SQLSMALLINT>(wanted_type);
      if (sql_type == SQL_NUMERIC || sql_type == SQL_DECIMAL) {
        size = 38;
        const std::string digits_text = value.ToString();
        const auto point = digits_text.find('.');
        digits = point == std::string::npos ? 0 : static_cast<SQLSMALLINT>(digits_text.size() - point - 1);
      }
    }
    if (!Succeeded(SQLBindParameter(statement_, static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT, c_type, sql_type, size,
                                    digits, data, length, &b.indicator))) {
      RaiseOdbcError(err::kCallFailed, "Binding parameter " + std::to_string(i + 1) + " failed", SQL_HANDLE_STMT, statement_,
                     source_.Secrets());
    }
  }
}

ResultReader::ResultReader(DataSource& source, const std::string& sql, int query_timeout,
                           const std::vector<Variant>& parameters, const std::vector<int>& parameter_types,
                           std::int64_t max_rows, bool scrollable)
    : source_(source), max_rows_(max_rows > 0 ? max_rows : 0), scrollable_(scrollable) {
  SQLHSTMT statement = SQL_NULL_HANDLE;
  if (!Succeeded(SQLAllocHandle(SQL_HANDLE_STMT, source.Handle(), &statement))) {
    RaiseOdbcError(err::kCallFailed, "The data source could not make a statement", SQL_HANDLE_DBC, source.Handle(),
                   source.Secrets());
  }
  statement_ = statement;
  if (query_timeout > 0) {
    SQLSetStmtAttr(statement, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(query_timeout)), 0);
  }
  if (max_rows_ > 0) {
    // A request only: a driver that ignores it still stops being read at MAX_ROWS (Next).
    SQLSetStmtAttr(statement, SQL_ATTR_MAX_ROWS, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(max_rows_)), 0);
  }
  if (scrollable && (!Succeeded(SQLSetStmtAttr(statement, SQL_ATTR_CURSOR_TYPE,
                                               reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_CURSOR_STATIC)), 0)) ||
                     !Succeeded(SQLSetStmtAttr(statement, SQL_ATTR_CONCURRENCY,
                                               reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_CONCUR_READ_ONLY)), 0)))) {
    std::vector<Diagnostic> diagnostics = ReadDiagnostics(SQL_HANDLE_STMT, statement);
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
    statement_ = nullptr;
    RaiseJetError(err::kCallFailed, DescribeFailure("The data source has no scrollable cursor", diagnostics, source.Secrets()));
  }
  std::string text = sql;
  SQLRETURN code = SQL_SUCCESS;
  if (parameters.empty()) {
    code = SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(text.data()), static_cast<SQLINTEGER>(text.size()));
  } else {
    code = SQLPrepare(statement, reinterpret_cast<SQLCHAR*>(text.data()), static_cast<SQLINTEGER>(text.size()));
    if (Succeeded(code)) {
      try {
        BindParameters(parameters, parameter_types);
      } catch (...) {
        SQLFreeHandle(SQL_HANDLE_STMT, statement);
        statement_ = nullptr;
        throw;
      }
      code = SQLExecute(statement);
    }
  }
  if (code == SQL_NO_DATA) {
    done_ = true;
    return;
  }
  if (!Succeeded(code)) {
    // The statement handle goes with the object, which the caller never gets.
    std::vector<Diagnostic> diagnostics = ReadDiagnostics(SQL_HANDLE_STMT, statement);
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
    statement_ = nullptr;
    RaiseJetError(err::kCallFailed, DescribeFailure("The data source refused the statement", diagnostics, source.Secrets()));
  }
  SQLSMALLINT count = 0;
  SQLNumResultCols(statement, &count);
  for (SQLSMALLINT i = 1; i <= count; ++i) {
    SQLCHAR name[256] = {};
    SQLSMALLINT name_length = 0, sql_type = 0, digits = 0, nullable = 0;
    SQLULEN size = 0;
    SQLDescribeCol(statement, static_cast<SQLUSMALLINT>(i), name, sizeof name, &name_length, &sql_type, &size, &digits,
                   &nullable);
    columns_.push_back({reinterpret_cast<const char*>(name), DaoTypeOf(sql_type, size),
                        size > static_cast<SQLULEN>(std::numeric_limits<int>::max()) ? 0 : static_cast<int>(size), sql_type,
                        digits});
  }
  if (columns_.empty()) {
    SQLLEN rows = 0;
    if (Succeeded(SQLRowCount(statement, &rows)) && rows > 0) rows_affected_ = rows;
    done_ = true;
  }
}

ResultReader::~ResultReader() {
  // Closing the connection freed its statements already (a forward-only stream may outlive it).
  if (statement_ && source_.IsOpen()) SQLFreeHandle(SQL_HANDLE_STMT, statement_);
}

bool ResultReader::Next(std::vector<Variant>& row) {
  if (done_) return false;
  if (max_rows_ > 0 && rows_read_ >= max_rows_) {
    done_ = true;
    return false;
  }
  const SQLRETURN code = SQLFetch(statement_);
  if (code == SQL_NO_DATA) {
    done_ = true;
    return false;
  }
  if (!Succeeded(code)) {
    done_ = true;
    RaiseOdbcError(err::kCallFailed, "Reading the data source's rows failed", SQL_HANDLE_STMT, statement_, source_.Secrets());
  }
  row.resize(columns_.size());
  for (std::size_t i = 0; i < columns_.size(); ++i) row[i] = ReadValue(static_cast<int>(i));
  ++rows_read_;
  return true;
}

bool ResultReader::ReadAt(std::int64_t position, std::vector<Variant>& row) {
  if (!scrollable_ || done_ || position < 0 || (max_rows_ > 0 && position >= max_rows_)) return false;
  // The next row is fetched as such: drivers serve it from the rows they hold.
  const SQLRETURN code = position == at_ + 1 ? SQLFetchScroll(statement_, SQL_FETCH_NEXT, 0)
                                             : SQLFetchScroll(statement_, SQL_FETCH_ABSOLUTE, static_cast<SQLLEN>(position + 1));
  if (code == SQL_NO_DATA) {
    at_ = -2;  // before the first or past the last: the next read goes by absolute position
    return false;
  }
  if (!Succeeded(code)) {
    at_ = -2;
    RaiseOdbcError(err::kCallFailed, "Reading the data source's rows failed", SQL_HANDLE_STMT, statement_, source_.Secrets());
  }
  at_ = position;
  row.resize(columns_.size());
  for (std::size_t i = 0; i < columns_.size(); ++i) row[i] = ReadValue(static_cast<int>(i));
  return true;
}

std::int64_t ResultReader::CountRows() {
  if (!scrollable_ || done_) return 0;
  at_ = -2;
  auto fetch = [&](SQLSMALLINT orientation, std::int64_t row) {
    const SQLRETURN code = SQLFetchScroll(statement_, orientation, static_cast<SQLLEN>(row));
    if (code == SQL_NO_DATA) return false;
    if (!Succeeded(code)) {
      RaiseOdbcError(err::kCallFailed, "Counting the data source's rows failed", SQL_HANDLE_STMT, statement_,
                     source_.Secrets());
    }
    return true;
  };
  if (!fetch(SQL_FETCH_LAST, 0)) return 0;
  // The last row's number, where the driver tells it; else the count is found by fetching rows
  // by number (doubling, then halving): a few fetches, no values read.
  SQLULEN number = 0;
  std::int64_t count = 0;
  if (Succeeded(SQLGetStmtAttr(statement_, SQL_ATTR_ROW_NUMBER, &number, 0, nullptr)) && number > 0 &&
      number <= static_cast<SQLULEN>(std::numeric_limits<std::int64_t>::max() / 4)) {
    count = static_cast<std::int64_t>(number);
  } else {
    std::int64_t present = 1, absent = 2;  // row numbers (1-based) there and not there
    while (fetch(SQL_FETCH_ABSOLUTE, absent)) {
      present = absent;
      if (absent > std::numeric_limits<std::int64_t>::max() / 4) break;
      absent *= 2;
    }
    while (absent - present > 1) {
      const std::int64_t middle = present + (absent - present) / 2;
      (fetch(SQL_FETCH_ABSOLUTE, middle) ? present : absent) = middle;
    }
    count = present;
  }
  return max_rows_ > 0 ? std::min(count, max_rows_) : count;
}

Variant ResultReader::ReadValue(int column) {
  const ResultColumn& info = columns_[static_cast<std::size_t>(column)];
  const auto number = static_cast<SQLUSMALLINT>(column + 1);
  SQLLEN indicator = 0;
  auto failed = [&]() {
    RaiseOdbcError(err::kCallFailed, "Reading the column '" + info.name + "' failed", SQL_HANDLE_STMT, statement_,
                   source_.Secrets());
  };
  switch (info.type) {
    case 1:
    case 3:
    case 4: {
      SQLINTEGER value = 0;
      if (!Succeeded(SQLGetData(statement_, number, SQL_C_SLONG, &value, 0, &indicator))) failed();
      if (indicator == SQL_NULL_DATA) return Variant::Null();
      if (info.type == 1) return Variant(value != 0);
      if (info.type == 3) return Variant(static_cast<std::int16_t>(value));
      return Variant(static_cast<int>(value));
    }
    case 6:
    case 7: {
      double value = 0;
      if (!Succeeded(SQLGetData(statement_, number, SQL_C_DOUBLE, &value, 0, &indicator))) failed();
      if (indicator == SQL_NULL_DATA) return Variant::Null();
      return info.type == 6 ? Variant(static_cast<float>(value)) : Variant(value);
    }
    case 8: {
      SQL_TIMESTAMP_STRUCT value{};
      if (!Succeeded(SQLGetData(statement_, number, SQL_C_TYPE_TIMESTAMP, &value, sizeof value, &indicator))) failed();
      if (indicator == SQL_NULL_DATA) return Variant::Null();
      if (info.sql_type == SQL_TYPE_TIME || info.sql_type == SQL_TIME) {
        return Variant::FromDate(EncodeTime(value.hour, value.minute, value.second));
      }
      return Variant::FromDate(EncodeDateTime(value.year, value.month, value.day, value.hour, value.minute, value.second,
                                              static_cast<int>(value.fraction / 1000000)));
    }
    case 9:
    case 11: {
      std::vector<std::uint8_t> bytes;
      std::uint8_t chunk[8192];
      for (;;) {
        const SQLRETURN code = SQLGetData(statement_, number, SQL_C_BINARY, chunk, sizeof chunk, &indicator);
        if (code == SQL_NO_DATA) break;
        if (!Succeeded(code)) failed();
        if (indicator == SQL_NULL_DATA) return Variant::Null();
        const std::size_t got = indicator == SQL_NO_TOTAL || indicator > static_cast<SQLLEN>(sizeof chunk)
                                    ? sizeof chunk
                                    : static_cast<std::size_t>(indicator);
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (code == SQL_SUCCESS) break;
      }
      return Variant::FromBytes(std::move(bytes));
    }
    default: {
      // Text (and exact numbers as text): read as UTF-16 in pieces, however long.
      if (chunk_.empty()) chunk_.resize(1024);
      units_.clear();
      for (;;) {
        const SQLRETURN code = SQLGetData(statement_, number, SQL_C_WCHAR, chunk_.data(),
                                          static_cast<SQLLEN>(chunk_.size() * sizeof(SQLWCHAR)), &indicator);
        if (code == SQL_NO_DATA) break;
        if (!Succeeded(code)) failed();
        if (indicator == SQL_NULL_DATA) return Variant::Null();
        const std::size_t room = chunk_.size() - 1;  // the driver ends each piece with a 0
        const std::size_t got = indicator == SQL_NO_TOTAL || indicator / static_cast<SQLLEN>(sizeof(SQLWCHAR)) > static_cast<SQLLEN>(room)
                                    ? room
                                    : static_cast<std::size_t>(indicator) / sizeof(SQLWCHAR);
        units_.insert(units_.end(), chunk_.begin(), chunk_.begin() + static_cast<std::ptrdiff_t>(got));
        if (code == SQL_SUCCESS) break;
      }
      const std::vector<SQLWCHAR>& units = units_;
      std::string text = Utf8Of(units, units.size());
      if (info.type == 16) {
        // A bigint: a Long when it fits, else its exact digits.
        try {
          const long long value = std::stoll(text);
          if (value >= std::numeric_limits<int>::min() && value <= std::numeric_limits<int>::max()) {
            return Variant(static_cast<int>(value));
          }
        } catch (const std::exception&) {
        }
      }
      return Variant(std::move(text));
    }
  }
}

}  // namespace qb::jet::odbc
