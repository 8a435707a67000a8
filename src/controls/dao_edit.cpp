// controls/dao_edit: the control state by dataset state, and the criteria characters.
#include "controls/dao_edit.h"

#include <QFocusEvent>

#include "controls/control_look.h"
#include "controls/dataset_state_colors.h"
#include "framework/data/dataset.h"
#include "framework/data/field_classes.h"
#include "recordset/dao_base_recordset.h"

namespace qb {

const std::bitset<256>& CriteriaChars() {
  static const std::bitset<256> chars = [] {
    std::bitset<256> set;
    for (unsigned char c : std::string(" !#'()*-<=>?[]ADEIKLNORTadeiklnort")) set.set(c);
    return set;
  }();
  return chars;
}

TDAOEdit::TDAOEdit(QWidget* parent) : TDBEdit(parent, std::make_unique<TDAOFieldDataLink>()) {
  Link().OnControlState = [this] { UpdateControlState(); };
}

TDAOEdit::~TDAOEdit() {
  Link().OnControlState = nullptr;
  RemoveCriteriaChars();
  SetDataSource(nullptr);
}

const char* TDAOEdit::About() { return "Quillbase data-access components"; }

void TDAOEdit::SetChangeColorOnDataSetStateChange(bool value) {
  change_color_ = value;
  if (Link().DataSet()) UpdateControlState();
}

bool TDAOEdit::FieldIsNumeric() const { return qobject_cast<TNumericField*>(Field()) != nullptr; }

void TDAOEdit::AddCriteriaChars() {
  TField* field = Field();
  if (!field || own_chars_) return;
  std::bitset<256> chars;
  for (int c = 0; c < 256; ++c) chars.set(static_cast<size_t>(c), field->IsValidChar(static_cast<unsigned char>(c)));
  own_chars_ = chars;
  chars_field_ = field;
  field->SetValidChars(chars | CriteriaChars());
}

void TDAOEdit::RemoveCriteriaChars() {
  // Only the characters that were added go: a numeric field keeps its own minus sign and
  // exponent letter, which are criteria characters too.
  if (own_chars_ && chars_field_ && chars_field_ == Field()) chars_field_->SetValidChars(*own_chars_);
  own_chars_.reset();
  chars_field_ = nullptr;
}

void TDAOEdit::UpdateControlState() {
  TDataSet* dataset = Link().DataSet();
  if (!dataset) return;
  if (dataset->State() != dsSetKey) {
    if (FieldIsNumeric()) RemoveCriteriaChars();
    if (change_color_) SetControlColor(*this, DataSetStateColor(dataset->State()));
    SetControlEnabled(*this, dataset->CanModify());
    return;
  }
  if (FieldIsNumeric()) AddCriteriaChars();
  auto* recordset = dynamic_cast<TDAOBaseRecordset*>(dataset);
  if (recordset && Field() && recordset->RestrictFilterToIndexedFields() && !recordset->IsIndexedField(Field())) {
    if (change_color_) SetControlColor(*this, DataSetStateColor(dsBrowse));
    SetControlEnabled(*this, false);
  } else {
    if (change_color_) SetControlColor(*this, DataSetStateColor(dataset->State()));
    SetControlEnabled(*this, dataset->CanModify());
  }
  clear();
}

void TDAOEdit::focusInEvent(QFocusEvent* event) {
  // The focused look (the field's edit text) only outside the set-key state: there the edit
  // holds the criterion being typed.
  TDataSet* dataset = Link().DataSet();
  if (dataset && dataset->State() == dsSetKey) {
    QLineEdit::focusInEvent(event);
    return;
  }
  TDBEdit::focusInEvent(event);
}

}  // namespace qb
