// cli/row_output: the rows of a Jet statement printed on standard output as quill's commands
// print them: a header line of field names, then one line per row, values separated by a tab
// and lines ended by a line feed (value forms in value_text.h).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cli/delimited_output.h"
#include "com/variant.h"
#include "jet/dao/database_statements.h"

namespace qb::jet {
class Database;
}

namespace qb::cli {

// Standard output written in large blocks: a million short lines through iostreams would cost
// more than reading them. Raises std::runtime_error when standard output cannot be written.
class StdoutSink {
 public:
  StdoutSink();
  void Write(std::string_view bytes);
  void Flush();

 private:
  static constexpr std::size_t kBlock = 1 << 16;
  std::string buffer_;
};

// Rows of a QueryCursor, at most MAX_RECORDS of them when above 0.
class CursorRows : public RowReader {
 public:
  CursorRows(jet::QueryCursor& cursor, std::int64_t max_records) : cursor_(cursor), max_records_(max_records) {}
  std::vector<std::string> Names() const override;
  bool Next(std::vector<Variant>& row) override;

 private:
  jet::QueryCursor& cursor_;        // constant after construction
  const std::int64_t max_records_;  // 0: no limit
  std::int64_t read_ = 0;
};

// Prints the rows of the row-returning statement JET_SQL with parameter VALUES (declared
// parameters first), at most MAX_RECORDS when above 0. Raises as jet::QueryCursor, and
// std::runtime_error when standard output cannot be written.
void PrintQueryRows(jet::Database& database, std::string_view jet_sql, const std::vector<Variant>& values,
                    std::int64_t max_records = 0);

}  // namespace qb::cli
