// cli/upsize_rows: batches of rows as one prepared multi-row INSERT each.
#include "cli/upsize_rows.h"

#include <sqlext.h>

#include <algorithm>
#include <charconv>
#include <utility>

#include "core/currency.h"
#include "core/date_serial.h"
#include "core/format_settings.h"
#include "jet/dao/error_numbers.h"
#include "jet/odbc/data_source.h"
#include "jet/odbc/odbc_errors.h"
#include "jet/odbc/wide_text.h"

namespace qb::cli {
namespace {

// A larger statement saves little once a batch is this long, and keeps the server's parse of it
// and the memory of the bound values small.
constexpr int kMaxRowsPerStatement = 1000;

// How a column's values travel: the C type bound and the SQL type the server is told.
struct Binding {
  SQLSMALLINT c_type;
  SQLSMALLINT sql_type;
  SQLULEN size;
  SQLSMALLINT digits;
};

Binding BindingOf(const UpsizeColumn& column) {
  switch (column.type) {
    case 1: return {SQL_C_SBIGINT, SQL_BIT, 1, 0};
    case 2:
    case 3:
    case 4: return {SQL_C_CHAR, SQL_INTEGER, 10, 0};  // digits: the driver's own formatting costs more
    case 5: return {SQL_C_CHAR, SQL_DECIMAL, 19, 4};  // exact ten-thousandths as digits
    case 6: return {SQL_C_CHAR, SQL_REAL, 24, 0};      // shortest digits that read back the same
    case 7: return {SQL_C_CHAR, SQL_DOUBLE, 53, 0};
    case 8: return {SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, 23, 3};
    case 9:
    case 11: return {SQL_C_BINARY, SQL_VARBINARY, static_cast<SQLULEN>(std::max(column.size, 255)), 0};
    default: return {SQL_C_WCHAR, SQL_WVARCHAR, static_cast<SQLULEN>(std::max(column.size, 255)), 0};
  }
}

// The most parameters one statement of the server takes.
int ParameterLimit(const jet::odbc::DataSource& server) {
  const std::string dbms = server.DbmsName();
  // The server takes 65,535, but its driver loses track of a prepared statement whose
  // description of the parameters passes 32 KB (about 8,000 of them): stay well below.
  if (dbms == "PostgreSQL") return 4096;
  return 999;  // the smallest limit of the common servers
}

template <typename Number>
void DigitsInto(Number value, std::vector<char>& bytes) {
  char digits[64];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  bytes.assign(digits, end);
}

// A statement handle freed with its owner.
class Statement {
 public:
  explicit Statement(const jet::odbc::DataSource& server) : server_(server) {}
  ~Statement() {
    if (handle != SQL_NULL_HANDLE && server_.IsOpen()) SQLFreeHandle(SQL_HANDLE_STMT, handle);
  }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  SQLHSTMT handle = SQL_NULL_HANDLE;

 private:
  const jet::odbc::DataSource& server_;
};

}  // namespace

int RowsPerStatement(std::size_t columns, int parameter_limit, int max_rows) {
  if (columns == 0) return std::max(1, max_rows);
  const auto fit = static_cast<std::size_t>(std::max(1, parameter_limit)) / columns;
  return static_cast<int>(std::clamp<std::size_t>(fit, 1, static_cast<std::size_t>(std::max(1, max_rows))));
}

UpsizeRowWriter::UpsizeRowWriter(jet::odbc::DataSource& server, const std::string& table,
                                 std::vector<UpsizeColumn> columns)
    : server_(server), table_(table), columns_(std::move(columns)) {
  batch_rows_ = RowsPerStatement(columns_.size(), ParameterLimit(server_), kMaxRowsPerStatement);
  for (Batch& batch : batches_) batch.slots.resize(static_cast<std::size_t>(batch_rows_) * columns_.size());
}

UpsizeRowWriter::~UpsizeRowWriter() {
  if (sender_.joinable()) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    changed_.notify_all();
    sender_.join();  // after the batch on its way; a failure there gives way to the one being raised
  }
  for (Batch& batch : batches_) {
    if (batch.statement != SQL_NULL_HANDLE && server_.IsOpen()) SQLFreeHandle(SQL_HANDLE_STMT, batch.statement);
  }
}

