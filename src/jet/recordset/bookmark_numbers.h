// jet/recordset/bookmark_numbers: the numbers the bookmarks of dynasets, snapshots and their
// clones carry (a 4-byte array, as Jet's). A table-type recordset's bookmark is its rowid instead.
//
// Every record a recordset reaches gets its number when its bookmark is first asked for, and a
// number is never given twice in the life of a recordset and its clones: the rows of each run of
// the source (opening, every Requery, in any of them) are numbered on from where the numbers
// stand, so a bookmark from before a Requery names nothing in the new rows and is refused.
// Limits: 2^32 - 1 numbers in all for a recordset and its clones, enough for 2^31 positions
// twice over; each Requery uses only as many as the highest position bookmarked in the rows it
// replaces (usually a handful). Asking beyond the last number raises kResourceExceeded.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace qb::jet {

// The numbers of a recordset and its clones: the next one to give.
class BookmarkSpace {
 public:
  static constexpr std::uint64_t kLast = 0xFFFFFFFFu;  // 0 is never a bookmark
  // FIRST (1 by default; a higher one lets a test reach the last numbers quickly).
  explicit BookmarkSpace(std::uint64_t first = 1) : next_(first) {}

 private:
  friend class BookmarkNumbers;
  std::uint64_t next_;
};

// The numbers of one run of the source: position -> number and back.
class BookmarkNumbers {
 public:
  explicit BookmarkNumbers(std::shared_ptr<BookmarkSpace> space) : space_(std::move(space)) {}

  // The number of position POS (from 0); positions up to POS not numbered yet get theirs now.
  // kResourceExceeded when the space has no numbers left for them; kInvalidArgument for POS < 0.
  std::uint32_t NumberOf(std::int64_t pos);
  // The position NUMBER names in these rows, or nullopt when these rows never gave it.
  std::optional<std::int64_t> PositionOf(std::uint32_t number) const;

  const std::shared_ptr<BookmarkSpace>& Space() const { return space_; }

 private:
  // Positions FIRST_POS .. FIRST_POS + COUNT - 1 carry FIRST_NUMBER onwards. Runs follow each
  // other in positions and in numbers; a new one starts when a clone's rows took numbers between.
  struct Run {
    std::int64_t first_pos;
    std::uint64_t first_number;
    std::int64_t count;
  };
  std::shared_ptr<BookmarkSpace> space_;
  std::vector<Run> runs_;
  std::int64_t numbered_ = 0;  // positions 0 .. numbered_ - 1 have numbers
};

}  // namespace qb::jet
