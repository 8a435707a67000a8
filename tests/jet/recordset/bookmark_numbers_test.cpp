// The numbers dynaset and snapshot bookmarks carry: distinct for every position of 2^31 rows,
// never given again after a Requery (the old rows' numbers are refused by the new rows), and a
// clear error when a recordset has used up every number. Positions in the millions are asked
// for directly; no rows are needed to number them.
#include <gtest/gtest.h>

#include <set>

#include "../engine_test_support.h"
#include "jet/base/errors.h"
#include "jet/recordset/bookmark_numbers.h"

namespace qb::jet::test {
namespace {

constexpr std::int64_t kTwoTo24 = std::int64_t{1} << 24;
constexpr std::int64_t kTwoTo31 = std::int64_t{1} << 31;

TEST(BookmarkNumbers, EveryPositionOfTwoTo31RowsHasItsOwnNumber) {
  BookmarkNumbers rows(std::make_shared<BookmarkSpace>());
  const std::int64_t positions[] = {0, 1, kTwoTo24 - 2, kTwoTo24 - 1, kTwoTo24, kTwoTo24 + 1, 2 * kTwoTo24,
                                    kTwoTo31 - 2, kTwoTo31 - 1};
  std::set<std::uint32_t> seen;
  for (std::int64_t pos : positions) {
    const std::uint32_t number = rows.NumberOf(pos);
    EXPECT_NE(number, 0u);
    EXPECT_TRUE(seen.insert(number).second) << pos;
    EXPECT_EQ(rows.PositionOf(number), pos);
    EXPECT_EQ(rows.NumberOf(pos), number);  // asked again: the same number
  }
  EXPECT_EQ(rows.PositionOf(0), std::nullopt);
  EXPECT_NE(rows.NumberOf(0), rows.NumberOf(kTwoTo24));
  EXPECT_EQ(ErrorOf([&] { rows.NumberOf(-1); }).number, err::kInvalidArgument);
}

TEST(BookmarkNumbers, RowsOfALaterRunNeverShareANumber) {
  auto space = std::make_shared<BookmarkSpace>();
  BookmarkNumbers first(space);
  const std::uint32_t a = first.NumberOf(5);
  BookmarkNumbers second(space);  // Requery
  const std::uint32_t b = second.NumberOf(5);
  EXPECT_NE(a, b);
  EXPECT_EQ(second.PositionOf(a), std::nullopt);
  EXPECT_EQ(first.PositionOf(b), std::nullopt);
  // The first rows (a clone's) number on after the second took numbers: a new run, both found.
  const std::uint32_t c = first.NumberOf(kTwoTo24 + 3);
  EXPECT_EQ(first.PositionOf(c), kTwoTo24 + 3);
  EXPECT_EQ(first.PositionOf(a), 5);
  EXPECT_EQ(second.PositionOf(c), std::nullopt);
  const std::uint32_t d = second.NumberOf(6);
  EXPECT_NE(d, first.NumberOf(6));
  EXPECT_EQ(second.PositionOf(d), 6);
  EXPECT_EQ(second.PositionOf(b), 5);
  EXPECT_EQ(first.PositionOf(d), std::nullopt);
}

TEST(BookmarkNumbers, AnExhaustedSpaceRaisesInsteadOfGivingANumberTwice) {
  auto space = std::make_shared<BookmarkSpace>(BookmarkSpace::kLast - 9);  // ten numbers left
  BookmarkNumbers rows(space);
  EXPECT_EQ(rows.NumberOf(9), BookmarkSpace::kLast);
  EXPECT_EQ(rows.PositionOf(static_cast<std::uint32_t>(BookmarkSpace::kLast)), 9);
  BookmarkNumbers requeried(space);
  EXPECT_EQ(ErrorOf([&] { requeried.NumberOf(0); }).number, err::kResourceExceeded);
  EXPECT_EQ(rows.NumberOf(3), BookmarkSpace::kLast - 6);  // numbers already given still work
}

}  // namespace
}  // namespace qb::jet::test
