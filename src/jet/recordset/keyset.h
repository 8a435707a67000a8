// jet/recordset/keyset: the ordered rows of a recordset as positions 0 .. n-1, learnt from its
// RowSource a slice at a time as positions are reached. Keyed sources keep only the base rowids
// and read each row's values when it is reached (in short runs of ascending rowids), so a row
// shows the changes made to it since; a row gone meanwhile reads as deleted. Other sources keep
// the values they returned (a fixed copy). Holds no statement between calls. Rowids are held
// compactly (KeyList): a table walked in rowid order costs next to nothing per row. A source
// read by position (RowSource::Positioned) holds only a window of rows and is counted, not
// read, to its end.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <unordered_map>
#include <vector>

#include "com/variant.h"
#include "jet/recordset/key_list.h"
#include "jet/recordset/prepared_sql.h"

namespace qb::jet {

class RowSource;

class Keyset {
 public:
  // DISCARD_BEHIND: rows of an unkeyed source before the last one reached may be dropped (a
  // forward-only reader never returns to them).
  Keyset(RowSource& source, bool discard_behind);

  // For a source that is every row of its base table in rowid order: keys are then learnt with
  // the values of their run in one short statement that starts after the last key known (no
  // rows skipped again), and positions are found by binary search. READ_STAMP gives the file's
  // stamp now (the values' stamp). REQUIRES: a keyed source, nothing loaded yet.
  void FollowRowidOrder(std::function<DataStamp()> read_stamp);
  // For any other keyed source, read in slices by offset: READ_STAMP gives the file's stamp
  // now. When it changed since the last slice, the offset may no longer count the rows already
  // learnt (rows deleted, inserted or moved meanwhile), so the next slice is learnt from the
  // source's first row again, keeping only keys not known yet. REQUIRES: a keyed source,
  // nothing loaded yet.
  void RelearnOnChange(std::function<DataStamp()> read_stamp);

  // Loads rows until position POS is known or the source ends; true when POS exists.
  bool Reach(std::int64_t pos);
  // Loads every remaining row (keys only for keyed sources).
  void LoadAll();
  bool Complete() const { return complete_; }
  // Changes whenever pointers ValuesAt returned may have gone stale.
  std::uint64_t Generation() const { return generation_; }
  std::int64_t Known() const { return known_; }  // positions known so far

  // The rowid at POS. REQUIRES: keyed source, POS known.
  std::int64_t KeyAt(std::int64_t pos) const { return keys_[static_cast<std::size_t>(pos)]; }
  // The position of the row with rowid KEY, loading as needed; nullopt when it is not in the
  // set. REQUIRES: keyed source.
  std::optional<std::int64_t> PositionOf(std::int64_t key);

  // The values at POS as of STAMP (re-read when the file changed since they were read);
  // nullptr when the row has been deleted. REQUIRES: POS known (and not discarded).
  const std::vector<Variant>* ValuesAt(std::int64_t pos, const DataStamp& stamp);
  // The values at POS when they are already held (read with the run around an earlier
  // position, or a fixed copy), without looking at the file; nullptr otherwise.
  const std::vector<Variant>* HeldValuesAt(std::int64_t pos) const;
  // A positioned source has a row added after its last: its position.
  std::int64_t AppendPositioned();
  // A positioned source's row POS was written: it holds VALUES from now on when held.
  void RewriteHeld(std::int64_t pos, const std::vector<Variant>& values);
  // Marks POS as deleted (a hole: it keeps its position).
  void MarkDeleted(std::int64_t pos);
  bool IsDeleted(std::int64_t pos) const;
  // Gives the record at POS the key KEY from now on (its values are read again). Positions
  // are kept. REQUIRES: keyed source, POS known, not a source in rowid order.
  void ReplaceKey(std::int64_t pos, std::int64_t key);
  // Appends a new base row at the end (loading the rest first, so positions stay stable).
  // REQUIRES: keyed source.
  std::int64_t Append(std::int64_t key);
  // For a reader that went through the source in order by itself: KEY is the source's row at
  // position Known() (appended), and EndOfSource says the source has no more rows.
  // REQUIRES: keyed source, not complete.
  void Learn(std::int64_t key);
  // For such a reader: true when the file changed since the keys were learnt by offset, so the
  // source's offsets may no longer be the positions known (Reach and LoadAll learn again).
  bool OffsetsStale();
  void EndOfSource() { complete_ = true; }
  // Positions taken from the source (the rest are own additions).
  std::int64_t FromSource() const { return from_source_; }
  // Forgets everything: the next Reach starts from the source's first row again.
  void Clear();

 private:
  std::int64_t NextSliceSize() const;
  void LoadWindow(std::int64_t pos, const DataStamp& stamp);
  // Keyed, by offset: learns the next WANT rows of the source (WANT < 0: all the rest); true
  // when the source ended.
  bool LoadKeySlice(std::int64_t want);
  void IndexKnown();  // positions_ covers every known position
  // A positioned source: rows FIRST .. FIRST + WANT - 1 become the rows held; returns how many
  // the source had.
  std::int64_t LoadPositioned(std::int64_t first, std::int64_t want);
  // Rowid order: the next run of rows after the last key known, keys and values.
  void LoadNextRun();
  std::optional<std::int64_t> FindAscending(std::int64_t key) const;
  void TakeReadKeys();  // moves READ_KEYS_ to the end of KEYS_

  RowSource& source_;          // not owned; outlives this
  const bool keyed_;           // constant after construction
  const bool discard_behind_;  // constant after construction
  bool complete_ = false;
  std::uint64_t generation_ = 0;
  std::int64_t known_ = 0;     // positions learnt from the source (plus own appends)
  std::int64_t from_source_ = 0;  // of which the source returned

  std::function<DataStamp()> read_stamp_;  // set: the source is in rowid order (see above)
  std::function<DataStamp()> slice_stamp_reader_;  // set: see RelearnOnChange
  DataStamp slice_stamp_;          // the stamp the keys by offset were last learnt at
  std::int64_t source_offset_ = 0;  // source rows passed as of SLICE_STAMP_

  // Keyed sources.
  KeyList keys_;
  std::vector<std::int64_t> read_keys_;  // keys just read from the source, before TakeReadKeys
  std::unordered_map<std::int64_t, std::int64_t> positions_;  // rowid -> position, built lazily
                                                              // (not in rowid order)
  std::int64_t indexed_ = 0;   // positions_ covers positions below this
  std::set<std::int64_t> deleted_;  // positions of rows found gone (few)
  // Values of positions window_first_ .. window_first_ + window_size_ - 1; WINDOW_ keeps the
  // storage of earlier runs (reused, not freed) and may be longer. WINDOW_HELD_ false: the row
  // is gone.
  std::int64_t window_first_ = 0;
  std::int64_t window_size_ = 0;
  std::vector<std::vector<Variant>> window_;
  std::vector<char> window_held_;
  DataStamp window_stamp_;
  bool InWindow(std::int64_t pos) const { return pos >= window_first_ && pos < window_first_ + window_size_; }

  // Unkeyed sources: the values of positions rows_first_ .. known_ - 1 (a positioned source: of
  // rows_first_ .. rows_first_ + rows_.size() - 1).
  std::int64_t rows_first_ = 0;
  std::vector<std::vector<Variant>> rows_;
};

}  // namespace qb::jet
