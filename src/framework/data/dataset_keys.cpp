// framework/data/dataset_keys: the set-key state: the key buffer, the criteria typed into it,
// and the searches by key (GotoKey, GotoNearest, FindKey, FindNearest).
#include <algorithm>

#include "framework/data/dataset.h"
#include "framework/data/field.h"

namespace qb {

void TDataSet::SetKey() { BeginKeyEntry(true); }
void TDataSet::EditKey() { BeginKeyEntry(false); }

void TDataSet::BeginKeyEntry(bool clear) {
  CheckBrowseMode();
  if (!key_buffer_) {
    key_buffer_ = AllocateRecordBuffer();
    ClearRecordBuffer(key_buffer_);
  }
  // Take a copy of the key for Cancel: the buffer's layout is the descendant's, so the copy
  // goes through the fields' native values.
  TDataSetState saved = SetTempState(dsSetKey);
  key_saved_ = KeySnapshot{};
  try {
    for (TField* field : fields_) {
      if (field->FieldKind() != fkData || field->DataSize() <= 0) continue;
      std::vector<std::uint8_t> bytes(static_cast<size_t>(field->DataSize()));
      if (ReadFieldValue(field, bytes.data())) key_saved_.values.emplace_back(field, std::move(bytes));
    }
  } catch (...) {
    RestoreState(saved);
    throw;
  }
  RestoreState(saved);
  key_saved_.texts = key_texts_;
  key_saved_.exclusive = key_exclusive_;
  key_saved_.field_count = key_field_count_;
  if (clear) {
    ClearRecordBuffer(key_buffer_);
    key_texts_.clear();
    key_exclusive_ = false;
    key_field_count_ = 0;
  }
  SetState(dsSetKey);
  DataEvent(deDataSetChange);  // the controls show the key now
}

void TDataSet::EndKeyEntry(bool commit) {
  DataEvent(deCheckBrowseMode);
  if (!commit) {
    TDataSetState saved = SetTempState(dsSetKey);
    try {
      for (TField* field : fields_) {
        if (field->FieldKind() != fkData || field->DataSize() <= 0) continue;
        auto it = std::find_if(key_saved_.values.begin(), key_saved_.values.end(),
                               [field](const auto& entry) { return entry.first == field; });
        WriteFieldValue(field, it == key_saved_.values.end() ? nullptr : it->second.data());
      }
    } catch (...) {
      RestoreState(saved);
      throw;
    }
    RestoreState(saved);
    key_texts_ = key_saved_.texts;
    key_exclusive_ = key_saved_.exclusive;
    key_field_count_ = key_saved_.field_count;
  }
  key_saved_ = KeySnapshot{};
  SetState(dsBrowse);
  DataEvent(deDataSetChange);  // the controls show the record again
}

void TDataSet::ReleaseKeyBuffer() {
  if (key_buffer_) ReleaseRecordBuffer(key_buffer_);
  key_buffer_ = nullptr;
  key_texts_.clear();
  key_saved_ = KeySnapshot{};
  key_exclusive_ = false;
  key_field_count_ = 0;
}

void TDataSet::SetKeyExclusive(bool value) {
  if (state_ != dsSetKey) DatabaseError(data_msg::kNotSetKey);
  key_exclusive_ = value;
}

void TDataSet::SetKeyFieldCount(int count) {
  if (state_ != dsSetKey) DatabaseError(data_msg::kNotSetKey);
  key_field_count_ = std::max(0, count);
}

const std::string* TDataSet::FindKeyText(const TField* field) const {
  for (const auto& entry : key_texts_)
    if (entry.first == field) return &entry.second;
  return nullptr;
}

std::string TDataSet::KeyCriterion(const TField* field) const {
  const std::string* text = FindKeyText(field);
  return text ? *text : std::string();
}

void TDataSet::ForgetKeyText(const TField* field) {
  if (setting_key_text_) return;
  key_texts_.erase(std::remove_if(key_texts_.begin(), key_texts_.end(),
                                  [field](const auto& entry) { return entry.first == field; }),
                   key_texts_.end());
}

void TDataSet::SetKeyText(TField* field, const std::string& text) {
  field->CheckWritable();
  ForgetKeyText(field);
  if (!text.empty()) key_texts_.emplace_back(field, text);
  // The value too, when the text is one: "42" is both a value and a criterion, "> 42" only
  // a criterion.
  setting_key_text_ = true;
  try {
    if (field->OnSetText)
      field->OnSetText(field, text);
    else
      field->SetAsString(text);
  } catch (const EDatabaseError&) {
    try {
      field->Clear();
    } catch (...) {
      setting_key_text_ = false;
      throw;
    }
  } catch (...) {
    setting_key_text_ = false;
    throw;
  }
  setting_key_text_ = false;
}

bool TDataSet::SeekKey(bool) { DatabaseError(data_msg::kNoKeySearch); }

bool TDataSet::GotoKey() {
  CheckBrowseMode();
  DoBeforeScroll();
  InvalidateCursorPosition();
  bool found = SeekKey(false);
  if (!found) return false;
  Resync(rmExact | rmCenter);
  DoAfterScroll();
  return true;
}

void TDataSet::GotoNearest() {
  CheckBrowseMode();
  DoBeforeScroll();
  InvalidateCursorPosition();
  SeekKey(true);
  Resync(rmCenter);
  DoAfterScroll();
}

void TDataSet::AssignKeyValues(const std::vector<Variant>& values) {
  std::vector<TField*> fields = IndexFields();
  if (values.size() > fields.size())
    DatabaseError(Format(data_msg::kTooManyKeyValues, static_cast<int>(values.size()),
                         static_cast<int>(fields.size())));
  SetKey();
  try {
    for (size_t i = 0; i < values.size(); ++i) fields[i]->SetAsVariant(values[i]);
    SetKeyFieldCount(static_cast<int>(values.size()));
  } catch (...) {
    Cancel();  // the key before stays
    throw;
  }
}

bool TDataSet::FindKey(const std::vector<Variant>& values) {
  CheckBrowseMode();
  AssignKeyValues(values);
  return GotoKey();
}

void TDataSet::FindNearest(const std::vector<Variant>& values) {
  CheckBrowseMode();
  AssignKeyValues(values);
  GotoNearest();
}

}  // namespace qb
