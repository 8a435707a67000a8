// recordset/dao_recordset_search: Locate and Lookup by one engine call (Seek on a matching index
// for table recordsets, FindFirst with criteria built from the keys for the query types), the
// index list and index definitions, NoMatch, and the key searches of the set-key state.
#include <algorithm>
#include <cctype>

#include "core/format.h"
#include "core/resource_strings.h"
#include "engine/dao_database.h"
#include "engine/dao_errors.h"
#include "engine/dao_wait_cursor.h"
#include "engine/text_scan.h"
#include "framework/data/field.h"
#include "jet/dao/database.h"
#include "jet/dao/index.h"
#include "jet/dao/tabledef.h"
#include "jet/recordset/recordset.h"
#include "recordset/dao_base_recordset.h"
#include "recordset/sql_literals.h"

namespace qb {

namespace {

constexpr int kMaxSeekKeys = 13;

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
         });
}

// The key values as a list: the elements of a variant array, or the one value.
std::vector<Variant> KeyValueList(const Variant& values) {
  if (values.Type() == VarType::VariantArray) return values.Items();
  return {values};
}

// TEXT as a LIKE pattern matching exactly the texts that begin with it: the pattern characters
// in it stand for themselves.
std::string PrefixPattern(const std::string& text) {
  std::string pattern;
  for (char c : text) {
    if (c == '*' || c == '?' || c == '#' || c == '[') {
      pattern += '[';
      pattern += c;
      pattern += ']';
    } else {
      pattern += c;
    }
  }
  return pattern + "*";
}

// The table a FROM clause starts with: a bracketed name without its brackets, else the first
// word (an alias or a join after it names no table of its own).
std::string StatementTable(const std::string& from) {
  if (!from.empty() && from.front() == '[') {
    const size_t end = from.find(']');
    return end == std::string::npos ? from.substr(1) : from.substr(1, end - 1);
  }
  return from.substr(0, from.find_first_of(" \t\r\n,"));
}

}  // namespace

// ------------------------------------------------------------------ indexes

std::shared_ptr<jet::Indexes> TDAOBaseRecordset::IndexList() const {
  if (WorkspaceType() != wtUseJet) return nullptr;
  try {
    if (type_ == rtTable && recordset_) {
      // Reading the indexes reads the table definitions: once per opened recordset is enough.
      const bool same = !index_list_of_.expired() && !index_list_of_.owner_before(recordset_) &&
                        !recordset_.owner_before(index_list_of_);
      if (!same || !index_list_) {
        index_list_ = recordset_->Indexes();
        index_list_of_ = recordset_;
      }
      return index_list_;
    }
    if (database_ == nullptr) return nullptr;
    if (!database_->Connected()) database_->Open();
    if (!database_->Connected()) return nullptr;
    return database_->DatabaseObject()->TableDefs()->Item(std::string_view(StatementTable(TableName())))->Indexes();
  } catch (const Exception&) {
    return nullptr;  // no such table: no indexes
  }
}

std::string TDAOBaseRecordset::GetIndexFieldsText(const std::string& index_name) const {
  std::shared_ptr<jet::Indexes> indexes = IndexList();
  if (!indexes) return {};
  try {
    return DeleteChars(TrimChars(indexes->Item(std::string_view(index_name))->Fields(), " ;"), "+-");
  } catch (const Exception&) {
    return {};
  }
}

std::string TDAOBaseRecordset::FindIndexName(const std::string& fields) const {
  std::shared_ptr<jet::Indexes> indexes = IndexList();
  if (!indexes) return {};
  const int count = CallEngine(this, "FindIndexName", [&] { return indexes->Count(); });
  for (int i = 0; i < count; ++i) {
    std::shared_ptr<jet::Index> index = CallEngine(this, "FindIndexName", [&] { return indexes->Item(i); });
    if (SameText(TrimChars(DeleteChars(index->Fields(), "+-"), " ;"), fields)) return index->Name();
  }
  return {};
}

void TDAOBaseRecordset::UpdateIndexDefs() {
  index_defs_.Clear();
  std::shared_ptr<jet::Indexes> indexes = IndexList();
  if (!indexes) return;
  CallEngine(this, "UpdateIndexDefs", [&] {
    for (int i = 0; i < indexes->Count(); ++i) {
      std::shared_ptr<jet::Index> index = indexes->Item(i);
      TIndexOptions options = 0;
      if (index->Primary()) options |= ixPrimary;
      if (index->Unique()) options |= ixUnique;
      index_defs_.Add(index->Name(), index->Fields(), options);
    }
  });
}

