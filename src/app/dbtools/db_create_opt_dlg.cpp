// app/dbtools/db_create_opt_dlg: layout and close check of the new-database settings.
#include "app/dbtools/db_create_opt_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/dbtools/db_option_tables.h"
#include "app/widgets/ok_cancel_buttons.h"
#include "core/resource_strings.h"
#include "engine/dao_message_box.h"
#include "framework/gui/application.h"
#include "framework/gui/message_box.h"

namespace qb {

TDBCreateOptDlg::TDBCreateOptDlg(QWidget* parent)
    : QDialog(parent),
      combo_(new QComboBox(this)),
      encrypted_(new QCheckBox("Enrypt Data", this)),
      password_(new QLineEdit(this)),
      confirmation_(new QLineEdit(this)) {
  setObjectName("TDBCreateOptDlg");
  setWindowTitle("Settings for the new Database");
  combo_->setObjectName("ComboBoxSortOrder");
  for (const TDBOptionEntry& entry : SortOrderTable()) combo_->addItem(QString::fromUtf8(entry.name), entry.value);
  combo_->setCurrentIndex(kGeneralSortOrderIndex);
  encrypted_->setObjectName("CheckBoxEnrypted");
  password_->setObjectName("EditPassword");
  confirmation_->setObjectName("EditPasswordConfirmation");
  password_->setEchoMode(QLineEdit::Password);
  confirmation_->setEchoMode(QLineEdit::Password);

  auto* sort_label = new QLabel("Sort Order:", this);
  sort_label->setObjectName("Label1");
  sort_label->setBuddy(combo_);
  auto* top = new QFormLayout;
  top->addRow(sort_label, combo_);
  top->addRow(QString(), encrypted_);

  auto* group = new QGroupBox(" Password (can be empty) ", this);
  group->setObjectName("GroupBox1");
  auto* password_label = new QLabel("Password:", group);
  auto* confirmation_label = new QLabel("Confirmation:", group);
  password_label->setObjectName("Label2");
  confirmation_label->setObjectName("Label3");
  password_label->setBuddy(password_);
  confirmation_label->setBuddy(confirmation_);
  auto* group_fields = new QFormLayout(group);
  group_fields->addRow(password_label, password_);
  group_fields->addRow(confirmation_label, confirmation_);

  QDialogButtonBox* buttons = OkCancelButtons(this);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(group);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  combo_->setMinimumWidth(220);
}

TDBCreateOptDlg::~TDBCreateOptDlg() {
  password_->clear();
  confirmation_->clear();
}

int TDBCreateOptDlg::SortOrder() const { return combo_->currentIndex() < 0 ? -1 : combo_->currentData().toInt(); }

bool TDBCreateOptDlg::Encrypted() const { return encrypted_->isChecked(); }

std::string TDBCreateOptDlg::Password() const { return password_->text().toStdString(); }

void TDBCreateOptDlg::done(int result) {
  if (result == QDialog::Accepted && password_->text() != confirmation_->text()) {
    App().CallGuarded([] { ShowMessageBox(ResString(kResPasswordConfirmationMismatch), mcInformation, MB_OK); });
    confirmation_->setFocus();
    return;
  }
  QDialog::done(result);
}

}  // namespace qb