void UpsizeRowWriter::Set(std::size_t column, const Variant& value) {
  Slot& slot = batches_[current_].slots[static_cast<std::size_t>(filled_) * columns_.size() + column];
  if (value.IsNull() || value.IsEmpty()) {
    slot.indicator = SQL_NULL_DATA;
    return;
  }
  switch (columns_[column].type) {
    case 1:
      slot.integer = value.ToBool() ? 1 : 0;
      slot.indicator = 0;
      return;
    case 2:
    case 3:
    case 4: DigitsInto(value.ToInt32(), slot.bytes); break;
    case 5: {
      const std::string digits = value.ToCurrency().ToText(FormatSettings{});
      slot.bytes.assign(digits.begin(), digits.end());
      break;
    }
    case 6: DigitsInto(value.ToSingle(), slot.bytes); break;
    case 7: DigitsInto(value.ToDouble(), slot.bytes); break;
    case 8: {
      const DateTimeParts parts = DecodeDateTime(value.ToDate());
      slot.timestamp = {static_cast<SQLSMALLINT>(parts.year), static_cast<SQLUSMALLINT>(parts.month),
                        static_cast<SQLUSMALLINT>(parts.day), static_cast<SQLUSMALLINT>(parts.hour),
                        static_cast<SQLUSMALLINT>(parts.minute), static_cast<SQLUSMALLINT>(parts.second),
                        static_cast<SQLUINTEGER>(parts.millisecond) * 1000000u};
      slot.indicator = 0;
      return;
    }
    case 9:
    case 11: {
      const std::vector<std::uint8_t>& bytes = value.Bytes();
      slot.bytes.assign(bytes.begin(), bytes.end());
      break;
    }
    default: {
      const std::string text = value.ToString();
      if (text.find('\0') != std::string::npos) RaiseZeroCharacter(queued_ + filled_ + 1, columns_[column].name, table_);
      jet::odbc::Utf16Into(text, slot.wide);
      slot.indicator = static_cast<SQLLEN>(slot.wide.size() * sizeof(SQLWCHAR));
      return;
    }
  }
  slot.indicator = static_cast<SQLLEN>(slot.bytes.size());
}

void UpsizeRowWriter::Add() {
  if (++filled_ < batch_rows_) return;
  Collect();
  if (!sender_.joinable()) sender_ = std::thread([this] { SendLoop(); });
  {
    std::lock_guard<std::mutex> lock(mutex_);
    outgoing_ = &batches_[current_];
    outgoing_first_ = queued_ + 1;
    pending_ = true;
    sent_ = false;
  }
  changed_.notify_all();
  sending_rows_ = filled_;
  queued_ += filled_;
  current_ = 1 - current_;
  filled_ = 0;
}

void UpsizeRowWriter::Finish() {
  Collect();
  if (filled_ == 0) return;
  Send(batches_[current_], filled_, queued_ + 1);
  queued_ += filled_;
  written_ += filled_;
  filled_ = 0;
}

void UpsizeRowWriter::Collect() {
  std::exception_ptr failure;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!pending_) return;
    changed_.wait(lock, [this] { return sent_; });
    pending_ = false;
    failure = std::exchange(failure_, nullptr);
  }
  if (failure) std::rethrow_exception(failure);
  written_ += sending_rows_;
  sending_rows_ = 0;
}

void UpsizeRowWriter::SendLoop() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || (pending_ && !sent_); });
    if (pending_ && !sent_) {
      Batch* batch = outgoing_;
      const long long first = outgoing_first_;
      lock.unlock();
      std::exception_ptr failure;
      try {
        Send(*batch, batch_rows_, first);
      } catch (...) {
        failure = std::current_exception();
      }
      lock.lock();
      failure_ = failure;
      sent_ = true;
      changed_.notify_all();
      continue;
    }
    if (stopping_) return;
  }
}

SQLHSTMT UpsizeRowWriter::Prepare(int rows) {
  SQLHSTMT statement = SQL_NULL_HANDLE;
  if (!jet::odbc::Succeeded(SQLAllocHandle(SQL_HANDLE_STMT, server_.Handle(), &statement))) {
    jet::odbc::RaiseOdbcError(jet::odbc::err::kCallFailed, "The data source could not make a statement", SQL_HANDLE_DBC,
                              server_.Handle(), server_.Secrets());
  }
  std::string row = "(";
  std::string names;
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    row += i == 0 ? "?" : ", ?";
    names += (i == 0 ? "" : ", ") + server_.QuoteName(columns_[i].name);
  }
  row += ")";
  std::string sql = "INSERT INTO " + server_.QuoteName(table_) + " (" + names + ") VALUES ";
  sql.reserve(sql.size() + static_cast<std::size_t>(rows) * (row.size() + 2));
  for (int i = 0; i < rows; ++i) {
    if (i > 0) sql += ", ";
    sql += row;
  }
  if (!jet::odbc::Succeeded(
          SQLPrepare(statement, reinterpret_cast<SQLCHAR*>(sql.data()), static_cast<SQLINTEGER>(sql.size())))) {
    std::vector<jet::odbc::Diagnostic> diagnostics = jet::odbc::ReadDiagnostics(SQL_HANDLE_STMT, statement);
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
    jet::RaiseJetError(jet::odbc::err::kCallFailed,
                       jet::odbc::DescribeFailure("The data source refused the rows of the table '" + table_ + "'",
                                                  diagnostics, server_.Secrets()));
  }
  return statement;
}

