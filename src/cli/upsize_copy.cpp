// cli/upsize_copy: the rows of a table as the server's bulk-copy text, a line a row, sent in
// large pieces on a second connection (jet/odbc/server_copy.h) that also runs the run's
// statements, so the new tables and their rows share one transaction.
//
// Every value is written the way the INSERT path binds it, so both paths store the same: whole
// numbers and doubles as their shortest exact digits, Currency as exact ten-thousandths, dates as
// ISO text to the millisecond, bytes as hex, text as UTF-8 with the format's four escapes.
#include <charconv>
#include <string_view>
#include <utility>

#include "cli/upsize_target.h"
#include "core/currency.h"
#include "core/date_serial.h"
#include "core/format_settings.h"
#include "jet/dao/error_numbers.h"
#include "jet/odbc/data_source.h"
#include "jet/odbc/odbc_errors.h"
#include "jet/odbc/server_copy.h"

namespace qb::cli {
namespace {

// Pieces of about this size go to the server: large enough that the sending costs nothing
// beside the rows, small enough that the server starts on them at once.
constexpr std::size_t kPieceBytes = 256 * 1024;

template <typename Number>
void AppendDigits(std::string& line, Number value) {
  char digits[64];
  line.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

void AppendPadded(std::string& line, int value, int width) {
  char digits[16];
  char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  for (auto length = end - digits; length < width; ++length) line += '0';
  line.append(digits, end);
}

class CopyWriter : public UpsizeRows {
 public:
  CopyWriter(jet::odbc::ServerCopy& copy, std::string table, std::vector<UpsizeColumn> columns)
      : copy_(copy), table_(std::move(table)), columns_(std::move(columns)) {
    pending_.reserve(kPieceBytes + 4096);
  }
  ~CopyWriter() override {
    if (!finished_) copy_.AbandonCopy();
  }

  void Set(std::size_t column, const Variant& value) override {
    if (column > 0) pending_ += '\t';
    if (value.IsNull() || value.IsEmpty()) {
      pending_ += "\\N";
      return;
    }
    switch (columns_[column].type) {
      case 1: pending_ += value.ToBool() ? '1' : '0'; return;
      case 2:
      case 3:
      case 4: AppendDigits(pending_, value.ToInt32()); return;
      case 5: pending_ += value.ToCurrency().ToText(FormatSettings{}); return;
      case 6: AppendDigits(pending_, value.ToSingle()); return;
      case 7: AppendDigits(pending_, value.ToDouble()); return;
      case 8: AppendDate(value.ToDate()); return;
      case 9:
      case 11: AppendBytes(value.Bytes()); return;
      default: AppendText(value.ToString(), column); return;
    }
  }

  void Add() override {
    pending_ += '\n';
    ++rows_;
    if (pending_.size() >= kPieceBytes) {
      copy_.Put(pending_);
      pending_.clear();
      sent_ = rows_;
    }
  }

  void Finish() override {
    copy_.Put(pending_);
    pending_.clear();
    finished_ = true;
    written_ = copy_.EndCopy(table_);
    if (written_ != rows_) {
      jet::RaiseJetError(jet::odbc::err::kCallFailed, "The data source took " + std::to_string(written_) + " of the " +
                                                          std::to_string(rows_) + " rows of the table '" + table_ + "'.");
    }
  }

  // Rows sent so far (the progress line's count), then the rows the server took.
  long long RowsWritten() const override { return finished_ ? written_ : sent_; }

 private:
  // "YYYY-MM-DD HH:MM:SS.mmm".
  void AppendDate(double date) {
    const DateTimeParts at = DecodeDateTime(date);
    const struct {
      int value, width;
      char after;
    } parts[] = {{at.year, 4, '-'},   {at.month, 2, '-'},  {at.day, 2, ' '},          {at.hour, 2, ':'},
                 {at.minute, 2, ':'}, {at.second, 2, '.'}, {at.millisecond, 3, '\0'}};
    for (const auto& part : parts) {
      AppendPadded(pending_, part.value, part.width);
      if (part.after != '\0') pending_ += part.after;
    }
  }

  void AppendBytes(const std::vector<std::uint8_t>& bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    pending_ += "\\\\x";  // the format's escaped backslash, then the server's hex form
    for (std::uint8_t byte : bytes) {
      pending_ += kHex[byte >> 4];
      pending_ += kHex[byte & 15];
    }
  }

  // TEXT with the format's escapes; the runs between them go in whole.
  void AppendText(const std::string& text, std::size_t column) {
    static constexpr std::string_view kSpecial("\\\n\r\t\0", 5);
    std::size_t at = 0;
    for (std::size_t next; (next = text.find_first_of(kSpecial, at)) != std::string::npos; at = next + 1) {
      pending_.append(text, at, next - at);
      switch (text[next]) {
        case '\\': pending_ += "\\\\"; break;
        case '\n': pending_ += "\\n"; break;
        case '\r': pending_ += "\\r"; break;
        case '\t': pending_ += "\\t"; break;
        default: RaiseZeroCharacter(rows_ + 1, columns_[column].name, table_);
      }
    }
    pending_.append(text, at, std::string::npos);
  }

  jet::odbc::ServerCopy& copy_;  // not owned
  std::string table_;
  std::vector<UpsizeColumn> columns_;
  std::string pending_;  // lines not yet sent
  long long rows_ = 0;   // rows added
  long long sent_ = 0;   // rows in the pieces sent
  long long written_ = 0;
  bool finished_ = false;
};

class CopyTarget : public UpsizeTarget {
 public:
  CopyTarget(const jet::odbc::DataSource& server, std::unique_ptr<jet::odbc::ServerCopy> copy)
      : server_(server), copy_(std::move(copy)) {}
  const char* RowPath() const override { return "bulk copy"; }
  void Execute(const std::string& sql) override { copy_->Execute(sql); }
  void Begin() override { copy_->Execute("BEGIN"); }
  void Commit() override { copy_->Execute("COMMIT"); }
  void RollbackQuietly() override {
    try {
      copy_->Execute("ROLLBACK");  // a copy under way was abandoned by its writer already
    } catch (...) {
      // The connection is gone: the server has dropped the transaction with it.
    }
  }
  std::unique_ptr<UpsizeRows> Rows(const std::string& table, std::vector<UpsizeColumn> columns) override {
    std::string names;
    for (const UpsizeColumn& column : columns) names += (names.empty() ? "" : ", ") + server_.QuoteName(column.name);
    copy_->BeginCopy("COPY " + server_.QuoteName(table) + " (" + names + ") FROM STDIN");
    return std::make_unique<CopyWriter>(*copy_, table, std::move(columns));
  }

 private:
  const jet::odbc::DataSource& server_;
  std::unique_ptr<jet::odbc::ServerCopy> copy_;
};

}  // namespace

std::unique_ptr<UpsizeTarget> CopyUpsizeTarget(const jet::odbc::DataSource& server, std::string* why) {
  std::unique_ptr<jet::odbc::ServerCopy> copy = jet::odbc::ServerCopy::Open(server, why);
  if (!copy) return nullptr;
  return std::make_unique<CopyTarget>(server, std::move(copy));
}

}  // namespace qb::cli
