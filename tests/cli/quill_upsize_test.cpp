// quill upsize onto the private PostgreSQL server: tables arrive with their types, keys, indexes,
// required rules and exact rows; what the server cannot be given is listed; a failure part way
// leaves nothing on the server. The rows take the server's bulk copy on a second connection made
// with the data source's own values (a DSN's too), and INSERT statements where that connection
// cannot be made.
#include <fstream>

#include "quill_upsize_fixture.h"

namespace qb::cli::test {
namespace {

class QuillUpsizeTest : public QuillUpsizeFixture {
 protected:
  QuillUpsizeTest() : QuillUpsizeFixture("shop.mdb", {"UpCustomers", "UpOrders"}) {}
  void SetUp() override {
    QuillUpsizeFixture::SetUp();
    if (IsSkipped()) return;
    Ok({"sql", File("shop.mdb"),
        "CREATE TABLE UpCustomers (ID LONG CONSTRAINT pk PRIMARY KEY, Name TEXT(40) NOT NULL, Balance CURRENCY, "
        "Joined DATETIME, Vip BIT, Photo LONGBINARY, Notes MEMO, Ratio DOUBLE)"});
    Ok({"sql", File("shop.mdb"), "CREATE UNIQUE INDEX ByName ON UpCustomers (Name DESC)"});
    Ok({"sql", File("shop.mdb"),
        "INSERT INTO UpCustomers (ID, Name, Balance, Joined, Vip, Ratio, Notes) VALUES "
        "(1, 'Ann', 1234567.8901, #2001-02-03 04:05:06#, True, 0.1, 'Gr\xC3\xBC\xC3\x9F\x65')"});
    Ok({"sql", File("shop.mdb"), "INSERT INTO UpCustomers (ID, Name, Balance) VALUES (2, 'Bob', -0.0001)"});
  }
};

TEST_F(QuillUpsizeTest, CopiesTablesExactly) {
  Ok({"sql", File("shop.mdb"), "CREATE TABLE UpOrders (N LONG, Customer LONG NOT NULL, Amount CURRENCY)"});
  Ok({"sql", File("shop.mdb"), "ALTER TABLE UpOrders ADD CONSTRAINT toCustomer FOREIGN KEY (Customer) REFERENCES UpCustomers (ID)"});
  const std::string out = Ok({"upsize", File("shop.mdb"), connect_});
  EXPECT_NE(out.find("UpCustomers: 2 rows\nUpOrders: 0 rows\n"), std::string::npos) << out;
  EXPECT_NE(out.find("Not carried over:\n  relationship toCustomer"), std::string::npos) << out;
  EXPECT_EQ(Ok({"sql", connect_,
                "SELECT \"ID\", \"Name\", \"Balance\", \"Joined\", \"Vip\", \"Notes\" FROM \"UpCustomers\" ORDER BY 1"}),
            "ID\tName\tBalance\tJoined\tVip\tNotes\n"
            "1\tAnn\t1234567.8901\t2001-02-03 04:05:06\tTrue\tGr\xC3\xBC\xC3\x9F\x65\n"
            "2\tBob\t-0.0001\t\tFalse\t\n");
  // The key, the unique index and the required rule hold on the server.
  for (const char* statement : {"INSERT INTO \"UpCustomers\" (\"ID\", \"Name\") VALUES (1, 'Other')",
                                "INSERT INTO \"UpCustomers\" (\"ID\", \"Name\") VALUES (3, 'Ann')",
                                "INSERT INTO \"UpCustomers\" (\"ID\") VALUES (4)"}) {
    EXPECT_NE(Fails({"sql", connect_, statement}).find("[23"), std::string::npos) << statement;
  }
}

TEST_F(QuillUpsizeTest, AFailurePartWayLeavesNothing) {
  Ok({"sql", File("shop.mdb"), "CREATE TABLE UpOrders (N LONG, Amount CURRENCY)"});
  Ok({"sql", File("shop.mdb"), "INSERT INTO UpOrders VALUES (1, 5)"});
  Ok({"sql", connect_, "CREATE TABLE \"UpOrders\" (x integer)"});  // taken: the second table fails
  const std::string refused = Fails({"upsize", File("shop.mdb"), connect_, "UpCustomers", "UpOrders"});
  EXPECT_NE(refused.find("UpOrders"), std::string::npos) << refused;
  EXPECT_NE(Fails({"sql", connect_, "SELECT * FROM \"UpCustomers\""}).find("[42P01]"), std::string::npos)
      << "the first table was taken back";
}

// A data source named in the user's ODBC settings: the second connection takes the server,
// database, user and password the driver read there.
TEST_F(QuillUpsizeTest, ADataSourceNameLeadsTheBulkCopyToItsServer) {
  const std::string settings = File("odbc.ini");
  std::ofstream(settings) << "[ODBC Data Sources]\nqbup = private server\n\n[qbup]\nDriver = "
                                     << server_->driver << "\nServername = " << server_->socket_dir
                                     << "\nPort = 5432\nDatabase = postgres\nUsername = " << server_->user
                                     << "\nPassword = " << server_->password << "\n";
  const QuillRun run = Quill({"upsize", File("shop.mdb"), "ODBC;DSN=qbup", "UpCustomers"}, {{"ODBCINI", settings}});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, "UpCustomers: 2 rows\nRows sent by bulk copy.\n");
  EXPECT_EQ(Ok({"sql", connect_, "SELECT count(*) FROM \"UpCustomers\" WHERE \"Notes\" = 'Gr\xC3\xBC\xC3\x9F\x65'"}),
            "count\n1\n");
}

// A user allowed one connection: the second is refused, the rows go as INSERT statements on the
// first, and a line on the error output says so (without the password).
TEST_F(QuillUpsizeTest, WithoutASecondConnectionTheRowsGoAsInsertStatements) {
  const std::string password = "only-0ne-c0nnection";
  Quill({"sql", connect_, "DROP ROLE IF EXISTS upsize_single"});
  Ok({"sql", connect_, "CREATE ROLE upsize_single LOGIN CONNECTION LIMIT 1 PASSWORD '" + password + "'"});
  Ok({"sql", connect_, "GRANT CREATE ON SCHEMA public TO upsize_single"});
  std::string single = connect_;
  single.replace(single.find("UID=") + 4, server_->user.size(), "upsize_single");
  single.replace(single.find("PWD={") + 5, server_->password.size(), password);
  const QuillRun run = Quill({"upsize", File("shop.mdb"), single, "UpCustomers"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "UpCustomers: 2 rows\nRows sent by INSERT statements.\n");
  EXPECT_THAT(run.err, HasSubstr("rows go as INSERT statements: the server refused a second connection"));
  EXPECT_THAT(run.err, HasSubstr("upsize_single"));
  EXPECT_THAT(run.err, ::testing::Not(HasSubstr(password)));
  EXPECT_EQ(Ok({"sql", connect_, "SELECT sum(\"ID\"), min(\"Name\") FROM \"UpCustomers\""}), "sum\tmin\n3\tAnn\n");
  for (const char* statement : {"DROP TABLE \"UpCustomers\"", "REVOKE CREATE ON SCHEMA public FROM upsize_single",
                                "DROP ROLE upsize_single"}) {
    Ok({"sql", connect_, statement});
  }
}

}  // namespace
}  // namespace qb::cli::test