bool TDAOBaseRecordset::IsIndexedField(const TField* field) const {
  if (State() == dsSetKey && !restrict_filter_) return true;
  return field != nullptr && !FindIndexName(field->FieldName()).empty();
}

std::vector<TField*> TDAOBaseRecordset::IndexFields() const {
  std::vector<TField*> fields;
  if (type_ != rtTable || index_.empty()) return fields;
  const std::string text = GetIndexFieldsText(index_);
  int pos = 1;
  while (pos <= static_cast<int>(text.size())) {
    const std::string name = TrimChars(NextWord(text, pos, ";", true), " ");
    if (name.empty()) continue;
    TField* field = FindField(name);
    if (field == nullptr) break;  // a key field the dataset does not show ends the usable key
    fields.push_back(field);
  }
  return fields;
}

// ------------------------------------------------------------------ engine searches

bool TDAOBaseRecordset::AfterSearch(bool found, bool move) {
  if (found && move) {
    DoBeforeScroll();
    Resync(rmExact | rmCenter);
    DoAfterScroll();
  } else if (!found) {
    InvalidateCursorPosition();  // the engine cursor may have left the active record
  }
  return found;
}

bool TDAOBaseRecordset::Seek(const std::string& comparison, const Variant& key_values, bool move) {
  if (!recordset_) return false;
  DAOWaitScope wait;
  CheckWorkspaceType(wtUseJet, "'Seek' Method");
  std::vector<Variant> keys = KeyValueList(key_values);
  if (keys.size() > static_cast<size_t>(kMaxSeekKeys)) keys.resize(kMaxSeekKeys);
  try {
    recordset_->Seek(comparison, keys);
  } catch (const Exception& error) {
    throw EOleError(error.Message());
  }
  CursorMoved();
  return AfterSearch(!NoMatch(), move);
}

bool TDAOBaseRecordset::SearchForRecord(const std::string& criteria, bool move, TFindOperation operation) {
  DAOWaitScope wait;
  const char* method = "SearchForRecord";
  if (WorkspaceType() != wtUseJet) RaiseDAOError(this, Format(ResString(kResOperationJetOnly), method), method);
  if (!recordset_) return false;
  CallEngine(this, method, [&] {
    switch (operation) {
      case foFindFirst: recordset_->FindFirst(criteria); break;
      case foFindLast: recordset_->FindLast(criteria); break;
      case foFindNext: recordset_->FindNext(criteria); break;
      case foFindPrevious: recordset_->FindPrevious(criteria); break;
    }
  });
  CursorMoved();
  return AfterSearch(!NoMatch(), move);
}

bool TDAOBaseRecordset::NoMatch() const {
  if (!recordset_) return true;
  const bool searchable = type_ == rtTable || type_ == rtQuery || type_ == rtSnapshot || type_ == rtStoredProcedure;
  if (WorkspaceType() != wtUseJet || !searchable) RaiseDAOError(this, ResString(kResNoMatchNotAllowed), "GetNoMatch");
  return CallEngine(this, "GetNoMatch", [&] { return recordset_->NoMatch(); });
}

// ------------------------------------------------------------------ Locate and Lookup

std::string TDAOBaseRecordset::LocateCriteria(std::string_view key_fields, const Variant& key_values,
                                              TLocateOptions options) const {
  const bool partial = (options & loPartialKey) != 0;
  const std::vector<Variant> values = KeyValueList(key_values);
  std::string criteria;
  int pos = 1;
  const int size = static_cast<int>(key_fields.size());
  for (size_t n = 0; pos <= size && n < values.size(); ++n) {
    const std::string name = TrimChars(NextWord(key_fields, pos, ";,", true), " ;,[]");
    const Variant& value = values[n];
    TField* field = name.empty() ? nullptr : FindField(name);
    if (field == nullptr || value.IsNull() || value.IsEmpty()) continue;
    std::string term;
    switch (field->DataType()) {
      case ftString:
      case ftFixedChar:
      case ftWideString:
        term = partial ? " LIKE " + SqlTextLiteral(PrefixPattern(value.ToString())) : " = " + SqlTextLiteral(value.ToString());
        break;
      case ftDate:
      case ftTime:
      case ftDateTime: term = (partial ? " >= " : " = ") + SqlDateLiteral(value.ToDate()); break;
      default: term = (partial ? " >= " : " = ") + SqlNumberLiteral(value); break;
    }
    if (!criteria.empty()) criteria += " AND ";
    criteria += "([" + field->FieldName() + "]" + term + ")";
  }
  return criteria;
}

