// framework/gui/application: title, program name, event pumping and the default exception
// display; the display goes through the GUI services, never to a Qt box directly.
#include "framework/gui/application.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <stdexcept>

#include "framework/data/data_errors.h"
#include "framework/gui/gui_services.h"
#include "framework/gui/scripted_gui.h"

namespace qb {

std::string Application::Title() const {
  if (title_set_) return title_;
  return QFileInfo(QString::fromStdString(ExeName())).completeBaseName().toStdString();
}

void Application::SetTitle(std::string title) {
  title_ = std::move(title);
  title_set_ = true;
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
    QGuiApplication::setApplicationDisplayName(QString::fromStdString(title_));
  }
}

std::string Application::ExePath() const {
  if (QCoreApplication::instance() != nullptr) {
    return QCoreApplication::applicationFilePath().toStdString();
  }
  QFileInfo self(QStringLiteral("/proc/self/exe"));
  return self.exists() ? self.canonicalFilePath().toStdString() : std::string();
}

std::string Application::ExeName() const {
  return QFileInfo(QString::fromStdString(ExePath())).fileName().toStdString();
}

void Application::ProcessMessages() { QCoreApplication::processEvents(); }

void Application::Terminate() {
  terminated_ = true;
  QCoreApplication::quit();
}

void Application::HandleException(const std::exception& error) {
  if (dynamic_cast<const EAbort*>(&error)) return;  // abandoned on purpose: nothing to show
  if (OnException) {
    OnException(error);
    return;
  }
  Gui().MessageBox(error.what(), Title(), MB_OK | MB_ICONSTOP);
}

bool Application::CallGuarded(const std::function<void()>& action) {
  try {
    action();
    return true;
  } catch (const EScriptError&) {
    throw;  // a broken test script is the test's failure, never a message for the user
  } catch (const std::exception& error) {
    HandleException(error);
  } catch (...) {
    HandleException(std::runtime_error("Unknown exception."));
  }
  return false;
}

Application& App() {
  static Application application;
  return application;
}

}  // namespace qb
