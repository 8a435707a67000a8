// framework/controls/db_check_box: a check box for a boolean field. A field without a value
// shows the partly checked mark; clicking or Space puts the dataset into edit state and writes
// the new value at once.
#pragma once
#include <QCheckBox>
#include <string>

#include "framework/controls/field_data_link.h"

namespace qb {

class TDataSource;
class TField;

class TDBCheckBox : public QCheckBox {
  Q_OBJECT

 public:
  explicit TDBCheckBox(QWidget* parent = nullptr);

  TDataSource* DataSource() const { return link_.DataSource(); }
  void SetDataSource(TDataSource* source) { link_.SetDataSource(source); }
  const std::string& DataField() const { return link_.FieldName(); }
  void SetDataField(std::string name) { link_.SetFieldName(std::move(name)); }
  TField* Field() const { return link_.Field(); }
  bool ReadOnly() const { return link_.ReadOnly(); }
  void SetReadOnly(bool value) { link_.SetReadOnly(value); }
  TFieldDataLink& DataLink() { return link_; }

 protected:
  void nextCheckState() override;

 private:
  void DataChange();

  TFieldDataLink link_;
};

}  // namespace qb
