// framework/gui/qt_gui_services: the GUI services on Qt's own dialogs (QMessageBox, QInputDialog,
// QFileDialog, QFontDialog, QPrintDialog, QDialog::exec). Every call blocks in a modal event loop
// until a person answers: tests install ScriptedGui instead, or answer the box from a timer.
#pragma once
#include "framework/gui/gui_services.h"

namespace qb {

class QtGuiServices : public GuiServices {
 public:
  QtGuiServices() = default;
  ~QtGuiServices() override = default;

 protected:
  // Each raises Exception when no QApplication exists. Dialogs are parented to the active window.
  int DoMessageBox(const std::string& text, const std::string& caption, int flags) override;
  std::optional<std::string> DoInputBox(const std::string& caption, const std::string& prompt,
                                        const std::string& initial) override;
  std::optional<std::string> DoFileDialog(const FileDialogRequest& request, bool save) override;
  std::optional<QFont> DoFontDialog(const QFont& initial) override;
  bool DoPrintWidgetImage(QWidget& widget) override;
  int DoRunModal(QDialog& dialog) override;
};

}  // namespace qb
