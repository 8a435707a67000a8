// app/startup/startup: the utility's start sequence from the installation check to the shown
// main window. It creates only the main window; every other window is created when opened.
#pragma once
#include <QWidget>
#include <functional>
#include <memory>

namespace qb {

// The message shown when the installation step fails.
extern const char* const kInstallationFailedMessage;

// Runs the start sequence (a QApplication exists, the component classes are registered):
//   1. INSTALL_CHECK; when it reports failure: an error box (OK) with
//      kInstallationFailedMessage, App().Terminate(), and null is returned;
//   2. the application title becomes "Quillbase", and the SQL parameter dialog becomes the
//      recordsets' parameter hook;
//   3. CREATE_MAIN_WINDOW makes the main window, which is shown.
// Returns the main window; the caller owns it and runs the event loop until it closes. Raises
// what creating the window raises.
std::unique_ptr<QWidget> StartApplication(const std::function<bool()>& install_check,
                                          const std::function<std::unique_ptr<QWidget>()>& create_main_window);

// The installation check of the real start: InstallJetEngine("$/tempDAO", false).
bool DefaultInstallCheck();

}  // namespace qb
