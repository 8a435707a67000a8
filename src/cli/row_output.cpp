// cli/row_output: cursor rows through the delimited writer into a buffered standard output.
#include "cli/row_output.h"

#include <cstdio>
#include <stdexcept>
#include <string>

namespace qb::cli {

StdoutSink::StdoutSink() { buffer_.reserve(kBlock); }

void StdoutSink::Write(std::string_view bytes) {
  buffer_.append(bytes);
  if (buffer_.size() >= kBlock) Flush();
}

void StdoutSink::Flush() {
  if (!buffer_.empty() && std::fwrite(buffer_.data(), 1, buffer_.size(), stdout) != buffer_.size()) {
    throw std::runtime_error("standard output cannot be written");
  }
  buffer_.clear();
  if (std::fflush(stdout) != 0) throw std::runtime_error("standard output cannot be written");
}

std::vector<std::string> CursorRows::Names() const {
  std::vector<std::string> names;
  for (const auto& column : cursor_.Columns()) names.push_back(column.name);
  return names;
}

bool CursorRows::Next(std::vector<Variant>& row) {
  if (max_records_ > 0 && read_ >= max_records_) return false;
  if (!cursor_.Next(row)) return false;
  ++read_;
  return true;
}

void PrintQueryRows(jet::Database& database, std::string_view jet_sql, const std::vector<Variant>& values,
                    std::int64_t max_records) {
  const std::unique_ptr<jet::QueryCursor> cursor = jet::OpenQueryCursor(database, jet_sql, values);
  CursorRows rows(*cursor, max_records);
  StdoutSink out;
  WriteDelimited(rows, Separators{"\t", "\n"}, [&](std::string_view line) { out.Write(line); });
  out.Flush();
}

}  // namespace qb::cli
