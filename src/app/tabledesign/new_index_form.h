// app/tabledesign/new_index_form: TFormNewIndex, the modal dialog that asks for a new index: its
// name, its fields (checked in a list whose order the user changes by dragging) and its
// attributes. Reads the table's fields once; the caller creates and appends the index.
#pragma once
#include <QDialog>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;

namespace qb {

namespace jet {
class TableDef;
}

class TListDrag;

class TFormNewIndex : public QDialog {
  Q_OBJECT

 public:
  explicit TFormNewIndex(QWidget* parent = nullptr);

  // Lists the indexable fields of TABLE in collection order, none checked, and names the table
  // in the caption ("Unknown" without one). Raises what reading the fields raises.
  void SetTable(const std::shared_ptr<jet::TableDef>& table);

  std::string IndexName() const;
  void SetIndexName(const std::string& name);
  bool AllowDuplicates() const;
  bool IgnoreNulls() const;
  bool Primary() const;
  bool Clustered() const;
  bool Required() const;
  // The checked fields in list order, joined by ";" (no sign: every field ascending).
  std::string IndexFields() const;

  // A check changed: the name becomes the checked fields joined by "_" (kept while none is).
  void FieldListClickCheck();
  // The drag in the field list ended over DROP_POSITION: the selected entry moves there with
  // its check, stays selected, and the name is built again. Nothing when DROP_POSITION is no
  // entry or the selected one.
  void FieldListDragDrop(int drop_position);

 private:
  std::vector<std::string> CheckedFields() const;

  QLineEdit* edit_name_;         // owned by the dialog
  QListWidget* field_list_;      // owned by the dialog
  TListDrag* drag_;              // owned by field_list_
  QCheckBox* foreign_key_;       // owned by the dialog; never read
  QCheckBox* allow_duplicates_;  // owned by the dialog
  QCheckBox* ignore_nulls_;      // owned by the dialog
  QCheckBox* primary_;           // owned by the dialog
  QCheckBox* clustered_;         // owned by the dialog
  QCheckBox* required_;          // owned by the dialog
};

}  // namespace qb
