// jet/import/import_stream: encoding and decoding of the reader's frames.
#include "jet/import/import_stream.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace qb::jet::import {

void FrameWriter::U32(std::uint32_t value) {
  for (int i = 0; i < 4; ++i) U8(static_cast<std::uint8_t>(value >> (8 * i)));
}

void FrameWriter::I64(std::int64_t value) {
  const auto bits = static_cast<std::uint64_t>(value);
  for (int i = 0; i < 8; ++i) U8(static_cast<std::uint8_t>(bits >> (8 * i)));
}

void FrameWriter::F64(double value) {
  std::int64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  I64(bits);
}

void FrameWriter::Text(std::string_view text) {
  U32(static_cast<std::uint32_t>(text.size()));
  data_.append(text);
}

void FrameWriter::Value(const ImportValue& value) {
  U8(static_cast<std::uint8_t>(value.tag));
  switch (value.tag) {
    case ValueTag::kNull: break;
    case ValueTag::kInteger:
    case ValueTag::kCurrency: I64(value.integer); break;
    case ValueTag::kDouble:
    case ValueTag::kDate: F64(value.number); break;
    case ValueTag::kText:
    case ValueTag::kBytes: Text(value.bytes); break;
  }
}

std::string FrameWriter::Frame(FrameKind kind) const {
  std::string frame;
  frame.reserve(data_.size() + 5);
  frame.push_back(static_cast<char>(kind));
  const auto size = static_cast<std::uint32_t>(data_.size());
  for (int i = 0; i < 4; ++i) frame.push_back(static_cast<char>((size >> (8 * i)) & 0xff));
  frame += data_;
  return frame;
}

std::string_view FrameReader::Take(std::size_t n) {
  if (n > rest_.size()) throw std::runtime_error("the reader sent a frame shorter than its content");
  std::string_view taken = rest_.substr(0, n);
  rest_.remove_prefix(n);
  return taken;
}

std::uint8_t FrameReader::U8() { return static_cast<std::uint8_t>(Take(1)[0]); }

std::uint32_t FrameReader::U32() {
  std::string_view b = Take(4);
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<std::uint8_t>(b[static_cast<std::size_t>(i)]);
  return value;
}

std::int64_t FrameReader::I64() {
  std::string_view b = Take(8);
  std::uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | static_cast<std::uint8_t>(b[static_cast<std::size_t>(i)]);
  return static_cast<std::int64_t>(value);
}

double FrameReader::F64() {
  const std::int64_t bits = I64();
  double value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

std::string FrameReader::Text() {
  const std::uint32_t size = U32();
  return std::string(Take(size));
}

ImportValue FrameReader::Value() {
  ImportValue value;
  const std::uint8_t tag = U8();
  if (tag > static_cast<std::uint8_t>(ValueTag::kBytes)) throw std::runtime_error("the reader sent an unknown value kind");
  value.tag = static_cast<ValueTag>(tag);
  switch (value.tag) {
    case ValueTag::kNull: break;
    case ValueTag::kInteger:
    case ValueTag::kCurrency: value.integer = I64(); break;
    case ValueTag::kDouble:
    case ValueTag::kDate: value.number = F64(); break;
    case ValueTag::kText:
    case ValueTag::kBytes: value.bytes = Text(); break;
  }
  return value;
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t written = ::write(fd, data.data(), data.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace qb::jet::import
