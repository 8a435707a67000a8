// cli/delimited_output: rows written as delimited text: a header line of field names, then one
// line per record, the field separator between two values and the record separator after
// every line, the last included. By default nothing is quoted or escaped: a value holding a
// separator is written as it is; quoted output follows the rules spreadsheets read (RFC 4180).
// Knows no database: rows come through RowReader.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "com/variant.h"

namespace qb::cli {

// Where rows come from.
class RowReader {
 public:
  virtual ~RowReader() = default;
  // The field names, in order.
  virtual std::vector<std::string> Names() const = 0;
  // The next row's values into ROW (as many as Names()); false once the rows are done.
  // Raises whatever its source raises.
  virtual bool Next(std::vector<Variant>& row) = 0;
};

struct Separators {
  std::string field = "\t";
  std::string record = "\r\n";
  // Encloses in double quotes every name and value that holds a double quote, a line break or
  // a separator, doubling the quotes inside.
  bool quote = false;
};

// The separator text a --field-sep or --record-sep value names: tab, comma, semicolon, space,
// crlf, cr, crcr, lf, lfcr (any case) stand for those characters; any other text, the empty
// one included, is the separator as typed.
std::string SeparatorText(std::string_view choice);

// Writes ROWS with SEPARATORS to SINK, one whole line per call, and returns the number of
// records written (the header not counted). PROGRESS, when set, is called with the count so
// far every PROGRESS_EVERY records. A line reaches SINK only when all of its values were read,
// so a failing row never leaves part of a line behind. Raises what ROWS and SINK raise.
std::int64_t WriteDelimited(RowReader& rows, const Separators& separators,
                            const std::function<void(std::string_view)>& sink,
                            const std::function<void(std::int64_t)>& progress = {},
                            std::int64_t progress_every = 10000);

}  // namespace qb::cli
