// app/main: the quillbase program: the start sequence, then the event loop until the main window
// closes. Reads no command-line arguments. For the start-up test only, the environment variable
// QUILLBASE_QUIT_AFTER_SHOW makes it print the main window's caption once shown and close it.
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "app/main/main_form.h"
#include "app/startup/display_check.h"
#include "app/startup/startup.h"
#include "framework/gui/application.h"

int main(int argc, char** argv) {
  // Qt aborts when it cannot reach the display: say why and stop instead.
  if (const std::string reason = qb::NoDisplayReason(argc, argv); !reason.empty()) {
    std::fprintf(stderr,
                 "quillbase: %s. Run it in a desktop session, or set QT_QPA_PLATFORM=offscreen to start "
                 "it without windows.\n",
                 reason.c_str());
    return 1;
  }
  QApplication application(argc, argv);
  try {
    std::unique_ptr<QWidget> window =
        qb::StartApplication(qb::DefaultInstallCheck, [] { return std::make_unique<qb::TForm1>(); });
    if (!window) return 1;
    if (qEnvironmentVariableIsSet("QUILLBASE_QUIT_AFTER_SHOW")) {
      QTimer::singleShot(0, window.get(), [shown = window.get()] {
        std::printf("%s\n", shown->windowTitle().toUtf8().constData());
        std::fflush(stdout);
        shown->close();
      });
    }
    return application.exec();
  } catch (const std::exception& error) {
    qb::App().HandleException(error);
    return 1;
  }
}
