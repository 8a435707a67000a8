// app/wsadmin/select_user_to_add_dlg: layout, filling and result of the user choice.
#include "app/wsadmin/select_user_to_add_dlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "app/widgets/ok_cancel_buttons.h"
#include "app/wsadmin/sorted_names.h"
#include "engine/dao_workspace.h"
#include "framework/gui/gui_services.h"
#include "jet/dao/user.h"
#include "jet/dao/users.h"

namespace qb {

TSelectUserToAddDlg::TSelectUserToAddDlg(TDAOWorkspace* workspace, const std::string& group,
                                         std::string& user_name, QWidget* parent)
    : QDialog(parent), user_name_(user_name), combo_(new QComboBox(this)) {
  setObjectName("TSelectUserToAddDlg");
  const QString group_name = QString::fromStdString(group);
  setWindowTitle("Adding User to Group: " + group_name);
  auto* label = new QLabel("Wich User should be added to Group: " + group_name, this);
  label->setObjectName("Label1");
  label->setBuddy(combo_);
  combo_->setObjectName("ComboBoxUsers");

  if (workspace != nullptr) {
    if (std::shared_ptr<jet::Users> users = workspace->Users()) {
      users->Refresh();
      const int count = users->Count();
      for (int i = 0; i < count; ++i) InsertSortedName(combo_, QString::fromStdString(users->Item(i)->Name()));
    }
  }
  combo_->setCurrentIndex(combo_->findText(QString::fromStdString(user_name), Qt::MatchExactly));

  QDialogButtonBox* buttons = OkCancelButtons(this);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(combo_);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  combo_->setMinimumWidth(220);
}

void TSelectUserToAddDlg::done(int result) {
  if (result == QDialog::Accepted && combo_->currentIndex() >= 0) user_name_ = combo_->currentText().toStdString();
  QDialog::done(result);
}

bool SelectUserToAdd(TDAOWorkspace* workspace, const std::string& group, std::string& user_name) {
  TSelectUserToAddDlg dialog(workspace, group, user_name);
  return Gui().RunModal(dialog) == QDialog::Accepted;
}

}  // namespace qb
