// app/wsadmin/set_password_dlg: layout and close step of the set-password window.
#include "app/wsadmin/set_password_dlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <string>

#include "app/widgets/ok_cancel_buttons.h"
#include "core/format.h"
#include "core/resource_strings.h"
#include "engine/dao_message_box.h"
#include "framework/gui/application.h"
#include "framework/gui/gui_services.h"
#include "framework/gui/message_box.h"
#include "jet/dao/user.h"

namespace qb {

namespace {

// Overwrites a password's characters before its memory is given back.
struct PasswordWipe {
  std::string& text;
  ~PasswordWipe() { text.assign(text.size(), '\0'); }
};

}  // namespace

TSetPasswordDlg::TSetPasswordDlg(std::shared_ptr<jet::User> user, QWidget* parent)
    : QDialog(parent),
      user_(std::move(user)),
      current_(new QLineEdit(this)),
      new_(new QLineEdit(this)),
      confirmation_(new QLineEdit(this)) {
  setObjectName("TSetPasswordDlg");
  setWindowTitle(QString::fromStdString(Format(ResString(kResSetPasswordCaption), user_->Name())));
  current_->setObjectName("EditCurrentPassword");
  new_->setObjectName("EditNewPassword");
  confirmation_->setObjectName("EditPasswordConformation");

  auto* fields = new QFormLayout;
  auto add_row = [this, fields](const char* name, const char* caption, QLineEdit* edit) {
    edit->setEchoMode(QLineEdit::Password);
    auto* label = new QLabel(caption, this);
    label->setObjectName(name);
    label->setBuddy(edit);
    fields->addRow(label, edit);
  };
  add_row("Label1", "Current Password:", current_);
  add_row("Label2", "New Password:", new_);
  add_row("Label3", "Confirmation:", confirmation_);

  QDialogButtonBox* buttons = OkCancelButtons(this);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  current_->setMinimumWidth(180);
  current_->setFocus();
}

TSetPasswordDlg::~TSetPasswordDlg() {
  current_->clear();
  new_->clear();
  confirmation_->clear();
}

void TSetPasswordDlg::done(int result) {
  if (result == QDialog::Accepted) {
    if (new_->text() != confirmation_->text()) {
      App().CallGuarded(
          [] { ShowMessageBox(ResString(kResPasswordConfirmationMismatch), mcError, MB_OK | MB_ICONSTOP); });
      confirmation_->setFocus();
      return;
    }
    std::string current = current_->text().toStdString();
    std::string changed = new_->text().toStdString();
    PasswordWipe wipe_current{current};
    PasswordWipe wipe_changed{changed};
    if (!App().CallGuarded([&] { user_->NewPassword(current, changed); })) return;
  }
  QDialog::done(result);
}

bool ChangeUserPassword(const std::shared_ptr<jet::User>& user) {
  TSetPasswordDlg dialog(user);
  return Gui().RunModal(dialog) == QDialog::Accepted;
}

}  // namespace qb
