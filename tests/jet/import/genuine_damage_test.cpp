// Genuine files damaged where the reading library passes over what it cannot take apart: copies
// of the .accdb sample with one offset of a row changed. A user table or list of objects that
// reads short fails the import and leaves nothing behind; saved queries whose definitions read
// short, and indexes whose keys name no field, are listed as skipped rather than rebuilt from
// what was left.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "jet/base/errors.h"
#include "jet/dao/dbengine.h"
#include "jet/database/database_test_support.h"
#include "jet/import/import_database.h"

namespace qb::jet {
namespace {

using test::ErrorOf;

constexpr std::size_t kPage = 4096;
// The sample's "Asset Items" rows begin on page 44, the saved queries' definitions are on
// page 41; a page lists its rows' offsets from byte 0x0e.
constexpr std::size_t kAssetPage = 44 * kPage;
constexpr std::size_t kQueryPage = 41 * kPage;
constexpr std::size_t kRowOffsets = 0x0e;
// The first "Asset Items" row ends with its variable fields' offsets: the first begins its
// first such field ("Asset No"), the second ends it.
constexpr std::size_t kAssetFieldStart = kAssetPage + 0xffa;
constexpr std::size_t kAssetFieldEnd = kAssetPage + 0xff8;
// The same in the first row of the query definitions: the end of its Order (Binary) value;
// and the start of the fourth row's.
constexpr std::size_t kQueryOrderEnd = kQueryPage + 0xff9;
constexpr std::size_t kQueryOrderStart = kQueryPage + 0xfa1;
// The same in the row of the list of objects (page 17) that lists "Asset Items".
constexpr std::size_t kCatalogEntryFieldEnd = 17 * kPage + 0x365;

std::uint16_t GetU16(const std::string& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                    static_cast<unsigned char>(bytes[at + 1]) << 8);
}

void PutU16(std::string& bytes, std::size_t at, std::uint16_t value) {
  bytes[at] = static_cast<char>(value & 0xff);
  bytes[at + 1] = static_cast<char>(value >> 8);
}

std::vector<std::string> FilesIn(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// The Jet 3 sample's relationships are on page 591 (2048 bytes a page, row offsets from 0x0a);
// its first row's first field begins where the byte before the row's null mask and count of
// variable fields says.
constexpr std::size_t kRelationPage = 591 * 2048;
constexpr std::size_t kRelationFieldStart = kRelationPage + 0x7fd;

// Why SUMMARY lists WHAT as skipped ("" when it does not).
std::string SkippedReason(const ImportSummary& summary, const std::string& what) {
  const auto listed = std::find_if(summary.skipped.begin(), summary.skipped.end(),
                                   [&](const auto& item) { return item.first == what; });
  return listed == summary.skipped.end() ? std::string() : listed->second;
}

class GenuineDamageTest : public test::DatabaseTestBase {
 protected:
  // The sample SAMPLE with the 16-bit value at AT (which holds WAS) replaced by VALUE.
  std::string Patched(std::size_t at, std::uint16_t was, std::uint16_t value,
                      const std::string& sample = "ASampleDatabase.accdb") {
    std::string bytes = qb::test::ReadFileBytes(qb::test::TestDataPath("jet/" + sample));
    EXPECT_EQ(GetU16(bytes, at), was);
    PutU16(bytes, at, value);
    std::filesystem::create_directories(dir_.File("sources"));
    const std::string path = dir_.File("sources/patched" + std::to_string(++patched_) + "." + sample);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    return path;
  }
  int patched_ = 0;
};

// A table that reads short, or a list of objects that does (the table it lists would be left
// out), fails the import.
TEST_F(GenuineDamageTest, ATableOrListOfObjectsThatReadsShortFailsTheImport) {
  const struct {
    const char* name;
    std::size_t at;
    std::uint16_t was, value;
    const char* message;
  } cases[] = {
      {"a row placed past its page's rows", kAssetPage + kRowOffsets + 2 * 3, 0x0df1, 0x0ff0,
       "'Asset Items' holds 65 rows, but only 63"},
      {"a field placed past its row's end", kAssetFieldEnd, 29, 0x0400, "'Asset Items' holds 65 rows, but only 64"},
      // Rows the library reads, with a value it takes from the wrong bytes.
      {"a field placed over its row's count of fields", kAssetFieldStart, 22, 0,
       "row 1 of 'Asset Items': a value of 'Asset No' lies outside its row"},
      {"a field that ends before it begins", kAssetFieldEnd, 29, 20,
       "row 1 of 'Asset Items': a value of 'Asset No' lies outside its row"},
      {"the table's entry in the list of objects", kCatalogEntryFieldEnd, 54, 0x0f00,
       "list of objects holds 47 entries, but only 46"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string source = Patched(c.at, c.was, c.value);
    std::filesystem::create_directories(dir_.File("out"));
    const std::string destination = dir_.File("out/damaged.mdb");
    const auto error = ErrorOf([&] { engine_->ImportDatabase(source, destination); });
    EXPECT_EQ(error.number, err::kUnrecognisedFile) << error.message;
    EXPECT_NE(error.message.find(c.message), std::string::npos) << error.message;
    EXPECT_NE(error.message.find("damaged"), std::string::npos) << error.message;
    EXPECT_TRUE(FilesIn(dir_.File("out")).empty());
  }
}

TEST_F(GenuineDamageTest, SavedQueriesWhoseDefinitionsReadShortAreListedAsSkipped) {
  const ImportSummary whole = engine_->ImportDatabase(qb::test::TestDataPath("jet/ASampleDatabase.accdb"),
                                                      dir_.File("whole.mdb"));
  ASSERT_GT(whole.queries, 0);

  const struct {
    const char* name;
    std::size_t at;
    std::uint16_t was, value;
  } cases[] = {
      {"a definition's Order placed past its row's end", kQueryOrderEnd, 17, 0x0400},
      {"a definition row placed past its page's rows", kQueryPage + kRowOffsets + 2 * 3, 0x0f72, 0x0ff0},
      {"a definition's Order placed over its row's count of fields", kQueryOrderStart, 13, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string destination = dir_.File("queries" + std::to_string(patched_) + ".mdb");
    const ImportSummary summary = engine_->ImportDatabase(Patched(c.at, c.was, c.value), destination);
    // The tables are whole; no query is rebuilt from part of its definition.
    ASSERT_EQ(summary.tables.size(), 1u);
    EXPECT_EQ(summary.tables[0].rows, 65);
    EXPECT_EQ(summary.queries, 0);
    int listed = 0;
    for (const auto& [what, why] : summary.skipped) {
      if (what.rfind("query ", 0) != 0) continue;
      ++listed;
      EXPECT_NE(why.find("the file is damaged"), std::string::npos) << what << ": " << why;
    }
    EXPECT_GE(listed, whole.queries);
  }
}

// The "Asset Items" primary key's definition names its first key field at this offset (the
// table's definition is on page 42; its one real index begins at 634, the key fields 4 later).
constexpr std::size_t kAssetKeyField = 42 * kPage + 634 + 4;

TEST_F(GenuineDamageTest, AnIndexWhoseKeyNamesNoFieldIsListedAsSkipped) {
  const ImportSummary summary =
      engine_->ImportDatabase(Patched(kAssetKeyField, 0, 0x00f0), dir_.File("keyless.mdb"));
  // The rows arrive whole; the key is not made on another field, nor dropped without a word.
  ASSERT_EQ(summary.tables.size(), 1u);
  EXPECT_EQ(summary.tables[0].rows, 65);
  EXPECT_EQ(summary.tables[0].indexes, 0);
  const std::string why = SkippedReason(summary, "index PrimaryKey of table Asset Items");
  EXPECT_NE(why.find("the file is damaged"), std::string::npos) << why;
}

TEST_F(GenuineDamageTest, RelationshipsThatReadShortAreListedAsSkipped) {
  const ImportSummary whole = engine_->ImportDatabase(qb::test::TestDataPath("jet/nwind.mdb"), dir_.File("whole.mdb"));
  ASSERT_GT(whole.relations, 0);

  const struct {
    const char* name;
    std::size_t at;
    std::uint16_t was, value;
  } cases[] = {
      {"a row placed past its page's rows", kRelationPage + 0x0a + 2 * 3, 0x06dc, 0x07f0},
      // One byte an offset: the byte after is the count of variable fields.
      {"a field placed over its row's count of fields", kRelationFieldStart, 0x050d, 0x0500},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string destination = dir_.File("relations" + std::to_string(patched_) + ".mdb");
    const ImportSummary summary = engine_->ImportDatabase(Patched(c.at, c.was, c.value, "nwind.mdb"), destination);
    EXPECT_EQ(summary.tables.size(), whole.tables.size());
    EXPECT_EQ(summary.relations, 0);
    const std::string why = SkippedReason(summary, "relationships");
    EXPECT_NE(why.find("the file is damaged"), std::string::npos) << why;
  }
}

}  // namespace
}  // namespace qb::jet
