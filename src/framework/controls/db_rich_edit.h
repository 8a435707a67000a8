// framework/controls/db_rich_edit: a formatted text editor of one field (usually a memo
// field). The field holds the document as HTML; a value that is not marked-up text is shown as
// plain text (and written back as HTML once edited). Typing puts the dataset into edit state first; Escape drops the typed text, a second
// Escape cancels the record's edit; Ctrl+Enter writes the text and posts the record (Enter
// breaks the line). Leaving the control writes the text into the record.
#pragma once
#include <QTextEdit>
#include <memory>
#include <string>

#include "framework/controls/field_data_link.h"

namespace qb {

class TDataSource;
class TField;

class TDBRichEdit : public QTextEdit {
  Q_OBJECT

 public:
  explicit TDBRichEdit(QWidget* parent = nullptr);

  TDataSource* DataSource() const { return link_.DataSource(); }
  void SetDataSource(TDataSource* source) { link_.SetDataSource(source); }
  const std::string& DataField() const { return link_.FieldName(); }
  void SetDataField(std::string name) { link_.SetFieldName(std::move(name)); }
  TField* Field() const { return link_.Field(); }
  bool ReadOnly() const { return link_.ReadOnly(); }
  void SetReadOnly(bool value);
  TFieldDataLink& DataLink() { return link_; }

 protected:
  // For a descendant that brings its own kind of field link; the link gets this control's
  // handlers as usual.
  TDBRichEdit(QWidget* parent, std::unique_ptr<TFieldDataLink> link);
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void DataChange();
  void UpdateLook() { setReadOnly(!link_.CanModify()); }

  std::unique_ptr<TFieldDataLink> link_holder_;
  TFieldDataLink& link_;
  bool loading_ = false;  // the text is being set from the field
};

}  // namespace qb
