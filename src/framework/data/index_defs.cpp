// framework/data/index_defs: the list of index definitions.
#include "framework/data/index_defs.h"

#include "framework/component/component.h"
#include "framework/data/data_errors.h"

namespace qb {

std::vector<std::string> SplitFieldNames(std::string_view fields) {
  std::vector<std::string> names;
  size_t start = 0;
  while (start <= fields.size()) {
    size_t end = fields.find(';', start);
    if (end == std::string_view::npos) end = fields.size();
    std::string_view name = fields.substr(start, end - start);
    while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    if (!name.empty()) names.emplace_back(name);
    start = end + 1;
  }
  return names;
}

std::vector<std::string> TIndexDef::FieldNames() const { return SplitFieldNames(fields); }

TIndexDef& TIndexDefs::Add(std::string name, std::string fields, TIndexOptions options) {
  if (IndexOf(name) >= 0) DatabaseError(Format(data_msg::kDuplicateName, name, "the index definitions"));
  defs_.push_back(TIndexDef{std::move(name), std::move(fields), options});
  return defs_.back();
}

int TIndexDefs::IndexOf(std::string_view name) const {
  for (size_t i = 0; i < defs_.size(); ++i)
    if (SameName(defs_[i].name, name)) return static_cast<int>(i);
  return -1;
}

const TIndexDef& TIndexDefs::Find(std::string_view name) const {
  int index = IndexOf(name);
  if (index < 0) DatabaseError(Format(data_msg::kIndexNotFound, std::string(name)));
  return defs_[static_cast<size_t>(index)];
}

const TIndexDef* TIndexDefs::GetIndexForFields(std::string_view fields, bool case_insensitive) const {
  std::vector<std::string> wanted = SplitFieldNames(fields);
  if (wanted.empty()) return nullptr;
  for (const TIndexDef& def : defs_) {
    if (case_insensitive && !(def.options & ixCaseInsensitive)) continue;
    if (def.options & ixExpression) continue;
    std::vector<std::string> have = def.FieldNames();
    if (have.size() < wanted.size()) continue;
    bool match = true;
    for (size_t i = 0; i < wanted.size() && match; ++i) match = SameName(have[i], wanted[i]);
    if (match) return &def;
  }
  return nullptr;
}

}  // namespace qb
