// framework/data/field_defs: the field definitions a dataset describes its records with (name,
// type, size, required, number). Plain values; fields are made from them by the dataset.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "framework/data/data_types.h"

namespace qb {

struct TFieldDef {
  std::string name;
  TFieldType data_type = ftUnknown;
  int size = 0;           // characters for strings, bytes for byte fields, else 0
  bool required = false;
  int field_no = 0;       // 1-based position in the definitions
};

// An ordered list of definitions; names compare without regard to ASCII case.
class TFieldDefs {
 public:
  // Appends a definition numbered Count() + 1. Raises EDatabaseError kDuplicateName when NAME
  // is taken. Returns a reference valid until the list changes.
  TFieldDef& Add(std::string name, TFieldType type, int size = 0, bool required = false);
  void Clear() { defs_.clear(); }
  int Count() const { return static_cast<int>(defs_.size()); }
  const TFieldDef& operator[](int index) const { return defs_.at(static_cast<size_t>(index)); }
  int IndexOf(std::string_view name) const;  // -1 when absent
  const TFieldDef* Find(std::string_view name) const;
  auto begin() const { return defs_.begin(); }
  auto end() const { return defs_.end(); }

 private:
  std::vector<TFieldDef> defs_;
};

}  // namespace qb
