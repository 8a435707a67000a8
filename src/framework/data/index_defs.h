// framework/data/index_defs: index definitions: a name, the indexed fields (names separated by
// ';') and the index options. Plain descriptions; a dataset fills and reads them.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace qb {

enum TIndexOption : unsigned {
  ixPrimary = 1u << 0,
  ixUnique = 1u << 1,
  ixDescending = 1u << 2,
  ixCaseInsensitive = 1u << 3,
  ixExpression = 1u << 4,
};
using TIndexOptions = unsigned;

struct TIndexDef {
  std::string name;
  std::string fields;  // "Last;First"
  TIndexOptions options = 0;
  // The field names in order, without blanks around them.
  std::vector<std::string> FieldNames() const;
};

// An ordered list; names compare without regard to ASCII case.
class TIndexDefs {
 public:
  // Raises EDatabaseError kDuplicateName when NAME is taken.
  TIndexDef& Add(std::string name, std::string fields, TIndexOptions options = 0);
  void Clear() { defs_.clear(); }
  int Count() const { return static_cast<int>(defs_.size()); }
  const TIndexDef& operator[](int index) const { return defs_.at(static_cast<size_t>(index)); }
  int IndexOf(std::string_view name) const;
  // Raises EDatabaseError kIndexNotFound.
  const TIndexDef& Find(std::string_view name) const;
  // The first index whose leading fields are FIELDS (';'-separated, compared ignoring case);
  // null when none. With CASE_INSENSITIVE only case-insensitive indexes qualify.
  const TIndexDef* GetIndexForFields(std::string_view fields, bool case_insensitive = false) const;
  auto begin() const { return defs_.begin(); }
  auto end() const { return defs_.end(); }

 private:
  std::vector<TIndexDef> defs_;
};

// FIELDS split at ';' with blanks trimmed; empty names are dropped.
std::vector<std::string> SplitFieldNames(std::string_view fields);

}  // namespace qb
