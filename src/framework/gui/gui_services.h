// framework/gui/gui_services: every modal question the windows and components ask (message box,
// input box, open and save file dialogs, font and print dialogs, custom modal dialogs), behind one
// process-wide access point that tests swap. Owns the rules shared by all implementations (flag
// checks, default extension, must-exist and overwrite questions); shows no window itself.
//
// Thread-safety: GUI thread only, like everything Qt Widgets does.
#pragma once
#include <QFont>
#include <optional>
#include <string>

#include "framework/gui/file_dialog.h"
#include "framework/gui/message_box.h"

class QDialog;
class QWidget;

namespace qb {

class GuiServices {
 public:
  GuiServices() = default;
  virtual ~GuiServices() = default;
  GuiServices(const GuiServices&) = delete;
  GuiServices& operator=(const GuiServices&) = delete;

  // Shows TEXT in a modal message box captioned CAPTION with the buttons, icon and default button
  // of FLAGS (MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, ...). Returns the identifier of the
  // pressed button, always one of MessageBoxButtons(FLAGS) (closing the box gives
  // MessageBoxCloseAnswer(FLAGS)). Raises Exception when FLAGS name no known button set.
  int MessageBox(const std::string& text, const std::string& caption, int flags);

  // Asks for a line of text in a modal input box captioned CAPTION, with PROMPT above an edit
  // holding INITIAL. Returns the edit's text when the user pressed OK, nullopt on Cancel.
  std::optional<std::string> InputBox(const std::string& caption, const std::string& prompt,
                                      const std::string& initial);

  // Runs an open file dialog for REQUEST. Returns the chosen path with REQUEST.default_ext added
  // when the name has none; nullopt when the user cancelled or chose an empty name. With
  // must_exist, a chosen file that does not exist is reported in a message box ("... File not
  // found ...", OK) and the result is nullopt.
  std::optional<std::string> OpenFileDialog(const FileDialogRequest& request);

  // Runs a save file dialog for REQUEST. Returns the chosen path with REQUEST.default_ext added
  // when the name has none; nullopt when the user cancelled or chose an empty name. With
  // overwrite_prompt and an existing file, asks through MessageBox (MB_YESNO, No the default)
  // whether to replace it: Yes returns the path, No returns nullopt as a cancel would, so the
  // caller never writes over a file the user chose to keep. Nothing is written here.
  std::optional<std::string> SaveFileDialog(const FileDialogRequest& request);

  // Runs a font dialog starting with INITIAL (family, point size, style). Returns the chosen font
  // on OK, nullopt on Cancel.
  std::optional<QFont> FontDialog(const QFont& initial);

  // Runs a print dialog and, when the user confirms it, prints the image of WIDGET (its current
  // look, scaled to the page width, aspect kept) on the chosen printer. Returns true when printed,
  // false when the dialog was cancelled. Raises Exception when the printer cannot be started.
  // REQUIRES: WIDGET lives until the call returns.
  bool PrintWidgetImage(QWidget& widget);

  // Runs DIALOG modally, as QDialog::exec does. Returns the dialog's result (QDialog::Accepted,
  // QDialog::Rejected or a value given to done()). DIALOG stays owned by the caller and is hidden
  // when the call returns.
  int RunModal(QDialog& dialog);

 protected:
  // The implementation's part of each call above: show the question and report the raw answer.
  // FLAGS are known valid when DoMessageBox runs; file dialogs return the name as chosen, before
  // the default extension, must-exist and overwrite rules are applied (nullopt on cancel).
  virtual int DoMessageBox(const std::string& text, const std::string& caption, int flags) = 0;
  virtual std::optional<std::string> DoInputBox(const std::string& caption,
                                                const std::string& prompt,
                                                const std::string& initial) = 0;
  virtual std::optional<std::string> DoFileDialog(const FileDialogRequest& request, bool save) = 0;
  virtual std::optional<QFont> DoFontDialog(const QFont& initial) = 0;
  virtual bool DoPrintWidgetImage(QWidget& widget) = 0;
  virtual int DoRunModal(QDialog& dialog) = 0;
};

// The services now installed: the innermost ScopedGuiServices (or ScriptedGui) alive, else the
// process-wide Qt implementation (created on first use). The reference stays valid while the
// installing scope lives. REQUIRES: a QApplication exists before a Qt dialog is shown.
GuiServices& Gui();

// Installs SERVICES as Gui() for the object's lifetime, then restores what was installed before.
// REQUIRES: scopes end in the reverse order of their start; SERVICES outlives the scope.
class ScopedGuiServices {
 public:
  explicit ScopedGuiServices(GuiServices& services);
  ~ScopedGuiServices();
  ScopedGuiServices(const ScopedGuiServices&) = delete;
  ScopedGuiServices& operator=(const ScopedGuiServices&) = delete;

 private:
  GuiServices* installed_;  // constant after construction
  GuiServices* previous_;   // constant after construction
};

}  // namespace qb
