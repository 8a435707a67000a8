// framework/data/dataset_lookup: field lists and values by name, Locate and Lookup, the
// values of lookup fields and the internally calculated fields.
#include <algorithm>
#include <vector>

#include "framework/data/data_errors.h"
#include "framework/data/dataset.h"
#include "framework/data/field.h"

namespace qb {

bool TDataSet::Locate(std::string_view, const Variant&, TLocateOptions) {
  CheckActive();
  return false;
}

Variant TDataSet::Lookup(std::string_view, const Variant&, std::string_view) {
  CheckActive();
  return Variant::Null();
}

std::vector<TField*> TDataSet::GetFieldList(std::string_view names) const {
  std::vector<TField*> fields;
  size_t start = 0;
  while (start <= names.size()) {
    size_t end = names.find(';', start);
    if (end == std::string_view::npos) end = names.size();
    std::string_view name = names.substr(start, end - start);
    while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    if (!name.empty()) fields.push_back(FieldByName(name));
    start = end + 1;
  }
  return fields;
}

Variant TDataSet::FieldValues(std::string_view names) const {
  std::vector<TField*> fields = GetFieldList(names);
  if (fields.size() == 1) return fields[0]->AsVariant();
  std::vector<Variant> values;
  values.reserve(fields.size());
  for (TField* field : fields) values.push_back(field->AsVariant());
  return Variant::FromArray(std::move(values));
}

namespace {

// True when a lookup field of FROM, or of a dataset reached from it, looks up in TARGET. SEEN
// holds the datasets already searched, so that a cycle not through TARGET ends the search.
bool LookupsReach(const TDataSet* from, const TDataSet* target, std::vector<const TDataSet*>& seen) {
  if (std::find(seen.begin(), seen.end(), from) != seen.end()) return false;
  seen.push_back(from);
  for (const TField* field : from->Fields()) {
    const TDataSet* next = field->FieldKind() == fkLookup ? field->LookupDataSet() : nullptr;
    if (next && (next == target || LookupsReach(next, target, seen))) return true;
  }
  return false;
}

// The datasets computing a lookup value on this thread, outermost first. A cycle the checks
// missed raises instead of recursing until the stack runs out.
thread_local std::vector<const TDataSet*> computing_lookups;

}  // namespace

bool TDataSet::LookupsLeadTo(const TDataSet* target) const {
  std::vector<const TDataSet*> seen;
  return LookupsReach(this, target, seen);
}

void TDataSet::CheckLookupFields() const {
  for (const TField* field : fields_) {
    if (field->FieldKind() != fkLookup || !field->LookupDataSet()) continue;
    const TDataSet* source = field->LookupDataSet();
    if (source == this || source->LookupsLeadTo(this))
      DatabaseError(Format(data_msg::kCircularLookup, field->DisplayName()));
  }
}

void TDataSet::ComputeLookupValue(TField* field) {
  TDataSet* source = field->LookupDataSet();
  if (!source || !source->Active() || field->KeyFields().empty()) return;
  Variant keys = FieldValues(field->KeyFields());
  // A record without its key has no looked-up value.
  if (keys.IsNull()) return;
  if (keys.IsArray())
    for (const Variant& key : keys.Items())
      if (key.IsNull()) return;
  if (source == this ||
      std::find(computing_lookups.begin(), computing_lookups.end(), source) != computing_lookups.end())
    DatabaseError(Format(data_msg::kCircularLookup, field->DisplayName()));
  computing_lookups.push_back(this);
  Variant value;
  try {
    value = source->Lookup(field->LookupKeyFields(), keys, field->LookupResultField());
  } catch (...) {
    computing_lookups.pop_back();
    throw;
  }
  computing_lookups.pop_back();
  field->SetAsVariant(value);
}

bool TDataSet::HasInternalCalcFields() const {
  return std::any_of(fields_.begin(), fields_.end(),
                     [](const TField* f) { return f->FieldKind() == fkInternalCalc; });
}

void TDataSet::RefreshInternalCalcFields(TRecordBuffer buffer) {
  if (!HasInternalCalcFields() || !OnCalcFields) return;
  TRecordBuffer saved_buffer = calc_buffer_;
  TDataSetState saved = SetTempState(dsInternalCalc);
  calc_buffer_ = buffer;
  try {
    OnCalcFields(this);
  } catch (...) {
    calc_buffer_ = saved_buffer;
    RestoreState(saved);
    throw;
  }
  calc_buffer_ = saved_buffer;
  RestoreState(saved);
}

}  // namespace qb
