// quill with values of the wrong type: a date given as a parameter's text finds its rows, text
// that is no number is refused by a statement, and db repair reports rows of an older file that
// hold a value of another type than their field instead of calling the file sound.
#include "jet/base/engine_settings.h"
#include "jet/sqlite/cipher_key.h"
#include "jet/sqlite/connection.h"
#include "quill_test.h"

namespace qb::cli::test {
namespace {

class QuillValueTypesTest : public QuillTest {
 protected:
  std::string Db() { return File("v.mdb"); }
  void SetUp() override {
    Ok({"db", "create", Db()});
    Ok({"sql", Db(), "CREATE TABLE Orders (Id COUNTER PRIMARY KEY, Amount DOUBLE, Placed DATETIME)"});
    Ok({"sql", Db(), "INSERT INTO Orders (Amount, Placed) VALUES (10, #1995-12-31#)"});
    Ok({"sql", Db(), "INSERT INTO Orders (Amount, Placed) VALUES (20, #1996-01-01#)"});
  }
};

TEST_F(QuillValueTypesTest, ADateGivenAsTextFindsItsRows) {
  Ok({"query", "create", Db(), "Since", "SELECT Id FROM Orders WHERE Placed >= [Since]"});
  EXPECT_EQ(Ok({"run", Db(), "Since", "--param", "Since=1996-01-01"}), "Id\n2\n");
  EXPECT_EQ(Ok({"sql", Db(), "SELECT Id FROM Orders WHERE Placed = '1995-12-31'"}), "Id\n1\n");
}

TEST_F(QuillValueTypesTest, TextThatIsNoNumberIsRefused) {
  EXPECT_THAT(Fails({"sql", Db(), "INSERT INTO Orders (Amount, Placed) VALUES ('1.2.3', '2001-02-30')"}),
              HasSubstr("Data type mismatch"));
  EXPECT_EQ(Ok({"sql", Db(), "SELECT Count(*) AS n FROM Orders"}), "n\n2\n");
}

TEST_F(QuillValueTypesTest, RepairReportsValuesOfAnotherTypeInAnOlderFile) {
  EXPECT_EQ(Ok({"db", "repair", Db()}), "The database is sound; nothing was changed.\n");
  {
    // The table as files written before every value was converted have it: any text goes in.
    jet::Connection raw(Db(), jet::OpenMode::kReadWrite, jet::CipherKey::None(), jet::EngineSettings::ForTests());
    raw.Exec("ALTER TABLE Orders RENAME TO Checked");
    raw.Exec("CREATE TABLE Orders (Id INTEGER PRIMARY KEY AUTOINCREMENT, Amount REAL, Placed REAL)");
    raw.Exec("INSERT INTO Orders SELECT * FROM Checked");
    raw.Exec("DROP TABLE Checked");
    raw.Exec("INSERT INTO Orders (Amount, Placed) VALUES ('12-34', 35065)");
  }
  const QuillRun run = Quill({"db", "repair", Db()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "Table 'Orders', field 'Amount': 1 row(s) hold a value of another type than the field's "
                     "(the first at row 3)\n");
  EXPECT_THAT(run.err, HasSubstr("values of another type"));
}

}  // namespace
}  // namespace qb::cli::test
