// app/tabledesign/table_design_form: TTableDesignForm, the modeless table designer: the fields
// and the indexes of one TableDef of a database component, each change sent to the engine at
// once (no pending edits). At most one designer exists; ShowTableDesigner makes or reuses it.
//
// The designer keeps the TableDef object it was given and reads the Fields and Indexes
// collections from it afresh for every step; its lists show names only.
#pragma once
#include <QPointer>
#include <QWidget>
#include <memory>
#include <string>

#include "engine/dao_database.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace qb {

namespace jet {
class Field;
class Index;
class TableDef;
}  // namespace jet

class TListDrag;
class TTableDesignForm;

// Shows TABLE of DATABASE in the single table designer (made on first use), made visible and
// brought to the front. Raises what reading the table raises.
void ShowTableDesigner(TDAODataBase* database, std::shared_ptr<jet::TableDef> table);
// The table designer that exists, or null.
TTableDesignForm* TableDesigner();

class TTableDesignForm : public QWidget {
  Q_OBJECT

 public:
  explicit TTableDesignForm(QWidget* parent = nullptr);
  ~TTableDesignForm() override;

  // The set-up: nothing when TABLE and DATABASE are what the window shows already; otherwise
  // stores both, fills both lists, sets the caption and the enabled states.
  void SetUp(TDAODataBase* database, std::shared_ptr<jet::TableDef> table);
  TDAODataBase* DataBase() const { return database_; }
  const std::shared_ptr<jet::TableDef>& TableDef() const { return table_; }

  // Fields page (table_design_fields.cpp).
  void FillFieldList();
  void ShowSelectedField();
  void RenumberFields();
  void EditFieldNameExit();
  void SpinEditSizeExit();
  void EditDefaultValueExit();
  void CheckBoxRequiredClick();
  void CheckBoxAllowZeroLengthClick();
  void BtnAddFieldClick();
  void BtnDeleteFieldClick();
  // A field dragged within the field list was dropped over DROP_POSITION (-1: no entry).
  void ListBoxFieldsDragDrop(int drop_position);

  // Indexes page (table_design_indexes.cpp).
  void FillIndexList();
  void ShowSelectedIndex();
  void EditIndexNameExit();
  void BtnAddIndexClick();
  void BtnDeleteIndexClick();

  // Both pages.
  void SetButtonsEnabled();
  // Commits the focused one of "Name:", "Size:", "Default Value:", "Required" and "Allow Zero
  // length" as leaving or clicking it does.
  void BtnApplyClick();
  void BtnDataClick();
  void BtnCloseClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();  // table_design_layout.cpp
  void ConnectControls();
  // The field or index of the selected list entry, null when there is none (or no table).
  std::shared_ptr<jet::Field> SelectedField() const;
  std::shared_ptr<jet::Index> SelectedIndex() const;

  std::shared_ptr<jet::TableDef> table_;  // the table shown; may be absent
  QPointer<TDAODataBase> database_;       // not owned; may be absent

  // Controls, owned by the window.
  QTabWidget* pages_ = nullptr;
  QListWidget* list_fields_ = nullptr;
  TListDrag* fields_drag_ = nullptr;
  QLineEdit* edit_field_name_ = nullptr;
  QComboBox* combo_type_ = nullptr;
  QSpinBox* spin_size_ = nullptr;
  QLineEdit* edit_default_ = nullptr;
  QPushButton* field_add_ = nullptr;
  QPushButton* field_delete_ = nullptr;
  QCheckBox* field_boxes_[8] = {};  // Required, Allow Zero length, then the six shown only
  QListWidget* list_indexes_ = nullptr;
  QLineEdit* edit_index_name_ = nullptr;
  QListWidget* list_index_fields_ = nullptr;
  QLabel* distinct_values_ = nullptr;
  QCheckBox* index_boxes_[6] = {};
  QPushButton* index_add_ = nullptr;
  QPushButton* index_delete_ = nullptr;
  QPushButton* btn_apply_ = nullptr;
  QPushButton* btn_close_ = nullptr;
  QPushButton* btn_data_ = nullptr;
};

}  // namespace qb
