// quill import as a user runs it: the summary of a genuine file's tables, rows and what was left
// out; only the named tables; and a cut-short file failing with one line and no destination.
#include <fstream>

#include "quill_test.h"

namespace qb::cli::test {
namespace {

using QuillImportTest = QuillTest;

std::string Genuine(const std::string& name) { return qb::test::TestDataPath("jet/" + name); }

TEST_F(QuillImportTest, ImportsAndSummarises) {
  const std::string out = Ok({"import", Genuine("ASampleDatabase.accdb"), File("a.mdb")});
  EXPECT_THAT(out, HasSubstr("Table 'Asset Items': 65 rows, 1 indexes\n"));
  EXPECT_THAT(out, HasSubstr("Imported 1 tables, 65 rows, 0 relationships, 3 queries; skipped 0.\n"));
  EXPECT_THAT(Ok({"queries", File("a.mdb")}), HasSubstr("qryCostsSummedByOwner"));
  EXPECT_EQ(Ok({"tables", File("a.mdb")}), "Asset Items\n");
  EXPECT_THAT(Ok({"schema", File("a.mdb")}), HasSubstr("CREATE INDEX [PrimaryKey] ON [Asset Items] ([Asset No]) WITH PRIMARY;"));

  EXPECT_EQ(Ok({"import", Genuine("DateTestDatabase.mdb"), File("d.mdb"), "--table", "datetest"}),
            "Table 'DateTest': 6 rows, 0 indexes\nImported 1 tables, 6 rows, 0 relationships, 0 queries; skipped 0.\n");
  EXPECT_THAT(Fails({"import", Genuine("DateTestDatabase.mdb"), File("d.mdb")}), HasSubstr("already exists"));
  EXPECT_THAT(Fails({"import", Genuine("DateTestDatabase.mdb")}, 2), HasSubstr("import"));
}

TEST_F(QuillImportTest, ACutShortFileLeavesNothing) {
  const std::string whole = qb::test::ReadFileBytes(Genuine("DateTestDatabase.mdb"));
  {
    std::ofstream(File("cut.mdb"), std::ios::binary) << whole.substr(0, 3000);
  }
  EXPECT_THAT(Fails({"import", File("cut.mdb"), File("out.mdb")}), HasSubstr("cut short"));
  EXPECT_EQ(FolderNames(dir_.Path()), (std::vector<std::string>{"cut.mdb"}));
}

}  // namespace
}  // namespace qb::cli::test
