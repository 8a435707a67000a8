// app/login/nim_login_dialog_form: layout and close query of the login window. Shows its
// refusals through ShowMessageBox only; keeps nothing after it is destroyed.
#include "app/login/nim_login_dialog_form.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/resource_strings.h"
#include "framework/gui/application.h"
#include "framework/gui/message_box.h"

namespace qb {

TNimLoginDialogForm::TNimLoginDialogForm(QWidget* parent)
    : QDialog(parent),
      edit_username_(new QLineEdit(this)),
      edit_password_(new QLineEdit(this)),
      button_ok_(new QPushButton(tr("&OK"), this)),
      button_cancel_(new QPushButton(tr("&Cancel"), this)) {
  setObjectName("TNimLoginDialogForm");
  setWindowTitle("Login");
  login_error_message_ = ResString(kResNoSuchUserAccount);

  edit_username_->setObjectName("EditUsername");
  edit_password_->setObjectName("EditPassword");
  edit_password_->setEchoMode(QLineEdit::Password);
  button_ok_->setObjectName("BtnOK");
  button_cancel_->setObjectName("BtnCancel");
  button_ok_->setDefault(true);
  button_ok_->setAutoDefault(true);
  button_cancel_->setAutoDefault(false);

  auto* label_username = new QLabel(tr("Username:"), this);
  auto* label_password = new QLabel(tr("Password:"), this);
  label_username->setObjectName("LabelUsername");
  label_password->setObjectName("LabelPassword");
  label_username->setBuddy(edit_username_);
  label_password->setBuddy(edit_password_);

  auto* fields = new QFormLayout;
  fields->addRow(label_username, edit_username_);
  fields->addRow(label_password, edit_password_);

  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(button_ok_, QDialogButtonBox::AcceptRole);
  buttons->addButton(button_cancel_, QDialogButtonBox::RejectRole);
  connect(button_ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(button_cancel_, &QPushButton::clicked, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);  // a fixed-size dialog
  edit_username_->setMinimumWidth(180);
  edit_username_->setFocus();
}

void TNimLoginDialogForm::done(int result) {
  if (result == QDialog::Accepted) {
    bool may_close = false;
    App().CallGuarded([&] { may_close = CloseQuery(); });
    if (!may_close) return;
  }
  QDialog::done(result);
}

bool TNimLoginDialogForm::CloseQuery() {
  const std::string username = edit_username_->text().toStdString();
  if (username.empty() && error_if_username_empty_) {
    ShowMessageBox(ResString(kResLoginUserNameEmpty), error_message_kind_, MB_OK);
    edit_username_->setFocus();
    return false;
  }
  if (on_validate_ && !on_validate_(username, edit_password_->text().toStdString())) {
    ShowMessageBox(login_error_message_, error_message_kind_, MB_OK);
    return false;
  }
  return true;
}

}  // namespace qb
