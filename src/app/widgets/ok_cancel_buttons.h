// app/widgets/ok_cancel_buttons: the Ok and Cancel pair of the utility's small dialogs.
#pragma once

class QDialog;
class QDialogButtonBox;

namespace qb {

// A button box owned by DIALOG holding "&Ok" (objectName BtnOk, the default button, accepts) and
// "&Cancel" (BtnCancel, rejects). The caller places the box in DIALOG's layout.
QDialogButtonBox* OkCancelButtons(QDialog* dialog);

}  // namespace qb
