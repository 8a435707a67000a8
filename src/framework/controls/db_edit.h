// framework/controls/db_edit: a one-line edit of one field, with an optional edit mask. It shows
// the field's display text, and its edit text while it has the focus; typing puts the dataset
// into edit state first (through the data source's AutoEdit) and is refused when the field
// cannot be modified or does not accept the character. Enter writes the value and posts the
// record; Escape drops the typed value, and a second Escape cancels the record's edit.
#pragma once
#include <QLineEdit>
#include <memory>
#include <string>

#include "framework/controls/field_data_link.h"

namespace qb {

class TDataSource;
class TField;

class TDBEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit TDBEdit(QWidget* parent = nullptr);

  TDataSource* DataSource() const { return link_.DataSource(); }
  void SetDataSource(TDataSource* source) { link_.SetDataSource(source); }
  const std::string& DataField() const { return link_.FieldName(); }
  void SetDataField(std::string name) { link_.SetFieldName(std::move(name)); }
  TField* Field() const { return link_.Field(); }
  bool ReadOnly() const { return link_.ReadOnly(); }
  void SetReadOnly(bool value);
  // A Qt input mask ("999-9999;_"); empty: none. The text written to the field is the text the
  // mask leaves (separators included, blanks removed).
  QString EditMask() const { return inputMask(); }
  void SetEditMask(const QString& mask) { setInputMask(mask); }
  TFieldDataLink& DataLink() { return link_; }

 protected:
  // For a descendant that brings its own kind of field link; the link gets this control's
  // handlers as usual.
  TDBEdit(QWidget* parent, std::unique_ptr<TFieldDataLink> link);
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void DataChange();
  void UpdateData();
  void UpdateLook();
  // Makes the dataset edit the record when the user is about to change the text; false when the
  // field cannot be changed (the key is dropped then).
  bool EditCanModify();

  std::unique_ptr<TFieldDataLink> link_holder_;
  TFieldDataLink& link_;
  bool focused_ = false;
};

}  // namespace qb
