// framework/data/field_defs: the list of field definitions.
#include "framework/data/field_defs.h"

#include "framework/component/component.h"
#include "framework/data/data_errors.h"

namespace qb {

TFieldDef& TFieldDefs::Add(std::string name, TFieldType type, int size, bool required) {
  if (IndexOf(name) >= 0) DatabaseError(Format(data_msg::kDuplicateName, name, "the field definitions"));
  TFieldDef def;
  def.name = std::move(name);
  def.data_type = type;
  def.size = size;
  def.required = required;
  def.field_no = Count() + 1;
  defs_.push_back(std::move(def));
  return defs_.back();
}

int TFieldDefs::IndexOf(std::string_view name) const {
  for (size_t i = 0; i < defs_.size(); ++i)
    if (SameName(defs_[i].name, name)) return static_cast<int>(i);
  return -1;
}

const TFieldDef* TFieldDefs::Find(std::string_view name) const {
  int index = IndexOf(name);
  return index < 0 ? nullptr : &defs_[static_cast<size_t>(index)];
}

}  // namespace qb