namespace {

std::string KeyFieldsForIndex(std::string_view key_fields) {
  std::string fields(key_fields);
  std::replace(fields.begin(), fields.end(), ',', ';');
  return fields;
}

}  // namespace

void TDAOBaseRecordset::UseIndexOf(std::string_view key_fields) {
  const std::string fields = KeyFieldsForIndex(key_fields);
  if (!index_.empty() && SameText(GetIndexFieldsText(index_), TrimChars(fields, " ;"))) return;
  // Looked up before switching: a search that cannot run keeps the order shown.
  const std::string index = FindIndexName(fields);
  if (index.empty()) RaiseDAOError(this, Format(ResString(kResNoIndexForFields), std::string(key_fields)), "Locate");
  SetIndex(index);
}

bool TDAOBaseRecordset::LocateRecord(std::string_view key_fields, const Variant& key_values, bool move,
                                     TLocateOptions options) {
  if (!recordset_) return false;
  switch (type_) {
    case rtQuery:
    case rtSnapshot:
    case rtStoredProcedure: {
      const std::string criteria = LocateCriteria(key_fields, key_values, options);
      if (criteria.empty()) return false;
      return SearchForRecord(criteria, move, foFindFirst);
    }
    case rtTable: break;
    default: RaiseDAOError(this, ResString(kResLocateNotSupported), "Locate");
  }
  UseIndexOf(key_fields);
  return Seek((options & loPartialKey) != 0 ? ">=" : "=", key_values, move);
}

bool TDAOBaseRecordset::Locate(std::string_view key_fields, const Variant& key_values, TLocateOptions options) {
  if (Active()) CheckBrowseMode();  // the engine drops a pending edit when its cursor moves
  return LocateRecord(key_fields, key_values, true, options);
}

Variant TDAOBaseRecordset::Lookup(std::string_view key_fields, const Variant& key_values,
                                  std::string_view result_fields) {
  Variant result = Variant::Null();
  if (!recordset_) return result;
  CheckBrowseMode();
  if (type_ == rtTable) {
    // The index is chosen first: switching it refills the records, which the set-key state
    // below must not see.
    UseIndexOf(key_fields);
  }
  const TDataSetState saved = SetTempState(dsSetKey);
  looking_up_ = true;
  try {
    if (LocateRecord(key_fields, key_values, false, 0)) {
      if (set_key_buffer_ == nullptr) set_key_buffer_ = AllocateRecordBuffer();
      ReadCurrentRecord(set_key_buffer_);
      result = FieldValues(result_fields);
      InvalidateCursorPosition();
    }
  } catch (...) {
    looking_up_ = false;
    RestoreState(saved);
    throw;
  }
  looking_up_ = false;
  RestoreState(saved);
  return result;
}

// ------------------------------------------------------------------ key searches

bool TDAOBaseRecordset::SeekKey(bool nearest) {
  if (type_ != rtTable || !recordset_ || index_.empty()) return TDataSet::SeekKey(nearest);
  std::vector<TField*> fields = IndexFields();
  if (KeyFieldCount() > 0 && static_cast<size_t>(KeyFieldCount()) < fields.size()) fields.resize(static_cast<size_t>(KeyFieldCount()));
  std::vector<Variant> values;
  const TDataSetState saved = SetTempState(dsSetKey);
  try {
    for (TField* field : fields) values.push_back(field->AsVariant());
  } catch (...) {
    RestoreState(saved);
    throw;
  }
  RestoreState(saved);
  // Without a KeyFieldCount the key is the leading fields that were given a value.
  if (KeyFieldCount() == 0)
    while (!values.empty() && (values.back().IsNull() || values.back().IsEmpty())) values.pop_back();
  const std::string comparison = !nearest ? "=" : KeyExclusive() ? ">" : ">=";
  const bool found = Seek(comparison, Variant::FromArray(std::move(values)), false);
  if (!found && nearest) MoveAfterLast();
  return found;
}

}  // namespace qb
