// framework/controls/db_check_box: showing and toggling a boolean field.
#include "framework/controls/db_check_box.h"

#include <QApplication>

#include "framework/data/dataset.h"
#include "framework/data/field.h"
#include "framework/gui/application.h"

namespace qb {

TDBCheckBox::TDBCheckBox(QWidget* parent) : QCheckBox(parent) {
  setTristate(true);
  link_.OnDataChange = [this] { DataChange(); };
  link_.OnUpdateData = [this] {
    if (TField* field = link_.Field()) field->SetAsBoolean(checkState() == Qt::Checked);
  };
  link_.OnFocus = [this] { setFocus(); };
  DataChange();
}

void TDBCheckBox::DataChange() {
  TField* field = link_.Field();
  if (!field || !field->DataSet()->HasCurrentRecord() || field->IsNull())
    setCheckState(Qt::PartiallyChecked);
  else
    setCheckState(field->AsBoolean() ? Qt::Checked : Qt::Unchecked);
}

void TDBCheckBox::nextCheckState() {
  App().CallGuarded([this] {
    if (!link_.CanModify() || !link_.Edit()) {
      QApplication::beep();
      return;
    }
    setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    link_.Modified();
    link_.UpdateRecord();
  });
}

}  // namespace qb
