// framework/gui/gui_services: the rules every implementation shares and the swappable access
// point. Shows nothing itself; the installed implementation does.
#include "framework/gui/gui_services.h"

#include <QDialog>
#include <QFileInfo>
#include <QString>
#include <cstdio>
#include <cstdlib>

#include "core/exception.h"
#include "framework/gui/qt_gui_services.h"

namespace qb {
namespace {

GuiServices* g_installed = nullptr;  // GUI thread only

bool FileExists(const std::string& path) {
  QFileInfo info(QString::fromStdString(path));
  return info.exists() && !info.isDir();
}

}  // namespace

int GuiServices::MessageBox(const std::string& text, const std::string& caption, int flags) {
  MessageBoxButtons(flags);  // raises on an unknown button set before anything is shown
  return DoMessageBox(text, caption, flags);
}

std::optional<std::string> GuiServices::InputBox(const std::string& caption,
                                                 const std::string& prompt,
                                                 const std::string& initial) {
  return DoInputBox(caption, prompt, initial);
}

std::optional<std::string> GuiServices::OpenFileDialog(const FileDialogRequest& request) {
  std::optional<std::string> chosen = DoFileDialog(request, false);
  if (!chosen || chosen->empty()) return std::nullopt;
  std::string path = ApplyDefaultExtension(*chosen, request.default_ext);
  if (request.must_exist && !FileExists(path)) {
    MessageBox(path + "\nFile not found.\nCheck the file name and try again.",
               request.title.empty() ? "Open" : request.title, MB_OK | MB_ICONEXCLAMATION);
    return std::nullopt;
  }
  return path;
}

std::optional<std::string> GuiServices::SaveFileDialog(const FileDialogRequest& request) {
  std::optional<std::string> chosen = DoFileDialog(request, true);
  if (!chosen || chosen->empty()) return std::nullopt;
  std::string path = ApplyDefaultExtension(*chosen, request.default_ext);
  if (request.overwrite_prompt && QFileInfo::exists(QString::fromStdString(path))) {
    int answer = MessageBox(path + " already exists.\nDo you want to replace it?",
                            request.title.empty() ? "Save As" : request.title,
                            MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2);
    if (answer != IDYES) return std::nullopt;
  }
  return path;
}

std::optional<QFont> GuiServices::FontDialog(const QFont& initial) { return DoFontDialog(initial); }

bool GuiServices::PrintWidgetImage(QWidget& widget) { return DoPrintWidgetImage(widget); }

int GuiServices::RunModal(QDialog& dialog) {
  int result = 0;
  try {
    result = DoRunModal(dialog);
  } catch (...) {
    if (dialog.isVisible()) dialog.hide();  // never leave a modal window up behind an error
    throw;
  }
  if (dialog.isVisible()) dialog.hide();
  return result;
}

GuiServices& Gui() {
  if (g_installed != nullptr) return *g_installed;
  static QtGuiServices qt_services;
  return qt_services;
}

ScopedGuiServices::ScopedGuiServices(GuiServices& services)
    : installed_(&services), previous_(g_installed) {
  g_installed = installed_;
}

ScopedGuiServices::~ScopedGuiServices() {
  if (g_installed != installed_) {
    // Restoring out of order would leave Gui() pointing at a destroyed object.
    std::fputs("ScopedGuiServices: scopes ended out of order\n", stderr);
    std::abort();
  }
  g_installed = previous_;
}

}  // namespace qb
