// jet/import/import_stream: the record format the reader process sends to the importing one: a
// frame is a kind byte, a 32-bit little-endian payload length and the payload. Strings inside a
// payload are length-prefixed the same way. Plain data only, so that a reader that goes wrong
// can at worst send a frame the parent refuses.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qb::jet::import {

enum class FrameKind : char {
  kTable = 'T',     // name, column count, columns (ImportColumn)
  kRow = 'R',       // one value per column (ImportValue)
  kIndex = 'I',     // table, name, flags, column names
  kTableEnd = 'E',  // the rows the reader counted
  kRelation = 'L',  // name, attributes, table, foreign table, field count, (field, foreign field)
  kQuery = 'Q',     // name, object flags, row count, rows (attribute, order, name1, name2, expression, flag)
  kSkipped = 'S',   // what, why
  kDone = 'Z',      // everything was sent
  kError = 'X',     // the reader's message
};

// Column kinds as the reader's file names them (the genuine file's type codes).
struct ImportColumn {
  std::string name;
  std::uint8_t type = 0;
  std::uint32_t size = 0;
  bool autonumber = false;
  std::uint8_t precision = 0, scale = 0;
};

enum class ValueTag : std::uint8_t { kNull = 0, kInteger, kDouble, kCurrency, kDate, kText, kBytes };

struct ImportValue {
  ValueTag tag = ValueTag::kNull;
  std::int64_t integer = 0;  // kInteger, kCurrency (ten-thousandths)
  double number = 0;         // kDouble, kDate (the date serial)
  std::string bytes;         // kText (UTF-8), kBytes
};

inline constexpr std::uint8_t kIndexPrimary = 1, kIndexUnique = 2, kIndexIgnoreNulls = 4;

// Builds one frame's payload.
class FrameWriter {
 public:
  void U8(std::uint8_t value) { data_.push_back(static_cast<char>(value)); }
  void U32(std::uint32_t value);
  void I64(std::int64_t value);
  void F64(double value);
  void Text(std::string_view text);
  void Value(const ImportValue& value);
  // The whole frame: kind, length, payload.
  std::string Frame(FrameKind kind) const;

 private:
  std::string data_;
};

// Reads one frame's payload; every read raises std::runtime_error past its end.
class FrameReader {
 public:
  explicit FrameReader(std::string_view payload) : rest_(payload) {}
  std::uint8_t U8();
  std::uint32_t U32();
  std::int64_t I64();
  double F64();
  std::string Text();
  ImportValue Value();
  bool AtEnd() const { return rest_.empty(); }

 private:
  std::string_view Take(std::size_t n);
  std::string_view rest_;
};

// Writes all of DATA to FD; false when the reader of the pipe has gone.
bool WriteAll(int fd, std::string_view data);

}  // namespace qb::jet::import
