// The fixture of the row commands' tests: a database with one table of every column type,
// filled through quill itself, and the lines quill prints for it.
#pragma once
#include "quill_test.h"

namespace qb::cli::test {

class QuillRowsTest : public QuillTest {
 protected:
  void SetUp() override {
    Ok({"db", "create", Db()});
    Ok({"sql", Db(),
        "CREATE TABLE T (Id COUNTER, Name TEXT(20), Notes MEMO, Qty SHORT, Tiny BYTE, Amount CURRENCY, "
        "Ratio SINGLE, Big DOUBLE, Placed DATETIME, Paid BIT, Pic LONGBINARY)"});
  }
  void Insert(const std::string& statement) { EXPECT_EQ(Ok({"sql", Db(), statement}), "1 records affected\n"); }
  // Two rows of every kind of value, and one of Nulls.
  void FillTable() {
    Insert("INSERT INTO T (Name, Notes, Qty, Tiny, Amount, Ratio, Big, Placed, Paid) VALUES "
           "('Ann', 'line one', -3, 255, 12.5, 0.1, 0.30000000000000004, #2024-02-29 13:05:09#, True)");
    EXPECT_EQ(Ok({"sql", Db(), "PARAMETERS p LongBinary, d DateTime; INSERT INTO T (Name, Amount, Big, Placed, Pic) "
                               "VALUES ('Bob', 3, 1e300, d, p)",
                  "--param", "p=0x00Ab10", "--param", "d=1999-12-31"}),
              "1 records affected\n");
    Insert("INSERT INTO T (Placed, Amount) VALUES (#08:30:00#, -0.0001)");
  }
  std::string Db() const { return File("a.mdb"); }
};

inline constexpr const char* kHeader = "Id\tName\tNotes\tQty\tTiny\tAmount\tRatio\tBig\tPlaced\tPaid\tPic\n";
inline constexpr const char* kRows =
    "1\tAnn\tline one\t-3\t255\t12.5\t0.1\t0.30000000000000004\t2024-02-29 13:05:09\tTrue\t\n"
    "2\tBob\t\t\t\t3\t\t1e+300\t1999-12-31\tFalse\t0x00AB10\n"
    "3\t\t\t\t\t-0.0001\t\t\t08:30:00\tFalse\t\n";

}  // namespace qb::cli::test
