// jet/recordset/keyset: slices grow geometrically (64, then as many as are known), so learning
// n positions runs O(log n) short statements whose skipped rows add up to O(n). A source in
// rowid order is read a run at a time from the last key known instead: nothing is skipped, and
// rows others removed from the part already read cannot shift later rows out of the set. Any
// other keyed source is read by offset, which counts rows as they were: after the file changed,
// the next slice is read from the first row again and only keys not known yet are kept.
#include "jet/recordset/keyset.h"

#include <algorithm>
#include <limits>

#include "jet/recordset/row_source.h"

namespace qb::jet {
namespace {

constexpr std::int64_t kFirstSlice = 64;
constexpr std::int64_t kLargestRowSlice = 65536;  // rows with values held at once when reading ahead
constexpr std::int64_t kStreamSlice = 256;       // rows of a streamed source held at once
constexpr std::int64_t kWindow = 256;             // rows whose values are read together
constexpr std::int64_t kSparseRange = 16;         // a window's rowid range may span this many times its rows

}  // namespace

Keyset::Keyset(RowSource& source, bool discard_behind)
    : source_(source), keyed_(source.Keyed()), discard_behind_(discard_behind) {}

std::int64_t Keyset::NextSliceSize() const {
  if (source_.Streamed() || source_.Positioned()) {
    return source_.StreamRun() > 0 ? std::min(source_.StreamRun(), kLargestRowSlice) : kStreamSlice;
  }
  const std::int64_t grown = std::max(kFirstSlice, from_source_);
  return keyed_ ? grown : std::min(grown, kLargestRowSlice);
}

void Keyset::FollowRowidOrder(std::function<DataStamp()> read_stamp) { read_stamp_ = std::move(read_stamp); }

void Keyset::RelearnOnChange(std::function<DataStamp()> read_stamp) { slice_stamp_reader_ = std::move(read_stamp); }

void Keyset::IndexKnown() {
  for (; indexed_ < known_; ++indexed_) positions_.emplace(keys_[static_cast<std::size_t>(indexed_)], indexed_);
}

bool Keyset::LoadKeySlice(std::int64_t want) {
  // The stamp is read before the slice: a change made while the slice runs shows at the next
  // one, which then learns again whatever this one skipped.
  const DataStamp stamp = slice_stamp_reader_ ? slice_stamp_reader_() : DataStamp{};
  const bool relearn = slice_stamp_reader_ && source_offset_ > 0 && !(stamp == slice_stamp_);
  const std::int64_t offset = relearn ? 0 : source_offset_;
  const std::int64_t limit = want < 0 ? -1 : (relearn ? source_offset_ + want : want);
  read_keys_.clear();  // a failed read may have left some
  const auto got = static_cast<std::int64_t>(source_.LoadKeys(offset, limit, read_keys_));
  if (relearn) {
    // A known key keeps the position it was first given, so rows others added within the part
    // already passed come after the rows known; rows gone stay as holes.
    IndexKnown();
    std::erase_if(read_keys_, [this](std::int64_t key) { return positions_.count(key) != 0; });
  }
  const auto added = static_cast<std::int64_t>(read_keys_.size());
  TakeReadKeys();
  slice_stamp_ = stamp;
  source_offset_ = offset + got;
  from_source_ += added;
  known_ += added;
  return limit < 0 || got < limit;
}

void Keyset::LoadNextRun() {
  // Keys are only appended by the source until it is complete, so the last key is its last row.
  const DataStamp stamp = read_stamp_();
  const std::int64_t after = keys_.empty() ? std::numeric_limits<std::int64_t>::min() : keys_.back();
  // The run is read into the rows of the last one: the source fills them in place, so walking
  // a table allocates no row storage after its first run. A failed read leaves no run held.
  std::int64_t got = 0;
  try {
    read_keys_.clear();  // a failed read may have left some
    got = static_cast<std::int64_t>(source_.FetchAfter(after, kWindow, read_keys_, window_));
  } catch (...) {
    read_keys_.clear();
    window_size_ = 0;
    ++generation_;
    throw;
  }
  TakeReadKeys();
  if (got < kWindow) complete_ = true;
  if (got == 0) return;  // the rows the run held were not touched: no row comes back empty
  window_first_ = known_;
  window_size_ = got;
  window_held_.assign(static_cast<std::size_t>(got), 1);
  from_source_ += got;
  known_ += got;
  window_stamp_ = stamp;
  ++generation_;
}

bool Keyset::Reach(std::int64_t pos) {
  while (pos >= known_ && !complete_) {
    if (read_stamp_) {
      LoadNextRun();
      continue;
    }
    const std::int64_t want = NextSliceSize();
    if (keyed_) {
      if (LoadKeySlice(want)) complete_ = true;
      continue;
    }
    if (source_.Positioned()) {
      // A row read by position proves every row before it: those are not read on the way.
      const std::int64_t first = std::max(known_, pos);
      const std::int64_t got = LoadPositioned(first, want);
      if (got == 0 && first > known_) {
        LoadAll();  // past the end: the count says where it is
        continue;
      }
      known_ = from_source_ = first + got;
      if (got < want) complete_ = true;
      continue;
    }
    if (discard_behind_ && pos > rows_first_) {
      const std::int64_t drop = std::min<std::int64_t>(pos, known_) - rows_first_;
      rows_.erase(rows_.begin(), rows_.begin() + drop);
      rows_first_ += drop;
    }
    const std::size_t got = source_.LoadRows(from_source_, want, rows_);
    ++generation_;
    from_source_ += static_cast<std::int64_t>(got);
    known_ += static_cast<std::int64_t>(got);
    if (static_cast<std::int64_t>(got) < want) complete_ = true;
  }
  return pos >= 0 && pos < known_;
}

void Keyset::LoadAll() {
  if (complete_) return;
  if (source_.Positioned()) {
    // Counted where the rows are: none is read for it.
    known_ = from_source_ = std::max(known_, source_.CountRows());
    complete_ = true;
    return;
  }
  if (keyed_ && !read_stamp_) {
    LoadKeySlice(-1);
    ++generation_;
    complete_ = true;
    return;
  }
  std::size_t got = 0;
  read_keys_.clear();  // a failed read may have left some
  if (read_stamp_) {
    const std::int64_t after = keys_.empty() ? std::numeric_limits<std::int64_t>::min() : keys_.back();
    got = source_.LoadKeysAfter(after, std::numeric_limits<std::int64_t>::max(), read_keys_);
  } else {
    got = source_.LoadRows(from_source_, -1, rows_);
  }
  TakeReadKeys();
  ++generation_;
  from_source_ += static_cast<std::int64_t>(got);
  known_ += static_cast<std::int64_t>(got);
  complete_ = true;
}

void Keyset::TakeReadKeys() {
  for (std::int64_t key : read_keys_) keys_.push_back(key);
  read_keys_.clear();
  if (read_keys_.capacity() > static_cast<std::size_t>(kWindow)) read_keys_.shrink_to_fit();  // after LoadAll
}

std::optional<std::int64_t> Keyset::FindAscending(std::int64_t key) const {
  if (auto pos = keys_.FindAscending(key, static_cast<std::size_t>(from_source_))) return static_cast<std::int64_t>(*pos);
  for (std::int64_t pos = from_source_; pos < known_; ++pos) {  // own additions: few
    if (keys_[static_cast<std::size_t>(pos)] == key) return pos;
  }
  return std::nullopt;
}

std::optional<std::int64_t> Keyset::PositionOf(std::int64_t key) {
  if (read_stamp_) {
    // Keys ascend: a key below the last one learnt is there or not at all; a later one is
    // learnt up to, keys only, in one statement.
    if (auto pos = FindAscending(key)) return pos;
    if (complete_ || (!keys_.empty() && key <= keys_.back())) return std::nullopt;
    const std::int64_t after = keys_.empty() ? std::numeric_limits<std::int64_t>::min() : keys_.back();
    read_keys_.clear();  // a failed read may have left some
    const auto got = static_cast<std::int64_t>(source_.LoadKeysAfter(after, key, read_keys_));
    TakeReadKeys();
      from_source_ += got;
    known_ += got;
    return FindAscending(key);
  }
  for (;;) {
    IndexKnown();
    auto found = positions_.find(key);
    if (found != positions_.end()) return found->second;
    if (complete_) return std::nullopt;
    Reach(known_);
  }
}

void Keyset::LoadWindow(std::int64_t pos, const DataStamp& stamp) {
  // A run of ascending rowids around POS, in the direction the reader is going, read in one
  // range statement; a lone rowid reads alone.
  const bool backward = pos < window_first_ && pos + kWindow >= window_first_;
  std::int64_t first = pos, last = pos;
  auto key = [&](std::int64_t p) { return keys_[static_cast<std::size_t>(p)]; };
  const std::int64_t span_limit = kWindow * kSparseRange;
  if (backward) {
    while (first > 0 && pos - first + 1 < kWindow && key(first - 1) < key(first) && key(pos) - key(first - 1) < span_limit) {
      --first;
    }
  } else {
    while (last + 1 < known_ && last - pos + 1 < kWindow && key(last + 1) > key(last) && key(last + 1) - key(pos) < span_limit) {
      ++last;
    }
  }
  std::vector<std::pair<std::int64_t, std::vector<Variant>>> rows;
  source_.FetchRange(key(first), key(last), rows);
  window_size_ = last - first + 1;
  if (static_cast<std::int64_t>(window_.size()) < window_size_) window_.resize(static_cast<std::size_t>(window_size_));
  window_held_.assign(static_cast<std::size_t>(window_size_), 0);
  std::size_t r = 0;
  for (std::int64_t p = first; p <= last; ++p) {
    while (r < rows.size() && rows[r].first < key(p)) ++r;
    if (r < rows.size() && rows[r].first == key(p)) {
      window_[static_cast<std::size_t>(p - first)] = std::move(rows[r].second);
      window_held_[static_cast<std::size_t>(p - first)] = 1;
    }
  }
  window_first_ = first;
  window_stamp_ = stamp;
  ++generation_;
}

std::int64_t Keyset::LoadPositioned(std::int64_t first, std::int64_t want) {
  ++generation_;
  rows_.clear();
  rows_first_ = first;
  return static_cast<std::int64_t>(source_.LoadRows(first, want, rows_));
}

const std::vector<Variant>* Keyset::ValuesAt(std::int64_t pos, const DataStamp& stamp) {
  if (!keyed_ && source_.Positioned() && !HeldValuesAt(pos)) {
    // The window moves to POS, running on in the direction the reader is going.
    const std::int64_t want = NextSliceSize();
    LoadPositioned(pos < rows_first_ ? std::max<std::int64_t>(0, pos - want + 1) : pos, want);
    return HeldValuesAt(pos);
  }
  if (!keyed_) return &rows_[static_cast<std::size_t>(pos - rows_first_)];
  if (deleted_.count(pos)) return nullptr;
  if (!InWindow(pos) || !(window_stamp_ == stamp)) LoadWindow(pos, stamp);
  const auto slot = static_cast<std::size_t>(pos - window_first_);
  if (!window_held_[slot]) {
    deleted_.insert(pos);
    return nullptr;
  }
  return &window_[slot];
}

const std::vector<Variant>* Keyset::HeldValuesAt(std::int64_t pos) const {
  if (!keyed_) {
    const bool held = pos >= rows_first_ && pos < rows_first_ + static_cast<std::int64_t>(rows_.size());
    return held ? &rows_[static_cast<std::size_t>(pos - rows_first_)] : nullptr;
  }
  if (!InWindow(pos) || deleted_.count(pos)) return nullptr;
  const auto slot = static_cast<std::size_t>(pos - window_first_);
  return window_held_[slot] ? &window_[slot] : nullptr;
}

std::int64_t Keyset::AppendPositioned() {
  complete_ = true;
  known_ = from_source_ = source_.CountRows();
  ++generation_;
  return known_ - 1;
}

void Keyset::RewriteHeld(std::int64_t pos, const std::vector<Variant>& values) {
  if (pos >= rows_first_ && pos < rows_first_ + static_cast<std::int64_t>(rows_.size())) {
    rows_[static_cast<std::size_t>(pos - rows_first_)] = values;
  }
  ++generation_;
}

void Keyset::MarkDeleted(std::int64_t pos) {
  if (keyed_) deleted_.insert(pos);
}

bool Keyset::IsDeleted(std::int64_t pos) const { return keyed_ && deleted_.count(pos); }

void Keyset::Learn(std::int64_t key) {
  keys_.push_back(key);
  ++source_offset_;
  ++from_source_;
  ++known_;
}

bool Keyset::OffsetsStale() {
  return slice_stamp_reader_ && source_offset_ > 0 && !(slice_stamp_reader_() == slice_stamp_);
}

std::int64_t Keyset::Append(std::int64_t key) {
  LoadAll();
  keys_.push_back(key);
  window_size_ = 0;
  ++generation_;
  return known_++;
}

void Keyset::ReplaceKey(std::int64_t pos, std::int64_t key) {
  const std::int64_t old_key = KeyAt(pos);
  keys_.replace(static_cast<std::size_t>(pos), key);
  if (pos < indexed_) {
    auto found = positions_.find(old_key);
    if (found != positions_.end() && found->second == pos) positions_.erase(found);
    positions_[key] = pos;
  }
  window_size_ = 0;
  ++generation_;
}

void Keyset::Clear() {
  complete_ = false;
  known_ = from_source_ = source_offset_ = 0;
  slice_stamp_ = DataStamp{};
  keys_.clear();
  positions_.clear();
  indexed_ = 0;
  deleted_.clear();
  window_first_ = 0;
  window_size_ = 0;
  window_stamp_ = DataStamp{};
  rows_first_ = 0;
  rows_.clear();
  ++generation_;
}

}  // namespace qb::jet
