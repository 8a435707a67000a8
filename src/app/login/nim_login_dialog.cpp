// app/login/nim_login_dialog: Execute and the published properties of the login component.
// The window lives only for the duration of Execute.
#include "app/login/nim_login_dialog.h"

#include <QLineEdit>
#include <memory>

#include "core/resource_strings.h"
#include "framework/gui/gui_services.h"

namespace qb {

TNimLoginDialog::TNimLoginDialog(QObject* owner)
    : TComponent(owner), login_error_message_(ResString(kResNoSuchUserAccount)) {}

TNimLoginDialog::~TNimLoginDialog() { entered_password_.assign(entered_password_.size(), '\0'); }

std::string TNimLoginDialog::About() const { return "Quillbase login dialog component"; }

bool TNimLoginDialog::Execute() {
  entered_password_.clear();
  auto form = std::make_unique<TNimLoginDialogForm>();
  form->EditUsername()->setText(QString::fromStdString(username_));
  form->EditPassword()->setText(QString::fromStdString(password_));
  form->SetLoginErrorMessage(login_error_message_);
  form->SetErrorIfUsernameEmpty(error_if_username_empty_);
  form->SetErrorMessageKind(error_message_kind_);
  if (!caption_.empty()) form->setWindowTitle(QString::fromStdString(caption_));
  if (OnValidateUserAccount) form->SetOnValidateUserAccount(OnValidateUserAccount);

  const bool ok = Gui().RunModal(*form) == QDialog::Accepted;
  if (ok) {
    if (remember_username_) username_ = form->EditUsername()->text().toStdString();
    entered_password_ = form->EditPassword()->text().toStdString();
    if (remember_password_) password_ = entered_password_;
  }
  return ok;
}

std::string TNimLoginDialog::TakeEnteredPassword() {
  std::string password = std::move(entered_password_);
  entered_password_.clear();
  return password;
}

const PropertyTable& TNimLoginDialog::ClassProperties() {
  static const PropertyTable table =
      PropertyTableBuilder<TNimLoginDialog>()
          .String("About", &TNimLoginDialog::About, &TNimLoginDialog::SetAbout)
          .NotStored()
          .String("Username", &TNimLoginDialog::Username, &TNimLoginDialog::SetUsername)
          .String("Password", &TNimLoginDialog::Password, &TNimLoginDialog::SetPassword)
          .Scrambled()
          .String("Caption", &TNimLoginDialog::Caption, &TNimLoginDialog::SetCaption)
          .Bool("ErrorIfUsernameEmpty", &TNimLoginDialog::ErrorIfUsernameEmpty,
                &TNimLoginDialog::SetErrorIfUsernameEmpty, true)
          .String("LoginErrorMessage", &TNimLoginDialog::LoginErrorMessage,
                  &TNimLoginDialog::SetLoginErrorMessage, ResString(kResNoSuchUserAccount))
          .Enum("ErrorMessageKind", {"mcInformation", "mcConfirmation", "mcWarning", "mcError"},
                &TNimLoginDialog::ErrorMessageKind, &TNimLoginDialog::SetErrorMessageKind, mcError)
          .Bool("RememberUsername", &TNimLoginDialog::RememberUsername,
                &TNimLoginDialog::SetRememberUsername, true)
          .Bool("RememberPassword", &TNimLoginDialog::RememberPassword,
                &TNimLoginDialog::SetRememberPassword, false)
          .Build();
  return table;
}

}  // namespace qb
