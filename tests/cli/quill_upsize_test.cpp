// quill upsize onto the private PostgreSQL server: tables arrive with their types, keys, indexes,
// required rules and exact rows; what the server cannot be given is listed; a failure part way
// leaves nothing on the server.
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

}  // namespace
}  // namespace qb::cli::test
