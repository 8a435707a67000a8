// jet/recordset/keyset: slices grow geometrically (64, then as many as are known), so learning
// n positions runs O(log n) short statements whose skipped rows add up to O(n).
#include "jet/recordset/keyset.h"

#include <algorithm>

#include "jet/recordset/row_source.h"

namespace qb::jet {
namespace {

constexpr std::int64_t kFirstSlice = 64;
constexpr std::int64_t kLargestRowSlice = 65536;  // rows with values held at once when reading ahead
constexpr std::int64_t kWindow = 256;             // rows whose values are read together
constexpr std::int64_t kSparseRange = 16;         // a window's rowid range may span this many times its rows

}  // namespace

Keyset::Keyset(RowSource& source, bool discard_behind)
    : source_(source), keyed_(source.Keyed()), discard_behind_(discard_behind) {}

std::int64_t Keyset::NextSliceSize() const {
  const std::int64_t grown = std::max(kFirstSlice, from_source_);
  return keyed_ ? grown : std::min(grown, kLargestRowSlice);
}

bool Keyset::Reach(std::int64_t pos) {
  while (pos >= known_ && !complete_) {
    const std::int64_t want = NextSliceSize();
    std::size_t got = 0;
    if (keyed_) {
      got = source_.LoadKeys(from_source_, want, keys_);
      deleted_.resize(keys_.size(), false);
    } else {
      if (discard_behind_ && pos > rows_first_) {
        const std::int64_t drop = std::min<std::int64_t>(pos, known_) - rows_first_;
        rows_.erase(rows_.begin(), rows_.begin() + drop);
        rows_first_ += drop;
      }
      got = source_.LoadRows(from_source_, want, rows_);
      ++generation_;
    }
    from_source_ += static_cast<std::int64_t>(got);
    known_ += static_cast<std::int64_t>(got);
    if (static_cast<std::int64_t>(got) < want) complete_ = true;
  }
  return pos >= 0 && pos < known_;
}

void Keyset::LoadAll() {
  if (complete_) return;
  std::size_t got = keyed_ ? source_.LoadKeys(from_source_, -1, keys_) : source_.LoadRows(from_source_, -1, rows_);
  if (keyed_) deleted_.resize(keys_.size(), false);
  ++generation_;
  from_source_ += static_cast<std::int64_t>(got);
  known_ += static_cast<std::int64_t>(got);
  complete_ = true;
}

std::optional<std::int64_t> Keyset::PositionOf(std::int64_t key) {
  for (;;) {
    for (; indexed_ < known_; ++indexed_) positions_.emplace(keys_[static_cast<std::size_t>(indexed_)], indexed_);
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
  window_.assign(static_cast<std::size_t>(last - first + 1), std::nullopt);
  std::size_t r = 0;
  for (std::int64_t p = first; p <= last; ++p) {
    while (r < rows.size() && rows[r].first < key(p)) ++r;
    if (r < rows.size() && rows[r].first == key(p)) window_[static_cast<std::size_t>(p - first)] = std::move(rows[r].second);
  }
  window_first_ = first;
  window_stamp_ = stamp;
  ++generation_;
}

const std::vector<Variant>* Keyset::ValuesAt(std::int64_t pos, const DataStamp& stamp) {
  if (!keyed_) return &rows_[static_cast<std::size_t>(pos - rows_first_)];
  if (deleted_[static_cast<std::size_t>(pos)]) return nullptr;
  const bool inside = pos >= window_first_ && pos < window_first_ + static_cast<std::int64_t>(window_.size());
  if (!inside || !(window_stamp_ == stamp)) LoadWindow(pos, stamp);
  auto& slot = window_[static_cast<std::size_t>(pos - window_first_)];
  if (!slot) {
    deleted_[static_cast<std::size_t>(pos)] = true;
    return nullptr;
  }
  return &*slot;
}

const std::vector<Variant>* Keyset::HeldValuesAt(std::int64_t pos) const {
  if (!keyed_) return pos >= rows_first_ && pos < known_ ? &rows_[static_cast<std::size_t>(pos - rows_first_)] : nullptr;
  if (pos < window_first_ || pos >= window_first_ + static_cast<std::int64_t>(window_.size())) return nullptr;
  if (deleted_[static_cast<std::size_t>(pos)]) return nullptr;
  const auto& slot = window_[static_cast<std::size_t>(pos - window_first_)];
  return slot ? &*slot : nullptr;
}

void Keyset::MarkDeleted(std::int64_t pos) {
  if (keyed_) deleted_[static_cast<std::size_t>(pos)] = true;
}

bool Keyset::IsDeleted(std::int64_t pos) const { return keyed_ && deleted_[static_cast<std::size_t>(pos)]; }

void Keyset::Learn(std::int64_t key) {
  keys_.push_back(key);
  deleted_.push_back(false);
  ++from_source_;
  ++known_;
}

std::int64_t Keyset::Append(std::int64_t key) {
  LoadAll();
  keys_.push_back(key);
  deleted_.push_back(false);
  window_.clear();
  ++generation_;
  return known_++;
}

void Keyset::Clear() {
  complete_ = false;
  known_ = from_source_ = 0;
  keys_.clear();
  positions_.clear();
  indexed_ = 0;
  deleted_.clear();
  window_first_ = 0;
  window_.clear();
  window_stamp_ = DataStamp{};
  rows_first_ = 0;
  rows_.clear();
  ++generation_;
}

}  // namespace qb::jet
