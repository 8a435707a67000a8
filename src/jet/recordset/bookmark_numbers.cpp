// jet/recordset/bookmark_numbers: runs of consecutive numbers, found by binary search.
#include "jet/recordset/bookmark_numbers.h"

#include <algorithm>

#include "jet/base/errors.h"

namespace qb::jet {

std::uint32_t BookmarkNumbers::NumberOf(std::int64_t pos) {
  if (pos < 0) RaiseJetError(err::kInvalidArgument, "A bookmark names a record, not a place before the first one.");
  if (pos >= numbered_) {
    const std::int64_t needed = pos + 1 - numbered_;
    if (static_cast<std::uint64_t>(needed) > BookmarkSpace::kLast + 1 - space_->next_) {
      RaiseJetError(err::kResourceExceeded,
                    "The recordset has given all the bookmarks it can; open it again for new ones.");
    }
    if (!runs_.empty() && runs_.back().first_number + static_cast<std::uint64_t>(runs_.back().count) == space_->next_) {
      runs_.back().count += needed;
    } else {
      runs_.push_back({numbered_, space_->next_, needed});
    }
    space_->next_ += static_cast<std::uint64_t>(needed);
    numbered_ = pos + 1;
  }
  auto run = std::upper_bound(runs_.begin(), runs_.end(), pos,
                              [](std::int64_t p, const Run& r) { return p < r.first_pos; });
  --run;  // positions start at 0, so some run starts at or before POS
  return static_cast<std::uint32_t>(run->first_number + static_cast<std::uint64_t>(pos - run->first_pos));
}

std::optional<std::int64_t> BookmarkNumbers::PositionOf(std::uint32_t number) const {
  auto run = std::upper_bound(runs_.begin(), runs_.end(), std::uint64_t{number},
                              [](std::uint64_t n, const Run& r) { return n < r.first_number; });
  if (run == runs_.begin()) return std::nullopt;
  --run;
  const std::uint64_t offset = number - run->first_number;
  if (offset >= static_cast<std::uint64_t>(run->count)) return std::nullopt;
  return run->first_pos + static_cast<std::int64_t>(offset);
}

}  // namespace qb::jet
