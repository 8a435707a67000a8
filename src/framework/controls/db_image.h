// framework/controls/db_image: shows the picture held in a blob or graphic field (any format
// Qt reads; written back as PNG). Ctrl+C copies the picture, Ctrl+V pastes one from the
// clipboard, Delete clears it, Ctrl+X does both; each change puts the dataset into edit state
// first. Enter writes the picture and posts the record; Escape drops the change, a second
// Escape cancels the record's edit. A field without a value shows a grey "(Null)"; bytes that
// are no picture show "(No picture)".
#pragma once
#include <QFrame>
#include <QPixmap>
#include <memory>
#include <string>

#include "framework/controls/field_data_link.h"

namespace qb {

class TDataSource;
class TField;

class TDBImage : public QFrame {
  Q_OBJECT

 public:
  explicit TDBImage(QWidget* parent = nullptr);

  TDataSource* DataSource() const { return link_.DataSource(); }
  void SetDataSource(TDataSource* source) { link_.SetDataSource(source); }
  const std::string& DataField() const { return link_.FieldName(); }
  void SetDataField(std::string name) { link_.SetFieldName(std::move(name)); }
  TField* Field() const { return link_.Field(); }
  bool ReadOnly() const { return link_.ReadOnly(); }
  void SetReadOnly(bool value) { link_.SetReadOnly(value); }
  // Scales the picture to the control (aspect kept) instead of showing it at its size, centred.
  bool Stretch() const { return stretch_; }
  void SetStretch(bool value);
  // The picture shown (null when none).
  const QPixmap& Picture() const { return picture_; }
  // Replaces the picture as a paste does (the dataset enters edit state first); false when the
  // field cannot be changed.
  bool SetPicture(const QPixmap& picture);
  TFieldDataLink& DataLink() { return link_; }

 protected:
  // For a descendant that brings its own kind of field link; the link gets this control's
  // handlers as usual.
  TDBImage(QWidget* parent, std::unique_ptr<TFieldDataLink> link);
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void DataChange();
  void UpdateData();

  std::unique_ptr<TFieldDataLink> link_holder_;
  TFieldDataLink& link_;
  QPixmap picture_;
  bool null_ = true;     // the field has no value
  bool stretch_ = false;
};

}  // namespace qb
