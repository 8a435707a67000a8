// quill under a locale with a decimal comma in its environment: statements with decimal
// literals, decimal parameters and the numbers it prints are the same as under any locale.
#include "quill_rows_fixture.h"
#include "support/comma_locale.h"

namespace qb::cli::test {
namespace {

TEST_F(QuillRowsTest, NumbersDoNotDependOnTheLocale) {
  const std::string name = qb::test::CommaLocaleName();
  if (name.empty()) GTEST_SKIP() << qb::test::kCommaLocaleMissing;
  const Env comma = {{"LC_ALL", name}, {"LANG", name}};
  EXPECT_EQ(Ok({"sql", Db(),
                "INSERT INTO T (Name, Amount, Ratio, Big, Placed) VALUES "
                "('Ann', 12.5, 0.25, 2.5e-3, #2024-02-29 13:05:09#)"},
               comma),
            "1 records affected\n");
  EXPECT_EQ(Ok({"sql", Db(), "UPDATE T SET Big = Big * 1.5, Amount = Amount + 0.75 WHERE Ratio < 0.5"}, comma),
            "1 records affected\n");
  EXPECT_EQ(Ok({"sql", Db(), "PARAMETERS p Double; SELECT Name, Amount, Ratio, Big FROM T WHERE Big > p", "--param",
                "p=0.003"},
               comma),
            "Name\tAmount\tRatio\tBig\nAnn\t13.25\t0.25\t0.00375\n");
  EXPECT_EQ(Ok({"sql", Db(), "SELECT Name FROM T WHERE Placed = #2024-02-29 13:05:09#"}, comma), "Name\nAnn\n");
}

}  // namespace
}  // namespace qb::cli::test
