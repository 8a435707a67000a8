// quill sql with row-returning statements: the header and rows it prints for every kind of
// value, parameters typed by their declarations, and the failures a user sees.
#include "quill_rows_fixture.h"

namespace qb::cli::test {
namespace {

TEST_F(QuillRowsTest, SqlPrintsEveryKindOfValue) {
  FillTable();
  EXPECT_EQ(Ok({"sql", Db(), "SELECT * FROM T"}), std::string(kHeader) + kRows);
  // Computed columns get their Jet names; an empty result is the header alone.
  EXPECT_EQ(Ok({"sql", Db(), "SELECT Amount * 2, Name & '!' AS Shout FROM T WHERE Id = 1"}), "Expr1000\tShout\n25\tAnn!\n");
  EXPECT_EQ(Ok({"sql", Db(), "SELECT Name FROM T WHERE Id > 99"}), "Name\n");
  // Action statements keep their count.
  EXPECT_EQ(Ok({"sql", Db(), "UPDATE T SET Qty = 1 WHERE Id > 1"}), "2 records affected\n");
}

TEST_F(QuillRowsTest, SqlParametersAreTypedByTheirDeclaration) {
  FillTable();
  const std::string by_date = "PARAMETERS [From] DateTime; SELECT Id FROM T WHERE Placed >= [From] ORDER BY Id";
  EXPECT_EQ(Ok({"sql", Db(), by_date, "--param", "from=2000-01-01"}), "Id\n1\n");
  EXPECT_EQ(Ok({"sql", Db(), "PARAMETERS p Bit; SELECT Id FROM T WHERE Paid = p ORDER BY Id", "--param", "p=no"}),
            "Id\n2\n3\n");
  // An undeclared name is a Text parameter.
  EXPECT_EQ(Ok({"sql", Db(), "SELECT Id FROM T WHERE Name = who", "--param", "who=Bob"}), "Id\n2\n");

  EXPECT_NE(Fails({"sql", Db(), by_date, "--param", "From=31/12/2000"}, 2).find("yyyy-mm-dd"), std::string::npos);
  EXPECT_NE(Fails({"sql", Db(), by_date, "--param", "To=2000-01-01"}, 2).find("no parameter 'To'"), std::string::npos);
  EXPECT_NE(Fails({"sql", Db(), by_date, "--param", "From"}, 2).find("NAME=VALUE"), std::string::npos);
  EXPECT_NE(Fails({"sql", Db(), by_date}).find("Too few parameters"), std::string::npos);
  EXPECT_NE(Fails({"sql", Db(), "SELECT * FROM Nowhere"}).find("Nowhere"), std::string::npos);
}

}  // namespace
}  // namespace qb::cli::test
