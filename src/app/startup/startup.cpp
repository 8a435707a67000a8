// app/startup/startup: the start sequence. Shows at most the installation failure box itself.
#include "app/startup/startup.h"

#include "app/startup/install_check.h"
#include "app/storedproc/sql_parameter_dlg.h"
#include "engine/dao_message_box.h"
#include "fields/dao_field_registration.h"
#include "framework/gui/application.h"
#include "framework/gui/message_box.h"
#include "recordset/sql_parameter_hook.h"

namespace qb {

const char* const kInstallationFailedMessage =
    "The Access DAO 3.5 Installation Failed!\n\nIt's pointless continuing...";

std::unique_ptr<QWidget> StartApplication(const std::function<bool()>& install_check,
                                          const std::function<std::unique_ptr<QWidget>()>& create_main_window) {
  if (!install_check()) {
    ShowMessageBox(kInstallationFailedMessage, mcError, MB_OK);
    App().Terminate();
    return nullptr;
  }
  App().SetTitle("Quillbase");
  // A stored procedure opened without all its parameter values asks for them.
  SetEditSQLParametersHook([](TDAORecordset& recordset) { EditSQLParameters(recordset); });
  RegisterDAOFieldClasses();
  std::unique_ptr<QWidget> window = create_main_window();
  window->show();
  return window;
}

bool DefaultInstallCheck() { return InstallJetEngine("$/tempDAO", false); }

}  // namespace qb
