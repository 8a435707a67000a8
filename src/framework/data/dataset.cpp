// framework/data/dataset: opening and closing, state changes, fields, calculated fields and
// the notifications to data sources. Navigation and editing are in their own files.
#include "framework/data/dataset.h"

#include <algorithm>

#include "framework/data/data_source.h"
#include "framework/data/field.h"
#include "framework/component/properties.h"
#include "framework/data/blob_field.h"
#include "framework/data/field_classes.h"
#include "framework/gui/application.h"

namespace qb {

TDataSet::TDataSet(QObject* owner) : TComponent(owner) {}

TDataSet::~TDataSet() {
  // The descendant has closed the dataset (its hooks are gone by now).
  std::vector<TDataSource*> sources;
  sources.swap(sources_);
  for (TDataSource* source : sources) {
    source->dataset_ = nullptr;
    source->NotifyLinks(deUpdateState, 0);
  }
  for (TField* field : std::vector<TField*>(fields_)) field->dataset_ = nullptr;
  fields_.clear();
}

const PropertyTable& TDataSet::ClassProperties() {
  static const PropertyTable table =
      PropertyTableBuilder<TDataSet>()
          .Bool("Active", &TDataSet::Active, &TDataSet::SetActive, false)
          .Bool("AutoCalcFields", &TDataSet::AutoCalcFields, &TDataSet::SetAutoCalcFields, true)
          .Build();
  return table;
}

void TDataSet::CheckActive() const {
  if (state_ == dsInactive) DatabaseError(data_msg::kDataSetClosed);
}

void TDataSet::CheckInactiveForFields() const {
  if (state_ != dsInactive) DatabaseError(data_msg::kDataSetOpen);
}

void TDataSet::Loaded() {
  TComponent::Loaded();
  if (!stream_active_) return;
  try {
    SetActive(true);
  } catch (const std::exception& error) {
    if (!IsDesigning()) throw;
    ReportException(error);
  }
}

void TDataSet::ReportException(const std::exception& error) {
  if (dynamic_cast<const EAbort*>(&error)) return;
  App().HandleException(error);
}

void TDataSet::SetActive(bool active) {
  if (IsLoading()) {
    stream_active_ = active;
    return;
  }
  if (active == Active()) return;
  if (active) {
    Fire(BeforeOpen);
    OpenCursor();
    if (!Active()) return;  // the descendant had nothing to open
    Fire(AfterOpen);
    DoAfterScroll();
  } else {
    Fire(BeforeClose);
    CloseCursor();
    Fire(AfterClose);
  }
}

void TDataSet::OpenCursor() {
  // Fields join or leave only while closed, so an open dataset keeps what is checked here.
  CheckLookupFields();
  try {
    OpenRecordset();
    if (!CursorIsOpen()) {
      CloseCursor();
      return;
    }
    // Browse before the first fetch: field access in OnCalcFields needs an open dataset.
    state_ = dsBrowse;
    modified_ = false;
    UpdateBufferCount();
    ClearBuffers();
    FillForward();
    bof_ = true;
    eof_ = record_count_ == 0;
  } catch (...) {
    CloseCursor();
    throw;
  }
  state_ = dsInactive;  // SetState tells the links
  SetState(dsBrowse);
}

void TDataSet::CloseCursor() {
  if (state_ == dsEdit || state_ == dsInsert) {
    // A pending edit must not survive in the descendant's cursor.
    try {
      CancelRecord();
    } catch (const std::exception& error) {
      ReportException(error);
    } catch (...) {
    }
  }
  if (state_ != dsInactive) SetState(dsInactive);
  try {
    CloseRecordset();
  } catch (...) {
    FreeBuffers();
    ReleaseKeyBuffer();
    DestroyFields();
    throw;
  }
  FreeBuffers();
  ReleaseKeyBuffer();
  DestroyFields();
  bookmark_size_ = 0;
}

void TDataSet::SetState(TDataSetState state) {
  if (state_ == state) return;
  bool block_read_ends = state_ == dsBlockRead;
  if (block_read_ends) block_read_size_ = 0;
  state_ = state;
  modified_ = false;
  DataEvent(deUpdateState);
  // The links missed every move of the block read: they catch up with the ring.
  if (block_read_ends && state_ != dsInactive) DataEvent(deDataSetChange);
}

TDataSetState TDataSet::SetTempState(TDataSetState state) {
  TDataSetState old = state_;
  state_ = state;
  ++disable_count_;
  return old;
}

void TDataSet::RestoreState(TDataSetState state) {
  state_ = state;
  --disable_count_;
}

// ---------------------------------------------------------------- fields

TField* TDataSet::FindField(std::string_view name) const {
  for (TField* field : fields_)
    if (SameName(field->FieldName(), name)) return field;
  return nullptr;
}

TField* TDataSet::FieldByName(std::string_view name) const {
  TField* field = FindField(name);
  if (!field) DatabaseError(Format(data_msg::kFieldNotFound, std::string(name)));
  return field;
}

void TDataSet::AddField(TField* field) {
  fields_.push_back(field);
  DataEvent(deLayoutChange);
}

void TDataSet::RemoveField(TField* field) {
  fields_.erase(std::remove(fields_.begin(), fields_.end(), field), fields_.end());
}

namespace {
template <class F>
TField* Make(QObject* owner) {
  return new F(owner);
}
}  // namespace

TFieldFactory TDataSet::FieldClassFor(TFieldType type) const {
  switch (type) {
    case ftString:
    case ftFixedChar: return &Make<TStringField>;
    case ftSmallint: return &Make<TSmallintField>;
    case ftInteger: return &Make<TIntegerField>;
    case ftWord: return &Make<TWordField>;
    case ftBoolean: return &Make<TBooleanField>;
    case ftFloat: return &Make<TFloatField>;
    case ftCurrency: return &Make<TCurrencyField>;
    case ftBCD: return &Make<TBCDField>;
    case ftDate: return &Make<TDateField>;
    case ftTime: return &Make<TTimeField>;
    case ftDateTime: return &Make<TDateTimeField>;
    case ftBytes: return &Make<TBytesField>;
    case ftVarBytes: return &Make<TVarBytesField>;
    case ftAutoInc: return &Make<TAutoIncField>;
    case ftLargeint: return &Make<TLargeintField>;
    case ftBlob:
    case ftFmtMemo:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary: return &Make<TBlobField>;
    case ftMemo: return &Make<TMemoField>;
    case ftGraphic: return &Make<TGraphicField>;
    default: return nullptr;
  }
}

std::unique_ptr<TBlobStream> TDataSet::OpenBlobStream(TField* field, TBlobStreamMode) {
  DatabaseError(Format(data_msg::kFieldAccess, field->DisplayName(), "Blob"));
}

std::unique_ptr<TBlobStream> TDataSet::CreateBlobStream(TField* field, TBlobStreamMode mode) {
  CheckActive();
  if (mode != bmRead) field->CheckWritable();
  return OpenBlobStream(field, mode);
}

void TDataSet::CreateFields() {
  if (!fields_.empty()) return;  // persistent fields
  for (const TFieldDef& def : field_defs_) {
    TFieldFactory make = FieldClassFor(def.data_type);
    if (!make) continue;
    TField* field = make(this);
    field->SetFieldName(def.name);
    if (def.size > 0) field->SetSize(def.size);
    field->SetRequired(def.required);
    // Made from the definitions for this opening only: form text must not store them as
    // fields placed on the form.
    field->SetSubComponent(true);
    field->dataset_ = this;
    fields_.push_back(field);
  }
  default_fields_ = true;
}

void TDataSet::DestroyFields() {
  if (!default_fields_) return;
  default_fields_ = false;
  std::vector<TField*> fields;
  fields.swap(fields_);
  for (TField* field : fields) {
    field->dataset_ = nullptr;
    delete field;
  }
}

void TDataSet::BindFields(bool binding) {
  for (TField* field : fields_) {
    if (!binding) {
      if (field->FieldKind() == fkData || field->FieldKind() == fkInternalCalc) field->SetFieldNo(0);
      continue;
    }
    if (field->FieldKind() != fkData && field->FieldKind() != fkInternalCalc) continue;
    const TFieldDef* def = field_defs_.Find(field->FieldName());
    if (!def) {
      // An internally calculated field may live only in the buffers.
      if (field->FieldKind() == fkInternalCalc) continue;
      DatabaseError(Format(data_msg::kFieldNotFound, field->DisplayName()));
    }
    field->SetFieldNo(def->field_no);
  }
}

bool TDataSet::HasCalcFields() const {
  return std::any_of(fields_.begin(), fields_.end(), [](const TField* f) {
    return f->FieldKind() == fkCalculated || f->FieldKind() == fkLookup;
  });
}

void TDataSet::ComputeCalculatedFields(TRecordBuffer buffer) {
  if (!HasCalcFields()) return;
  TRecordBuffer saved_buffer = calc_buffer_;
  TDataSetState saved = SetTempState(dsCalcFields);
  calc_buffer_ = buffer;
  try {
    for (TField* field : fields_)
      if (field->FieldKind() == fkCalculated || field->FieldKind() == fkLookup) field->Clear();
    for (TField* field : fields_)
      if (field->FieldKind() == fkLookup) ComputeLookupValue(field);
    Fire(OnCalcFields);
  } catch (...) {
    calc_buffer_ = saved_buffer;
    RestoreState(saved);
    throw;
  }
  calc_buffer_ = saved_buffer;
  RestoreState(saved);
}

// ---------------------------------------------------------------- notifications

void TDataSet::DataEvent(TDataEvent event, std::intptr_t info) {
  if (event == deFieldChange) {
    auto* field = reinterpret_cast<TField*>(info);
    if (field && (field->FieldKind() == fkData || field->FieldKind() == fkInternalCalc)) {
      modified_ = true;
      if (auto_calc_fields_ && state_ != dsSetKey && record_count_ > 0 && HasCalcFields())
        ComputeCalculatedFields(ActiveBuffer());
    }
    if (field) field->Change();
  }
  bool always = event == deUpdateRecord || event == deCheckBrowseMode;
  if (state_ == dsBlockRead) return;  // the links hear of a block read when it ends
  if (disable_count_ == 0 || always) {
    for (TDataSource* source : std::vector<TDataSource*>(sources_)) source->NotifyLinks(event, info);
  } else if (event == deLayoutChange || (event == deUpdateState && state_ == dsInactive)) {
    enable_event_ = deLayoutChange;
  }
}

void TDataSet::DisableControls() {
  if (disable_count_ == 0) {
    disable_state_ = state_;
    enable_event_ = deDataSetChange;
  }
  ++disable_count_;
}

void TDataSet::EnableControls() {
  if (disable_count_ == 0) return;
  if (--disable_count_ > 0) return;
  if (disable_state_ != state_) DataEvent(deUpdateState);
  if (disable_state_ != dsInactive && state_ != dsInactive) DataEvent(enable_event_);
}

void TDataSet::AddDataSource(TDataSource* source) {
  sources_.push_back(source);
  UpdateBufferCount();
}

void TDataSet::RemoveDataSource(TDataSource* source) {
  sources_.erase(std::remove(sources_.begin(), sources_.end(), source), sources_.end());
  UpdateBufferCount();
}

bool TDataSet::IsLinkedTo(const TDataSource* source) const {
  // Follows the chain of masters; a chain that loops without reaching SOURCE ends the walk.
  const TDataSet* dataset = this;
  for (int steps = 0; dataset && steps < 1000; ++steps) {
    TDataSource* master = dataset->MasterDataSource();
    if (!master) return false;
    if (master == source) return true;
    dataset = master->DataSet();
  }
  return false;
}

void TDataSet::UpdateBufferCount() {
  if (state_ == dsInactive) return;
  int needed = 1;
  for (TDataSource* source : sources_)
    for (TDataLink* link : source->DataLinks()) needed = std::max(needed, link->BufferCount());
  SetBufferCount(needed);
}

}  // namespace qb
