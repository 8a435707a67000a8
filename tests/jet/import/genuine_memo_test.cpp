// Memo values stored outside their row, made by patching a copy of a genuine Jet 4 file: the
// first row's Memo is pointed at long-value rows on pages added at the file's end. A long chain
// arrives whole; one that loops or leaves the file is refused rather than read short or empty.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "jet/base/errors.h"
#include "jet/dao/database.h"
#include "jet/dao/dbengine.h"
#include "jet/database/database_test_support.h"
#include "jet/import/import_database.h"
#include "jet/recordset/recordset.h"

namespace qb::jet {
namespace {

using test::ErrorOf;

constexpr std::size_t kPage = 4096;
// The 12-byte head of the first row's Memo ("Hello", kept in the row) in the sample.
constexpr std::size_t kHelloHead = 0x14fdd;
constexpr std::uint32_t kOneRow = 0x40000000u;

void PutU32(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xff);
}

// A data page holding the one row ROW at its end.
std::string OneRowPage(const std::string& row) {
  std::string page(kPage, '\0');
  page[0] = 0x01;
  page[1] = 0x01;
  page[0x0c] = 1;  // one row
  const std::size_t start = kPage - row.size();
  page[0x0e] = static_cast<char>(start & 0xff);
  page[0x0f] = static_cast<char>(start >> 8);
  page.replace(start, row.size(), row);
  return page;
}

// A page of a chain: the next row's page and row (NEXT), then DATA.
std::string LongValuePage(std::uint32_t next, const std::string& data) {
  std::string row(4, '\0');
  PutU32(row, 0, next);
  return OneRowPage(row + data);
}

void AppendUtf8(std::string& out, char16_t unit) {
  if (unit < 0x80) {
    out += static_cast<char>(unit);
  } else if (unit < 0x800) {
    out += static_cast<char>(0xc0 | (unit >> 6));
    out += static_cast<char>(0x80 | (unit & 0x3f));
  } else {
    out += static_cast<char>(0xe0 | (unit >> 12));
    out += static_cast<char>(0x80 | ((unit >> 6) & 0x3f));
    out += static_cast<char>(0x80 | (unit & 0x3f));
  }
}

class GenuineMemoTest : public test::DatabaseTestBase {
 protected:
  // The sample with its first Memo's head replaced by HEAD (flags and length, first page and
  // row) and PAGES added after its last page.
  std::string Patched(std::uint32_t stored, std::uint32_t first, const std::vector<std::string>& pages) {
    std::string bytes = qb::test::ReadFileBytes(qb::test::TestDataPath("jet/DateTestDatabase.mdb"));
    EXPECT_EQ(bytes.substr(kHelloHead + 12, 7), "\xff\xfeHello");
    PutU32(bytes, kHelloHead, stored);
    PutU32(bytes, kHelloHead + 4, first);
    for (const std::string& page : pages) bytes += page;
    const std::string path = dir_.File("patched.mdb");
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    return path;
  }
  std::uint32_t FirstAddedPage() const {
    return static_cast<std::uint32_t>(qb::test::ReadFileBytes(qb::test::TestDataPath("jet/DateTestDatabase.mdb")).size() / kPage);
  }
  // The imported LongTextCol of every row, by IDCol.
  std::vector<std::string> Memos(const std::string& source) {
    const std::string destination = dir_.File("imported" + std::to_string(++imports_) + ".mdb");
    engine_->ImportDatabase(source, destination);
    auto database = workspace_->OpenDatabase(destination, Variant(false), true, {});
    auto rows = database->OpenRecordset("SELECT LongTextCol FROM DateTest ORDER BY IDCol", 4);
    std::vector<std::string> memos;
    for (; !rows->Eof(); rows->MoveNext()) memos.push_back(rows->Fields()->Item(0)->Value().ToString());
    return memos;
  }
  int imports_ = 0;
};

TEST_F(GenuineMemoTest, AValueOnLongValueRowsArrivesWhole) {
  const std::uint32_t first = FirstAddedPage();
  // 40000 characters (80000 stored bytes, past 64 KiB) of one, two and three UTF-8 bytes,
  // spread over rows of 4000 bytes.
  std::string stored, expected;
  const char16_t units[] = {u'a', u'Z', u'7', u' ', u'\u00e9', u'\u00df', u'\u20ac', u'\u30a2', u'\n'};
  for (int i = 0; i < 40000; ++i) {
    const char16_t unit = units[static_cast<std::size_t>(i) % std::size(units)];
    stored += static_cast<char>(unit & 0xff);
    stored += static_cast<char>(unit >> 8);
    AppendUtf8(expected, unit);
  }
  std::vector<std::string> chain;
  const std::size_t per_row = 4000;
  const std::size_t count = (stored.size() + per_row - 1) / per_row;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t next = i + 1 < count ? (first + static_cast<std::uint32_t>(i) + 1) << 8 : 0;
    chain.push_back(LongValuePage(next, stored.substr(i * per_row, per_row)));
  }
  const auto long_memos = Memos(Patched(static_cast<std::uint32_t>(stored.size()), first << 8, chain));
  ASSERT_EQ(long_memos.size(), 6u);
  EXPECT_EQ(long_memos[0].size(), expected.size());
  EXPECT_TRUE(long_memos[0] == expected);
  EXPECT_EQ(long_memos[1], "Year 9999");

  // One long-value row in the compressed form (one byte a character, after FF FE).
  const std::string compressed = "\xff\xfe" "caf\xe9 on a page of its own";
  const auto one_row = Memos(Patched(kOneRow | static_cast<std::uint32_t>(compressed.size()), first << 8,
                                     {OneRowPage(compressed)}));
  ASSERT_EQ(one_row.size(), 6u);
  EXPECT_EQ(one_row[0], "caf\xc3\xa9 on a page of its own");
}

TEST_F(GenuineMemoTest, ADamagedChainIsRefused) {
  const std::uint32_t first = FirstAddedPage();
  const std::string data(4000, 'x');
  const struct {
    const char* name;
    std::uint32_t stored;
    std::uint32_t first;
    std::vector<std::string> pages;
  } cases[] = {
      {"a chain that loops", 100000, first << 8,
       {LongValuePage((first + 1) << 8, data), LongValuePage(first << 8, data)}},
      {"a chain whose first row is past the file", 8000, (first + 5) << 8, {LongValuePage(0, data)}},
      {"a chain whose next row is past the file", 8000, first << 8, {LongValuePage((first + 9) << 8, data)}},
      {"one row past the file", kOneRow | 10, (first + 1) << 8, {OneRowPage(data)}},
      {"a row of the chain too short for its link", 8000, first << 8, {OneRowPage(std::string(2, '\0'))}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string source = Patched(c.stored, c.first, c.pages);
    const std::string destination = dir_.File("refused.mdb");
    const auto error = ErrorOf([&] { engine_->ImportDatabase(source, destination); });
    EXPECT_EQ(error.number, err::kUnrecognisedFile) << error.message;
    EXPECT_NE(error.message.find("'LongTextCol' is damaged"), std::string::npos) << error.message;
    EXPECT_FALSE(std::filesystem::exists(destination));
  }
}

}  // namespace
}  // namespace qb::jet
