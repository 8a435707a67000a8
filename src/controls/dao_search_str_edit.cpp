// controls/dao_search_str_edit: the delayed search and FindNearestEntry.
#include "controls/dao_search_str_edit.h"

#include "core/format.h"
#include "core/resource_strings.h"
#include "engine/dao_errors.h"
#include "engine/dao_message_box.h"
#include "framework/data/data_source.h"
#include "framework/data/dataset.h"
#include "framework/data/field.h"
#include "framework/gui/message_box.h"
#include "framework/gui/window_timer.h"
#include "recordset/dao_base_recordset.h"

namespace qb {

TDAOSearchStrEdit::TDAOSearchStrEdit(QWidget* parent) : QLineEdit(parent) {
  connect(this, &QLineEdit::textChanged, this, [this] {
    if (!silent_) RestartSearchTimer();
  });
}

const char* TDAOSearchStrEdit::About() { return "Quillbase data-access components"; }

void TDAOSearchStrEdit::SetTextSilently(const QString& text) {
  silent_ = true;
  setText(text);
  silent_ = false;
  setCursorPosition(static_cast<int>(text.size()));
}

void TDAOSearchStrEdit::Loaded() {
  if (timer_) timer_->SetEnabled(false);
  SetTextSilently(QString());
}

void TDAOSearchStrEdit::RestartSearchTimer() {
  if (!timer_) return;
  timer_->OnTimer = [this](WindowTimer& timer) { TimerFired(timer); };
  // Disabled and enabled again: the delay counts from the latest change.
  timer_->SetEnabled(false);
  timer_->SetEnabled(true);
}

void TDAOSearchStrEdit::TimerFired(WindowTimer& timer) {
  timer.SetEnabled(false);
  FindNearestEntry();
}

void TDAOSearchStrEdit::FindNearestEntry() {
  TDataSet* dataset = source_ ? source_->DataSet() : nullptr;
  auto* recordset = dynamic_cast<TDAOBaseRecordset*>(dataset);
  // A closed recordset has nothing to position (and no fields to tell of).
  if (!recordset || !recordset->Active()) return;
  std::string name = search_field_;
  if (name.empty()) {
    switch (recordset->RecordSetType()) {
      case rtTable: name = recordset->GetIndexFieldsText(recordset->Index()); break;
      case rtStoredProcedure: break;
      default: name = recordset->SQLSortField(); break;
    }
  }
  if (name.empty()) return;
  TField* field = recordset->FindField(name);
  if (!field)
    RaiseDAOError(nullptr, Format(ResString(kResNoFieldInRecordset), name, recordset->Name()), "FindNearestEntry");
  const std::string text = this->text().toStdString();
  Variant key;
  const char* missing = ResString(kResNoValueAtLeast);
  std::string shown = text;
  switch (field->DataType()) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
      key = Variant(text);
      missing = ResString(kResNoValueStartingWith);
      break;
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
      if (text.empty()) return;  // emptied by Backspace: nothing to look for
      key = Variant(Variant(text).ToInt32());
      break;
    case ftFloat:
    case ftCurrency:
    case ftBCD:
      if (text.empty()) return;
      key = Variant(Variant(text).ToDouble());
      break;
    case ftDate:
    case ftTime:
    case ftDateTime:
      if (text.empty()) return;
      key = Variant::FromDate(Variant(text).ToDate());
      shown = "'" + text + "'";
      break;
    default:
      return;
  }
  if (!recordset->Locate(field->FieldName(), key, loPartialKey))
    ShowMessageBox(Format(missing, field->FieldName(), shown), mcInformation, MB_OK);
  recordset->SetSearchText(text);
}

}  // namespace qb
