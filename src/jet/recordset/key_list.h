// jet/recordset/key_list: the rowids of a keyset by position, held compactly. A stretch of
// consecutive rowids (the usual case: a table's rows in rowid order) is one entry, so walking
// such a table holds next to nothing per row; rowids too scattered for stretches to pay are held
// one by one (8 bytes each), as a plain list would hold them.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

namespace qb::jet {

class KeyList {
 public:
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  std::int64_t back() const { return last_; }  // REQUIRES: !empty()

  // REQUIRES: POS < size().
  std::int64_t operator[](std::size_t pos) const {
    if (plain_) return single_[pos];
    const Stretch& stretch = *(StretchAfter(pos) - 1);
    return stretch.key + static_cast<std::int64_t>(pos - stretch.pos);
  }

  void push_back(std::int64_t key) {
    const bool extends = size_ > 0 && last_ != std::numeric_limits<std::int64_t>::max() && key == last_ + 1;
    if (plain_) {
      single_.push_back(key);
    } else if (!extends) {
      stretches_.push_back({size_, key});
    }
    ++size_;
    last_ = key;
    // A stretch costs 16 bytes, a key held alone 8: past one stretch per two keys, one by one.
    if (!plain_ && !extends && stretches_.size() > kFewStretches && stretches_.size() * 2 > size_) MakePlain();
  }

  // Keeps the first N keys. REQUIRES: N <= size().
  void truncate(std::size_t n) {
    if (plain_) {
      single_.resize(n);
    } else {
      while (!stretches_.empty() && stretches_.back().pos >= n) stretches_.pop_back();
    }
    size_ = n;
    if (n > 0) last_ = (*this)[n - 1];
  }

  // Puts KEY at POS instead of the key there (a record whose key changed: a row without a many
  // side that got one). Keys need no longer ascend afterwards. REQUIRES: POS < size().
  void replace(std::size_t pos, std::int64_t key) {
    if (pos + 1 == size_) last_ = key;
    if (plain_) {
      single_[pos] = key;
      return;
    }
    // The stretch holding POS splits into the part before it, KEY alone and the part after it.
    const auto after = StretchAfter(pos);
    const Stretch held = *(after - 1);
    const std::size_t end = after == stretches_.end() ? size_ : after->pos;
    std::vector<Stretch> parts;
    if (pos > held.pos) parts.push_back(held);
    parts.push_back({pos, key});
    if (pos + 1 < end) parts.push_back({pos + 1, held.key + static_cast<std::int64_t>(pos + 1 - held.pos)});
    const auto at = stretches_.erase(after - 1);
    stretches_.insert(at, parts.begin(), parts.end());
    if (stretches_.size() > kFewStretches && stretches_.size() * 2 > size_) MakePlain();
  }

  void clear() {
    *this = KeyList();
  }

  // The position of KEY among the first LIMIT keys, which ascend; nullopt when it is not there.
  std::optional<std::size_t> FindAscending(std::int64_t key, std::size_t limit) const {
    if (plain_) {
      const auto end = single_.begin() + static_cast<std::ptrdiff_t>(limit);
      const auto found = std::lower_bound(single_.begin(), end, key);
      if (found == end || *found != key) return std::nullopt;
      return static_cast<std::size_t>(found - single_.begin());
    }
    // Among the stretches starting below LIMIT, the last one starting at or below KEY holds it,
    // if any does.
    const auto below = std::lower_bound(stretches_.begin(), stretches_.end(), limit,
                                        [](const Stretch& s, std::size_t p) { return s.pos < p; });
    const auto after = std::upper_bound(stretches_.begin(), below, key,
                                        [](std::int64_t k, const Stretch& s) { return k < s.key; });
    if (after == stretches_.begin()) return std::nullopt;
    const Stretch& stretch = *(after - 1);
    const std::size_t end = std::min(after == stretches_.end() ? size_ : after->pos, limit);
    const auto offset = static_cast<std::uint64_t>(key) - static_cast<std::uint64_t>(stretch.key);
    if (offset >= end - stretch.pos) return std::nullopt;
    return stretch.pos + static_cast<std::size_t>(offset);
  }

 private:
  struct Stretch {
    std::size_t pos;     // position of its first key
    std::int64_t key;    // its first key; the next ones follow by one
  };
  static constexpr std::size_t kFewStretches = 64;

  std::vector<Stretch>::const_iterator StretchAfter(std::size_t pos) const {
    return std::upper_bound(stretches_.begin(), stretches_.end(), pos,
                            [](std::size_t p, const Stretch& s) { return p < s.pos; });
  }

  void MakePlain() {
    std::vector<std::int64_t> all;
    all.reserve(size_ + 1);
    for (std::size_t pos = 0; pos < size_; ++pos) all.push_back((*this)[pos]);
    single_ = std::move(all);
    stretches_.clear();
    stretches_.shrink_to_fit();
    plain_ = true;
  }

  bool plain_ = false;
  std::size_t size_ = 0;
  std::int64_t last_ = 0;
  std::vector<Stretch> stretches_;     // while !plain_, by position
  std::vector<std::int64_t> single_;   // once plain_
};

}  // namespace qb::jet
