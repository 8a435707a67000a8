// app/login/database_password: the connect, the refusal test and the password question.
#include "app/login/database_password.h"

#include <QLabel>
#include <string>

#include "app/dbtools/db_password_dlg.h"
#include "engine/dao_database.h"
#include "engine/dao_errors.h"
#include "framework/gui/gui_services.h"
#include "jet/dao/error_numbers.h"

namespace qb {

namespace {

// Overwrites a password's characters before its memory is given back.
struct PasswordWipe {
  std::string& text;
  ~PasswordWipe() { text.assign(text.size(), '\0'); }
};

bool RefusedForPassword(const EDAOError& error) { return error.EngineError() == jet::err::kBadPassword; }

// Asks for the database password into PASSWORD; false on Cancel. AGAIN: the last one was wrong.
bool AskPassword(std::string& password, bool again) {
  password.clear();
  TDBPasswordDlg dialog("Database Password", password);
  if (again) {
    if (auto* label = dialog.findChild<QLabel*>("Label1")) label->setText("Not a valid password. Password:");
  }
  return Gui().RunModal(dialog) == QDialog::Accepted;
}

}  // namespace

void ConnectDatabase(TDAODataBase& database) {
  if (database.Connected()) return;
  try {
    database.SetConnected(true);
    return;
  } catch (const EDAOError& refusal) {
    if (!RefusedForPassword(refusal)) throw;
    const std::string previous = database.JetDBPassword();
    std::string password;
    PasswordWipe wipe{password};
    for (bool again = false;; again = true) {
      if (!AskPassword(password, again)) {
        database.SetJetDBPassword(previous);
        throw;
      }
      database.SetJetDBPassword(password);
      try {
        database.SetConnected(true);
        return;
      } catch (const EDAOError& error) {
        if (!RefusedForPassword(error)) {
          database.SetJetDBPassword(previous);
          throw;
        }
      }
    }
  }
}

}  // namespace qb
