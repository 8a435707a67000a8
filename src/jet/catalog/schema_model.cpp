// jet/catalog/schema_model: the rules of a table definition, checked before any SQL is written.
#include "jet/catalog/schema_model.h"

#include <algorithm>

#include "jet/base/errors.h"
#include "jet/base/unicode_text.h"

namespace qb::jet {
namespace {

template <class T, class Vec>
T* FindByName(Vec& items, const std::string& name) {
  for (auto& item : items) {
    if (SameName(item.name, name)) return &item;
  }
  return nullptr;
}

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

}  // namespace

FieldModel* TableModel::FindField(const std::string& name) { return FindByName<FieldModel>(fields, name); }
const FieldModel* TableModel::FindField(const std::string& name) const {
  return FindByName<const FieldModel>(fields, name);
}
IndexModel* TableModel::FindIndex(const std::string& name) { return FindByName<IndexModel>(indexes, name); }
const IndexModel* TableModel::FindIndex(const std::string& name) const {
  return FindByName<const IndexModel>(indexes, name);
}

bool IsStorableType(int type) { return (type >= 1 && type <= 12) || type == 15; }

bool IsIndexableType(int type) { return IsStorableType(type) && type != 9 && type != 11 && type != 12; }

int FixedSizeOf(int type) {
  switch (type) {
    case 1: case 2: return 1;
    case 3: return 2;
    case 4: case 6: return 4;
    case 5: case 7: case 8: return 8;
    case 15: return 16;
    default: return 0;
  }
}

void NormaliseNewField(FieldModel& field) {
  if (field.type != 4) field.attributes &= ~kAutoIncrField;
  if (field.type == 10 || field.type == 9) {
    if (field.size == 0) field.size = 255;
  } else {
    field.size = FixedSizeOf(field.type);
  }
  field.attributes &= ~(kFixedField | kVariableField);
  field.attributes |= (field.type == 10 || field.type == 9 || field.type == 12 || field.type == 11) ? kVariableField
                                                                                                     : kFixedField;
}

bool IsValidObjectName(const std::string& name) {
  std::optional<std::size_t> length = CharacterCount(name);
  if (!length || *length == 0 || *length > 64 || name[0] == ' ') return false;
  for (unsigned char c : name) {
    if (c < 0x20 || c == '.' || c == '!' || c == '[' || c == ']' || c == '`') return false;
  }
  return true;
}

void CheckObjectName(const std::string& name, const char* what) {
  if (!IsValidObjectName(name)) {
    RaiseJetError(err::kInvalidName, "'" + name + "' is not a valid " + what +
                                             " name: a name has 1 to 64 characters, does not start with a space "
                                             "and holds none of . ! [ ] `.");
  }
}

void CheckTableModel(const TableModel& table) {
  CheckObjectName(table.name, "table");
  if (table.fields.empty()) {
    RaiseJetError(err::kNoFields, "The table '" + table.name + "' has no fields; a table needs at least one.");
  }
  int auto_numbers = 0;
  for (std::size_t i = 0; i < table.fields.size(); ++i) {
    const FieldModel& field = table.fields[i];
    CheckObjectName(field.name, "field");
    for (std::size_t j = 0; j < i; ++j) {
      if (SameName(table.fields[j].name, field.name)) {
        RaiseJetError(err::kFieldDefinedTwice, "The field '" + field.name + "' is defined twice in '" + table.name + "'.");
      }
    }
    if (!IsStorableType(field.type)) {
      RaiseJetError(err::kInvalidFieldType,
                    "The field '" + field.name + "' has the data type " + std::to_string(field.type) +
                        ", which a table cannot store.");
    }
    if ((field.type == 10 || field.type == 9) && (field.size < 1 || field.size > 255)) {
      RaiseJetError(err::kInvalidPropertyValue,
                    "The size of '" + field.name + "' is " + std::to_string(field.size) + "; it must be 1 to 255.");
    }
    if (field.attributes & kAutoIncrField) {
      if (field.type != 4) {
        RaiseJetError(err::kInvalidFieldType, "Only a Long field can be an AutoNumber; '" + field.name + "' is not.");
      }
      if (++auto_numbers > 1) {
        RaiseJetError(err::kTooManyAutoNumbers, "The table '" + table.name + "' would have more than one AutoNumber field.");
      }
    }
    if (field.allow_zero_length && field.type != 10 && field.type != 12) {
      RaiseJetError(err::kInvalidPropertyValue, "Only Text and Memo fields allow zero-length strings; '" + field.name +
                                                    "' is neither.");
    }
  }
  bool primary = false;
  for (std::size_t i = 0; i < table.indexes.size(); ++i) {
    const IndexModel& index = table.indexes[i];
    CheckObjectName(index.name, "index");
    for (std::size_t j = 0; j < i; ++j) {
      if (SameName(table.indexes[j].name, index.name)) {
        RaiseJetError(err::kIndexExists, "The table '" + table.name + "' already has an index named '" + index.name + "'.");
      }
    }
    if (index.primary) {
      if (primary) RaiseJetError(err::kPrimaryExists, "The table '" + table.name + "' already has a primary key.");
      primary = true;
    }
    if (index.keys.empty()) RaiseJetError(err::kNoFields, "The index '" + index.name + "' has no fields.");
    if (index.keys.size() > 10) {
      RaiseJetError(err::kTooManyIndexFields, "The index '" + index.name + "' has more than 10 fields.");
    }
    for (const IndexKey& key : index.keys) {
      const FieldModel* field = table.FindField(key.field);
      if (!field) {
        RaiseJetError(err::kItemNotFound, "The index '" + index.name + "' names the field '" + key.field +
                                               "', which '" + table.name + "' does not have.");
      }
      if (!IsIndexableType(field->type)) {
        RaiseJetError(err::kInvalidIndex, "The field '" + field->name + "' cannot be indexed: Memo and binary fields "
                                          "cannot be keys.");
      }
    }
  }
}

std::string IndexFieldsText(const std::vector<IndexKey>& keys) {
  std::string text;
  for (const IndexKey& key : keys) {
    if (!text.empty()) text += ';';
    text += key.descending ? '-' : '+';
    text += key.field;
  }
  return text;
}

std::vector<IndexKey> ParseIndexFields(const std::string& text) {
  std::vector<IndexKey> keys;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    std::string part = Trimmed(text.substr(start, end - start));
    if (part.empty() && end == text.size() && !keys.empty()) break;  // a trailing ";"
    IndexKey key;
    if (!part.empty() && (part[0] == '+' || part[0] == '-')) {
      key.descending = part[0] == '-';
      part = Trimmed(part.substr(1));
    }
    if (part.size() >= 2 && part.front() == '[' && part.back() == ']') part = part.substr(1, part.size() - 2);
    if (part.empty()) RaiseJetError(err::kInvalidIndex, "The index field list '" + text + "' names an empty field.");
    key.field = part;
    keys.push_back(std::move(key));
    start = end + 1;
  }
  return keys;
}

std::vector<const FieldModel*> FieldsInOrdinalOrder(const TableModel& table) {
  std::vector<const FieldModel*> fields;
  for (const FieldModel& field : table.fields) fields.push_back(&field);
  std::stable_sort(fields.begin(), fields.end(), [](const FieldModel* a, const FieldModel* b) {
    if (a->ordinal != b->ordinal) return a->ordinal < b->ordinal;
    return FoldCase(a->name) < FoldCase(b->name);
  });
  return fields;
}

}  // namespace qb::jet
