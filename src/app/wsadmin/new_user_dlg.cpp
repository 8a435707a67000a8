// app/wsadmin/new_user_dlg: layout and close check of the new-user window.
#include "app/wsadmin/new_user_dlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/resource_strings.h"
#include "engine/dao_message_box.h"
#include "framework/gui/application.h"
#include "framework/gui/gui_services.h"
#include "framework/gui/message_box.h"

namespace qb {

TNewUserDlg::TNewUserDlg(QWidget* parent)
    : QDialog(parent), user_name_(new QLineEdit(this)), password_(new QLineEdit(this)), confirm_(new QLineEdit(this)) {
  setObjectName("TNewUserDlg");
  setWindowTitle("New User");
  user_name_->setObjectName("EditUserName");
  password_->setObjectName("EditPassword");
  confirm_->setObjectName("EditConfirm");
  password_->setEchoMode(QLineEdit::Password);
  confirm_->setEchoMode(QLineEdit::Password);

  auto* fields = new QFormLayout;
  auto add_row = [this, fields](const char* name, const char* caption, QLineEdit* edit) {
    auto* label = new QLabel(caption, this);
    label->setObjectName(name);
    label->setBuddy(edit);
    fields->addRow(label, edit);
  };
  add_row("Label1", "Name for new User:", user_name_);
  add_row("Label2", "Password:", password_);
  add_row("Label3", "Confirmation:", confirm_);

  auto* ok = new QPushButton("&OK", this);
  auto* cancel = new QPushButton("&Cancel", this);
  ok->setObjectName("BtnOK");
  cancel->setObjectName("BtnCancel");
  ok->setDefault(true);
  cancel->setAutoDefault(false);
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(ok, QDialogButtonBox::AcceptRole);
  buttons->addButton(cancel, QDialogButtonBox::RejectRole);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  user_name_->setMinimumWidth(180);
  user_name_->setFocus();
}

TNewUserDlg::~TNewUserDlg() {
  password_->clear();
  confirm_->clear();
}

void TNewUserDlg::done(int result) {
  if (result == QDialog::Accepted) {
    int refusal = 0;
    QLineEdit* focus = nullptr;
    if (user_name_->text().isEmpty()) {
      refusal = kResNewUserNameEmpty;
      focus = user_name_;
    } else if (password_->text() != confirm_->text()) {
      refusal = kResNewUserPasswordMismatch;
      focus = confirm_;
    }
    if (refusal != 0) {
      App().CallGuarded([refusal] { ShowMessageBox(ResString(refusal), mcError, MB_OK | MB_ICONSTOP); });
      focus->setFocus();
      return;
    }
  }
  QDialog::done(result);
}

bool AskNewUser(std::string& name, std::string& password) {
  TNewUserDlg dialog;
  if (Gui().RunModal(dialog) != QDialog::Accepted) return false;
  name = dialog.EditUserName()->text().toStdString();
  password = dialog.EditPassword()->text().toStdString();
  return true;
}

}  // namespace qb
