// framework/gui/qt_gui_services: Qt's modal dialogs behind the GUI services. Adds no rule of its
// own beyond mapping flags and texts; the shared rules live in gui_services.cpp.
#include "framework/gui/qt_gui_services.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

#include "core/exception.h"
#include "framework/gui/printing.h"

namespace qb {
namespace {

QWidget* DialogParent() {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
    throw Exception("A dialog cannot be shown: the program has no GUI application object.");
  }
  return QApplication::activeWindow();
}

// Message texts use "\r\n" and lone "\r" as line breaks; Qt's plain text breaks only at "\n".
QString DisplayText(const std::string& text) {
  QString result = QString::fromStdString(text);
  result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return result;
}

QMessageBox::StandardButton QtButton(int id) {
  switch (id) {
    case IDOK: return QMessageBox::Ok;
    case IDCANCEL: return QMessageBox::Cancel;
    case IDABORT: return QMessageBox::Abort;
    case IDRETRY: return QMessageBox::Retry;
    case IDIGNORE: return QMessageBox::Ignore;
    case IDYES: return QMessageBox::Yes;
    case IDNO: return QMessageBox::No;
  }
  return QMessageBox::NoButton;
}

QMessageBox::Icon QtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::kStop: return QMessageBox::Critical;
    case MessageIcon::kQuestion: return QMessageBox::Question;
    case MessageIcon::kExclamation: return QMessageBox::Warning;
    case MessageIcon::kInformation: return QMessageBox::Information;
    case MessageIcon::kNone: break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

int QtGuiServices::DoMessageBox(const std::string& text, const std::string& caption, int flags) {
  QMessageBox box(DialogParent());
  box.setWindowTitle(QString::fromStdString(caption));
  // Plain text: messages quote user data and engine errors, which must never be read as markup.
  box.setTextFormat(Qt::PlainText);
  box.setText(DisplayText(text));
  box.setIcon(QtIcon(MessageBoxIcon(flags)));
  std::vector<int> ids = MessageBoxButtons(flags);
  std::vector<QAbstractButton*> buttons;
  for (int id : ids) buttons.push_back(box.addButton(QtButton(id)));
  int default_id = MessageBoxDefaultButton(flags);
  int close_id = MessageBoxCloseAnswer(flags);
  for (size_t i = 0; i < ids.size(); ++i) {
    if (ids[i] == default_id) box.setDefaultButton(static_cast<QPushButton*>(buttons[i]));
    if (ids[i] == close_id) box.setEscapeButton(buttons[i]);
  }
  box.exec();
  QAbstractButton* clicked = box.clickedButton();
  for (size_t i = 0; i < ids.size(); ++i) {
    if (buttons[i] == clicked) return ids[i];
  }
  return close_id;
}

std::optional<std::string> QtGuiServices::DoInputBox(const std::string& caption,
                                                     const std::string& prompt,
                                                     const std::string& initial) {
  QInputDialog dialog(DialogParent());
  dialog.setInputMode(QInputDialog::TextInput);
  dialog.setWindowTitle(QString::fromStdString(caption));
  dialog.setLabelText(DisplayText(prompt));
  dialog.setTextValue(QString::fromStdString(initial));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.textValue().toStdString();
}

std::optional<std::string> QtGuiServices::DoFileDialog(const FileDialogRequest& request,
                                                       bool save) {
  QString title = QString::fromStdString(
      request.title.empty() ? (save ? "Save As" : "Open") : request.title);
  QString folder = QString::fromStdString(request.initial_dir);
  QString file = QString::fromStdString(request.file_name);
  if (folder.isEmpty() && !file.isEmpty()) folder = QFileInfo(file).absolutePath();
  QFileDialog dialog(DialogParent(), title, folder);
  // Our own rules add the extension, check existence and ask before replacing; Qt must not
  // refuse a name typed without its extension or ask a second time.
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  QStringList filters;
  for (const std::string& entry : ToQtNameFilters(request.filter)) {
    filters << QString::fromStdString(entry);
  }
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    int index = request.filter_index >= 1 && request.filter_index <= filters.size()
                    ? request.filter_index - 1
                    : 0;
    dialog.selectNameFilter(filters[index]);
  }
  if (!file.isEmpty()) dialog.selectFile(QFileInfo(file).fileName());
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.front().toStdString();
}

std::optional<QFont> QtGuiServices::DoFontDialog(const QFont& initial) {
  QFontDialog dialog(initial, DialogParent());
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.selectedFont();
}

bool QtGuiServices::DoPrintWidgetImage(QWidget& widget) {
  QPrinter printer(QPrinter::HighResolution);
  QPrintDialog dialog(&printer, DialogParent());
  if (dialog.exec() != QDialog::Accepted) return false;
  PrintWidgetOn(widget, printer);
  return true;
}

int QtGuiServices::DoRunModal(QDialog& dialog) {
  DialogParent();
  return dialog.exec();
}

}  // namespace qb
