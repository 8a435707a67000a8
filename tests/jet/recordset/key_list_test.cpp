// KeyList: the compact list of a keyset's rowids gives back exactly what was put in, by
// position and by key, in its compact form, after turning into a plain list, after being cut
// short, and with keys replaced.
#include "jet/recordset/key_list.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <vector>

namespace qb::jet::test {
namespace {

// Stretches of consecutive rowids separated by gaps; SCATTER of 0 .. 100 is the share (in
// percent) of keys that jump instead of following on.
std::vector<std::int64_t> Rowids(std::size_t count, int scatter, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<std::int64_t> keys;
  std::int64_t key = 1;
  for (std::size_t i = 0; i < count; ++i) {
    keys.push_back(key);
    key += static_cast<int>(random() % 100) < scatter ? 2 + static_cast<std::int64_t>(random() % 50) : 1;
  }
  return keys;
}

void ExpectSame(const KeyList& list, const std::vector<std::int64_t>& keys) {
  ASSERT_EQ(list.size(), keys.size());
  for (std::size_t pos = 0; pos < keys.size(); ++pos) ASSERT_EQ(list[pos], keys[pos]) << "at " << pos;
  if (!keys.empty()) {
    EXPECT_EQ(list.back(), keys.back());
  }
}

TEST(KeyListTest, GivesBackEveryKeyByPositionWhateverTheirSpread) {
  for (int scatter : {0, 1, 30, 70, 100}) {
    SCOPED_TRACE(scatter);
    const auto keys = Rowids(5000, scatter, 7u + static_cast<unsigned>(scatter));
    KeyList list;
    for (std::size_t i = 0; i < keys.size(); ++i) {
      list.push_back(keys[i]);
      // Checked as it grows, across the change to one key at a time.
      if (i % 997 == 0 || i + 1 == keys.size()) {
        ExpectSame(list, std::vector<std::int64_t>(keys.begin(), keys.begin() + static_cast<long>(i) + 1));
      }
    }
  }
  // Keys in no order at all, and the ends of the rowid range next to each other.
  KeyList odd;
  const std::vector<std::int64_t> keys = {5, 4, 3, std::numeric_limits<std::int64_t>::max(),
                                          std::numeric_limits<std::int64_t>::min(), -1, 0, 1, 2, 9, 9};
  for (std::int64_t key : keys) odd.push_back(key);
  ExpectSame(odd, keys);
}

TEST(KeyListTest, FindsAscendingKeysOnlyAmongTheFirstOnes) {
  for (int scatter : {0, 5, 100}) {
    SCOPED_TRACE(scatter);
    const auto keys = Rowids(3000, scatter, 11u);
    KeyList list;
    for (std::int64_t key : keys) list.push_back(key);
    // Keys added after LIMIT need not ascend: they must not confuse the search.
    for (std::int64_t key : {keys.back() + 5, std::int64_t{3}, keys[10]}) list.push_back(key);
    const std::size_t limit = keys.size();
    for (std::size_t pos = 0; pos < keys.size(); pos += 37) {
      EXPECT_EQ(list.FindAscending(keys[pos], limit), pos);
      EXPECT_EQ(list.FindAscending(keys[pos], pos), std::nullopt);  // beyond the limit
      if (pos + 1 < keys.size() && keys[pos + 1] > keys[pos] + 1) {
        EXPECT_EQ(list.FindAscending(keys[pos] + 1, limit), std::nullopt);  // in a gap
      }
    }
    EXPECT_EQ(list.FindAscending(0, limit), std::nullopt);
    EXPECT_EQ(list.FindAscending(keys.back() + 1, limit), std::nullopt);
    EXPECT_EQ(list.FindAscending(keys.back() + 5, limit), std::nullopt);
    EXPECT_EQ(list.FindAscending(keys.back() + 5, limit + 1), limit);
  }
}

TEST(KeyListTest, CutShortItGoesOnFromTheLastKeyKept) {
  for (int scatter : {0, 100}) {
    SCOPED_TRACE(scatter);
    auto keys = Rowids(2000, scatter, 3u);
    KeyList list;
    for (std::int64_t key : keys) list.push_back(key);
    for (std::size_t keep : {std::size_t{1500}, std::size_t{700}, std::size_t{1}, std::size_t{0}}) {
      list.truncate(keep);
      keys.resize(keep);
      ExpectSame(list, keys);
    }
    for (std::int64_t key : {std::int64_t{40}, std::int64_t{41}, std::int64_t{42}, std::int64_t{7}}) {
      list.push_back(key);
      keys.push_back(key);
    }
    ExpectSame(list, keys);
    list.clear();
    EXPECT_TRUE(list.empty());
  }
}

TEST(KeyListTest, AKeyReplacedChangesThatPositionOnly) {
  for (int scatter : {0, 100}) {
    SCOPED_TRACE(scatter);
    auto keys = Rowids(1000, scatter, 5u);
    KeyList list;
    for (std::int64_t key : keys) list.push_back(key);
    // Inside a stretch, at its first and last key, at both ends of the list, and far below.
    for (std::size_t pos : {std::size_t{500}, std::size_t{0}, std::size_t{999}, std::size_t{501}, std::size_t{499}}) {
      const std::int64_t key = -(std::int64_t{1} << 62) + static_cast<std::int64_t>(pos);
      list.replace(pos, key);
      keys[pos] = key;
      ExpectSame(list, keys);
    }
    // Appending goes on after the replaced last key.
    list.push_back(keys.back() + 1);
    keys.push_back(keys.back() + 1);
    ExpectSame(list, keys);
  }
  // Enough replacements to turn stretches into single keys on the way.
  KeyList many;
  std::vector<std::int64_t> keys;
  for (std::int64_t key = 1; key <= 400; ++key) {
    many.push_back(key);
    keys.push_back(key);
  }
  for (std::size_t pos = 3; pos < keys.size(); pos += 3) {
    many.replace(pos, -static_cast<std::int64_t>(pos));
    keys[pos] = -static_cast<std::int64_t>(pos);
  }
  ExpectSame(many, keys);
}

}  // namespace
}  // namespace qb::jet::test
