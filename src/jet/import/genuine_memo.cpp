// jet/import/genuine_memo: the 12-byte head of a stored Memo holds its length with two flags in
// the top bits and, for values not kept in the row, the page and row of the first long-value
// row. A value spread over several such rows has the next row's page and row in the first four
// bytes of each. The bytes read are those the library reads for its own export, and the
// conversion to UTF-8 is the library's.
#include "jet/import/genuine_memo.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <unordered_set>

namespace qb::jet::import {
namespace {

constexpr std::uint32_t kInRow = 0x80000000u;
constexpr std::uint32_t kOneRow = 0x40000000u;
constexpr std::uint32_t kLengthMask = 0x3fffffffu;
constexpr int kHeadSize = MDB_MEMO_OVERHEAD;

std::uint32_t U32(const unsigned char* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

// The long-value row PAGE_ROW (page number << 8 | row): its bytes in the handle's second page
// buffer, or nullptr when the page is not in the file or the row runs outside it.
const unsigned char* LongValueRow(MdbHandle* mdb, std::uint32_t page_row, std::size_t* length) {
  // The library reads a page that starts at the file's end as if it were there.
  struct stat file {};
  const auto page_size = static_cast<std::size_t>(mdb->fmt->pg_size);
  if (::fstat(::fileno(mdb->f->stream), &file) != 0 ||
      (std::size_t{page_row >> 8} + 1) * page_size > static_cast<std::size_t>(file.st_size)) {
    return nullptr;
  }
  void* page = nullptr;
  int start = 0;
  if (mdb_find_pg_row(mdb, static_cast<int>(page_row), &page, &start, length) != 0) return nullptr;
  if (start < 0 || static_cast<std::size_t>(start) > page_size || *length > page_size - static_cast<std::size_t>(start)) {
    return nullptr;
  }
  return static_cast<const unsigned char*>(page) + start;
}

}  // namespace

bool ReadMemoText(MdbHandle* mdb, const MdbColumn* column, std::string* text, std::string* problem) {
  auto damaged = [&] {
    *problem = "a value of '" + std::string(column->name) + "' is damaged";
    return false;
  };
  text->clear();
  const int start = column->cur_value_start;
  const int size = column->cur_value_len;
  if (start < 0 || size < 0 || start > mdb->fmt->pg_size || size > mdb->fmt->pg_size - start) return damaged();
  if (size < kHeadSize) return true;  // too short for its head: read as empty, as the export does
  const unsigned char* head = mdb->pg_buf + start;
  const std::uint32_t stored = U32(head);

  std::string bytes;
  if (stored & kInRow) {
    bytes.assign(reinterpret_cast<const char*>(head) + kHeadSize, static_cast<std::size_t>(size - kHeadSize));
  } else if (stored & kOneRow) {
    std::size_t length = 0;
    const unsigned char* row = LongValueRow(mdb, U32(head + 4), &length);
    if (!row) return damaged();
    bytes.assign(reinterpret_cast<const char*>(row), length);
  } else if ((stored & 0xff000000u) == 0) {
    // A chain of rows, each beginning with the next one's page and row (zero after the last),
    // read until the stored length would be passed. A row met twice means the chain loops.
    const std::uint32_t total = stored & kLengthMask;
    std::unordered_set<std::uint32_t> seen;
    for (std::uint32_t page_row = U32(head + 4); page_row != 0;) {
      if (!seen.insert(page_row).second) return damaged();
      std::size_t length = 0;
      const unsigned char* row = LongValueRow(mdb, page_row, &length);
      if (!row) return damaged();
      if (length == 0) break;
      if (length < 4) return damaged();
      if (bytes.size() + (length - 4) > total) break;
      bytes.append(reinterpret_cast<const char*>(row) + 4, length - 4);
      page_row = U32(row);
    }
  } else {
    return true;  // flags this reader does not know: read as empty, as the export does
  }
  if (bytes.empty()) return true;

  // A stored byte or pair of bytes becomes at most three bytes of UTF-8, and the conversion
  // writes its terminating NUL after what it wrote.
  const std::size_t capacity = 4 * bytes.size() + 16;
  auto converted = std::make_unique_for_overwrite<char[]>(capacity);
  mdb_unicode2ascii(mdb, bytes.data(), bytes.size(), converted.get(), capacity);
  // Up to the first NUL, as every other text value is read.
  text->assign(converted.get(), ::strnlen(converted.get(), capacity));
  return true;
}

}  // namespace qb::jet::import
