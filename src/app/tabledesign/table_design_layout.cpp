// app/tabledesign/table_design_layout: the controls of the table designer, their names, texts
// and places. Behaviour lives in the other table_design_*.cpp files.
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/tabledesign/field_types.h"
#include "app/tabledesign/list_drag.h"
#include "app/tabledesign/table_design_form.h"
#include "app/widgets/nim_grip_panel.h"

namespace qb {

namespace {

QLabel* Header(const char* name, const char* text) {
  auto* header = new QLabel(QString::fromUtf8(text));
  header->setObjectName(name);
  header->setFrameShape(QFrame::Panel);
  header->setFrameShadow(QFrame::Raised);
  return header;
}

QPushButton* Button(const char* name, const char* text) {
  auto* button = new QPushButton(QString::fromUtf8(text));
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

template <class T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(name);
  return widget;
}

// A group box titled TITLE holding one check box per entry of BOXES (name, text), stored in OUT.
QGroupBox* BoxGroup(const char* name, const char* title,
                    std::initializer_list<std::pair<const char*, const char*>> boxes, QCheckBox** out) {
  auto* group = Named(new QGroupBox(QString::fromUtf8(title)), name);
  auto* layout = new QVBoxLayout(group);
  layout->setSpacing(2);
  for (const auto& [box_name, text] : boxes) {
    *out = Named(new QCheckBox(QString::fromUtf8(text), group), box_name);
    layout->addWidget(*out++);
  }
  return group;
}

// The list of a page under its header, at the page's left.
QVBoxLayout* ListColumn(QLabel* header, QListWidget* list) {
  auto* column = new QVBoxLayout;
  column->setSpacing(0);
  column->addWidget(header);
  column->addWidget(list, 1);
  return column;
}

QLabel* Caption(const char* name, const char* text, QWidget* buddy) {
  auto* label = Named(new QLabel(QString::fromUtf8(text)), name);
  label->setBuddy(buddy);
  return label;
}

}  // namespace

void TTableDesignForm::BuildControls() {
  // Page "Fields".
  list_fields_ = Named(new QListWidget, "ListBoxFields");
  list_fields_->setSelectionMode(QAbstractItemView::SingleSelection);
  fields_drag_ = new TListDrag(list_fields_);
  edit_field_name_ = Named(new QLineEdit, "EditFieldName");
  combo_type_ = Named(new QComboBox, "ComboBoxFieldType");
  combo_type_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  spin_size_ = Named(new QSpinBox, "SpinEditFieldSize");
  spin_size_->setRange(0, 65535);
  edit_default_ = Named(new QLineEdit, "EditDefaultValue");
  field_add_ = Button("BtnAddField", "Add");
  field_delete_ = Button("BtnDeleteField", "Delete");
  QGroupBox* field_group = BoxGroup("GroupBoxFieldAttributes", " Field Attributes ",
                                    {{"CheckBoxRequired", "Required"},
                                     {"CheckBoxAllowZeroLength", "Allow Zero length"},
                                     {"CheckBoxAutoIncrement", "Auto Increment"},
                                     {"CheckBoxSystemField", "System Field"},
                                     {"CheckBoxFixedFieldSize", "Fixed Field Size"},
                                     {"CheckBoxHyperlinks", "Contains Hyperlinks"},
                                     {"CheckBoxUpdatable", "Updatable"},
                                     {"CheckBoxVariableSize", "Variable Size"}},
                                    field_boxes_);
  // Labels beside their controls, each control as wide as the column leaves it.
  auto* field_form = new QGridLayout;
  field_form->addWidget(Caption("LabelFieldName", "Name:", edit_field_name_), 0, 0);
  field_form->addWidget(edit_field_name_, 0, 1);
  field_form->addWidget(Caption("LabelFieldType", "Type:", combo_type_), 1, 0);
  field_form->addWidget(combo_type_, 1, 1);
  field_form->addWidget(Caption("LabelFieldSize", "Size:", spin_size_), 2, 0);
  field_form->addWidget(spin_size_, 2, 1);
  field_form->addWidget(Caption("LabelDefaultValue", "Default Value:", edit_default_), 3, 0);
  field_form->addWidget(edit_default_, 3, 1);
  field_form->setColumnStretch(1, 1);
  combo_type_->setMinimumContentsLength(6);
  combo_type_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  auto* field_buttons = new QHBoxLayout;
  field_buttons->addWidget(field_add_);
  field_buttons->addWidget(field_delete_);
  auto* field_side = new QVBoxLayout;
  field_side->addLayout(field_form);
  field_side->addLayout(field_buttons);
  field_side->addWidget(field_group);
  field_side->addStretch(1);
  auto* fields_page = Named(new QWidget, "TabSheetFields");
  auto* fields_layout = new QHBoxLayout(fields_page);
  fields_layout->addLayout(ListColumn(Header("PanelFieldsHeader", " Fields:"), list_fields_), 1);
  fields_layout->addLayout(field_side, 1);

  // Page "Indexes".
  list_indexes_ = Named(new QListWidget, "ListBoxIndexes");
  list_indexes_->setSelectionMode(QAbstractItemView::SingleSelection);
  edit_index_name_ = Named(new QLineEdit, "EditIndexName");
  list_index_fields_ = Named(new QListWidget, "ListBoxIndexFields");
  list_index_fields_->setSelectionMode(QAbstractItemView::NoSelection);
  distinct_values_ = Named(new QLabel, "LabelDistinctValues");
  distinct_values_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  distinct_values_->setFrameShape(QFrame::Panel);
  distinct_values_->setFrameShadow(QFrame::Sunken);
  index_add_ = Button("BtnAddIndex", "Add");
  index_delete_ = Button("BtnDeleteIndex", "Delete");
  QGroupBox* index_group = BoxGroup("GroupBoxIndexAttributes", " Attributes ",
                                    {{"CheckBoxForeignKey", "Foreign Key"},
                                     {"CheckBoxAllowDuplicates", "Allow Duplicates"},
                                     {"CheckBoxIgnoreNulls", "Don't add NULL Values"},
                                     {"CheckBoxPrimaryKey", "Primary Key"},
                                     {"CheckBoxClustered", "Clustered"},
                                     {"CheckBoxIndexRequired", "Required"}},
                                    index_boxes_);
  for (QCheckBox* box : index_boxes_) box->setEnabled(false);
  auto* index_form = new QGridLayout;
  index_form->addWidget(Caption("LabelIndexName", "Name:", edit_index_name_), 0, 0);
  index_form->addWidget(edit_index_name_, 0, 1);
  index_form->addWidget(Caption("LabelIndexFields", "Contained Fileds:", list_index_fields_), 1, 0, 1, 2);
  index_form->addWidget(list_index_fields_, 2, 0, 1, 2);
  index_form->addWidget(Caption("LabelDistinct", "Distinct Values:", distinct_values_), 3, 0);
  index_form->addWidget(distinct_values_, 3, 1);
  auto* index_buttons = new QHBoxLayout;
  index_buttons->addWidget(index_add_);
  index_buttons->addWidget(index_delete_);
  auto* index_side = new QVBoxLayout;
  index_side->addLayout(index_form, 1);
  index_side->addWidget(index_group);
  index_side->addLayout(index_buttons);
  auto* indexes_page = Named(new QWidget, "TabSheetIndexes");
  auto* indexes_layout = new QHBoxLayout(indexes_page);
  indexes_layout->addLayout(ListColumn(Header("PanelIndexesHeader", " Indexes:"), list_indexes_), 1);
  indexes_layout->addLayout(index_side, 1);

  pages_ = Named(new QTabWidget(this), "PageControl1");
  pages_->addTab(fields_page, "Fields");
  pages_->addTab(indexes_page, "Indexes");

  btn_apply_ = Button("BtnApply", "&Apply");
  btn_apply_->setFocusPolicy(Qt::NoFocus);  // pressing it must leave the focus where it is
  btn_close_ = Button("BtnClose", "&Close");
  btn_close_->setDefault(true);
  btn_data_ = Button("BtnData", "Data");
  auto* grip = Named(new TNimGripPanel, "NimGripPanel1");
  grip->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  bottom->addWidget(btn_apply_);
  bottom->addWidget(btn_close_);
  bottom->addWidget(btn_data_);
  bottom->addWidget(grip, 0, Qt::AlignBottom);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_, 1);
  layout->addLayout(bottom);
}

}  // namespace qb
