// app/widgets/nim_file_name_edit: a labelled file-name edit with a browse button that asks the
// GUI services' open file dialog. It only edits a name: it never opens or creates the file.
#pragma once
#include <QWidget>
#include <functional>
#include <string>

class QLabel;
class QLineEdit;
class QToolButton;

namespace qb {

class TNimFileNameEdit : public QWidget {
  Q_OBJECT
  // Exposed as a Qt property so that the settings storage can keep it ("systemDB.FileName").
  Q_PROPERTY(QString FileName READ FileNameQ WRITE SetFileNameQ)

 public:
  explicit TNimFileNameEdit(QWidget* parent = nullptr);

  // The label above the edit; '&' marks the mnemonic that focuses the edit.
  void SetLabelText(const std::string& text);
  std::string LabelText() const;

  // The name in the edit. Setting a different text fires OnChange.
  std::string FileName() const;
  void SetFileName(const std::string& file_name);

  // What the browse button's dialog offers: "Workgroup Files|*.mdw", default extension "mdw".
  const std::string& Filter() const { return filter_; }
  void SetFilter(const std::string& filter) { filter_ = filter; }
  const std::string& DefaultExt() const { return default_ext_; }
  void SetDefaultExt(const std::string& ext) { default_ext_ = ext; }

  // Runs the open file dialog through Gui() starting at the current name; a chosen name
  // replaces it (OnChange fires), a cancel leaves it. Raises what the GUI services raise.
  void Browse();

  QLineEdit* Edit() const { return edit_; }
  QToolButton* BrowseButton() const { return browse_; }

  // Fired whenever the text changes (typing, SetFileName, Browse). Runs through the default
  // exception display, so a handler that raises never crosses the event loop.
  std::function<void()> OnChange;

 private:
  QString FileNameQ() const;
  void SetFileNameQ(const QString& file_name);

  QLabel* label_;         // owned by the widget
  QLineEdit* edit_;       // owned by the widget
  QToolButton* browse_;   // owned by the widget
  std::string filter_;
  std::string default_ext_;
};

}  // namespace qb