void UpsizeRowWriter::Bind(SQLHSTMT statement, Batch& batch, std::size_t slot) {
  const std::size_t column = slot % columns_.size();
  const Binding binding = BindingOf(columns_[column]);
  Slot& value = batch.slots[slot];
  SQLPOINTER data = nullptr;
  SQLLEN length = 0;
  switch (binding.c_type) {
    case SQL_C_SBIGINT: data = &value.integer; break;
    case SQL_C_TYPE_TIMESTAMP: data = &value.timestamp; break;
    case SQL_C_WCHAR:
      if (value.wide.capacity() == 0) value.wide.reserve(16);  // a place to point at, even for ""
      data = value.wide.data();
      length = static_cast<SQLLEN>(value.wide.capacity() * sizeof(SQLWCHAR));
      break;
    default:
      if (value.bytes.capacity() == 0) value.bytes.reserve(16);
      data = value.bytes.data();
      length = static_cast<SQLLEN>(value.bytes.capacity());
      break;
  }
  if (!jet::odbc::Succeeded(SQLBindParameter(statement, static_cast<SQLUSMALLINT>(slot + 1), SQL_PARAM_INPUT,
                                             binding.c_type, binding.sql_type, binding.size, binding.digits, data,
                                             length, &value.indicator))) {
    jet::odbc::RaiseOdbcError(jet::odbc::err::kCallFailed, "Binding the values of the table '" + table_ + "' failed",
                              SQL_HANDLE_STMT, statement, server_.Secrets());
  }
  if (statement == batch.statement) value.bound = data;
}

void UpsizeRowWriter::Send(Batch& batch, int rows, long long first) {
  const std::size_t count = static_cast<std::size_t>(rows) * columns_.size();
  Statement tail(server_);  // a shorter last batch has a statement of its own
  SQLHSTMT statement = SQL_NULL_HANDLE;
  if (rows == batch_rows_) {
    if (batch.statement == SQL_NULL_HANDLE) batch.statement = Prepare(rows);
    statement = batch.statement;
    for (std::size_t i = 0; i < count; ++i) {
      // Text and bytes move when they outgrow their buffer: only those are bound again.
      const Slot& slot = batch.slots[i];
      const void* data = BindingOf(columns_[i % columns_.size()]).c_type == SQL_C_WCHAR
                             ? static_cast<const void*>(slot.wide.data())
                             : static_cast<const void*>(slot.bytes.data());
      if (slot.bound == nullptr || (data != nullptr && data != slot.bound)) Bind(statement, batch, i);
    }
  } else {
    tail.handle = statement = Prepare(rows);
    for (std::size_t i = 0; i < count; ++i) Bind(statement, batch, i);
  }
  const std::string which = "rows " + std::to_string(first) + " to " + std::to_string(first + rows - 1) +
                            " of the table '" + table_ + "'";
  const SQLRETURN code = SQLExecute(statement);
  if (!jet::odbc::Succeeded(code)) {
    if (code == SQL_NO_DATA) jet::RaiseJetError(jet::odbc::err::kCallFailed, "The data source took none of the " + which + ".");
    jet::odbc::RaiseOdbcError(jet::odbc::err::kCallFailed, "The data source refused " + which, SQL_HANDLE_STMT,
                              statement, server_.Secrets());
  }
  SQLLEN taken = -1;
  if (jet::odbc::Succeeded(SQLRowCount(statement, &taken)) && taken >= 0 && taken != rows) {
    jet::RaiseJetError(jet::odbc::err::kCallFailed, "The data source took " + std::to_string(taken) + " of the " +
                                                        which + ".");
  }
}

}  // namespace qb::cli
