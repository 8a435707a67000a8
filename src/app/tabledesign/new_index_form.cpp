// app/tabledesign/new_index_form: layout, field list and name rules of the new-index dialog.
#include "app/tabledesign/new_index_form.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

#include "app/tabledesign/field_types.h"
#include "app/tabledesign/list_drag.h"
#include "app/widgets/list_box_rules.h"
#include "app/widgets/ok_cancel_buttons.h"
#include "jet/dao/tabledef.h"

namespace qb {

namespace {

std::string Joined(const std::vector<std::string>& parts, const char* separator) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : separator) + part;
  return text;
}

}  // namespace

TFormNewIndex::TFormNewIndex(QWidget* parent)
    : QDialog(parent), edit_name_(new QLineEdit(this)), field_list_(new QListWidget(this)) {
  setObjectName("TFormNewIndex");
  setWindowTitle("New Index for Table: Unknown");
  edit_name_->setObjectName("EditName");
  field_list_->setObjectName("FieldList");
  field_list_->setSelectionMode(QAbstractItemView::SingleSelection);
  drag_ = new TListDrag(field_list_);
  drag_->OnDrop = [this](int position) { FieldListDragDrop(position); };
  connect(field_list_, &QListWidget::itemChanged, this, [this] { FieldListClickCheck(); });

  auto* attributes = new QGroupBox(" Attributes ", this);
  attributes->setObjectName("GroupBoxAttributes");
  auto* boxes = new QVBoxLayout(attributes);
  auto make_box = [&](const char* name, const char* text, bool checked) {
    auto* box = new QCheckBox(QString::fromUtf8(text), attributes);
    box->setObjectName(name);
    box->setChecked(checked);
    boxes->addWidget(box);
    return box;
  };
  foreign_key_ = make_box("CheckBoxForeignKey", "Foreign Key", false);
  allow_duplicates_ = make_box("CheckBoxAllowDuplicates", "Allow Duplicates", true);
  ignore_nulls_ = make_box("CheckBoxIgnoreNulls", "Don't add NULL Values", true);
  primary_ = make_box("CheckBoxPrimaryKey", "Primary Key", false);
  clustered_ = make_box("CheckBoxClustered", "Clustered", false);
  required_ = make_box("CheckBoxRequired", "Required", false);
  boxes->addStretch(1);

  QDialogButtonBox* buttons = OkCancelButtons(this);

  auto* name_label = new QLabel("Name:", this);
  name_label->setObjectName("LabelName");
  name_label->setBuddy(edit_name_);
  auto* fields_header = new QLabel(" Fields:", this);
  fields_header->setObjectName("PanelFieldsHeader");
  fields_header->setFrameShape(QFrame::Panel);
  fields_header->setFrameShadow(QFrame::Raised);

  auto* name_row = new QHBoxLayout;
  name_row->addWidget(name_label);
  name_row->addWidget(edit_name_, 1);
  auto* fields_column = new QVBoxLayout;
  fields_column->setSpacing(0);
  fields_column->addWidget(fields_header);
  fields_column->addWidget(field_list_, 1);
  auto* middle = new QHBoxLayout;
  middle->addLayout(fields_column, 1);
  middle->addWidget(attributes);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(name_row);
  layout->addLayout(middle, 1);
  layout->addWidget(buttons);
  resize(331, 280);
  setMinimumSize(150, 120);
}

void TFormNewIndex::SetTable(const std::shared_ptr<jet::TableDef>& table) {
  const QSignalBlocker quiet(field_list_);
  field_list_->clear();
  if (!table) {
    setWindowTitle("New Index for Table: Unknown");
    return;
  }
  setWindowTitle(QString::fromStdString("New Index for Table: " + table->Name()));
  auto fields = table->Fields();
  for (int i = 0; i < fields->Count(); ++i) {
    auto field = fields->Item(i);
    if (!IsIndexableFieldType(field->Type())) continue;
    auto* item = new QListWidgetItem(QString::fromStdString(field->Name()), field_list_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
  }
}

std::string TFormNewIndex::IndexName() const { return edit_name_->text().toStdString(); }

void TFormNewIndex::SetIndexName(const std::string& name) { edit_name_->setText(QString::fromStdString(name)); }

bool TFormNewIndex::AllowDuplicates() const { return allow_duplicates_->isChecked(); }
bool TFormNewIndex::IgnoreNulls() const { return ignore_nulls_->isChecked(); }
bool TFormNewIndex::Primary() const { return primary_->isChecked(); }
bool TFormNewIndex::Clustered() const { return clustered_->isChecked(); }
bool TFormNewIndex::Required() const { return required_->isChecked(); }

std::vector<std::string> TFormNewIndex::CheckedFields() const {
  std::vector<std::string> names;
  for (int i = 0; i < field_list_->count(); ++i) {
    const QListWidgetItem* item = field_list_->item(i);
    if (item->checkState() == Qt::Checked) names.push_back(item->text().toStdString());
  }
  return names;
}

std::string TFormNewIndex::IndexFields() const { return Joined(CheckedFields(), ";"); }

void TFormNewIndex::FieldListClickCheck() {
  const std::vector<std::string> checked = CheckedFields();
  if (!checked.empty()) SetIndexName(Joined(checked, "_"));
}

void TFormNewIndex::FieldListDragDrop(int drop_position) {
  const int selected = SelectedPosition(*field_list_);
  if (selected < 0 || drop_position < 0 || drop_position >= field_list_->count() || drop_position == selected) return;
  {
    const QSignalBlocker quiet(field_list_);
    QListWidgetItem* item = field_list_->takeItem(selected);
    field_list_->insertItem(drop_position, item);  // the item keeps its check
    field_list_->setCurrentItem(item);
  }
  FieldListClickCheck();
}

}  // namespace qb
