// app/dbtools/db_tools_dlg: TDBToolsDlg, the database tools window: compact, repair, encrypt,
// decrypt, change the sort order, convert, set the password, create and import a genuine file of
// another program, each on a file the
// user picks (never the connected database), through the engine component it is given.
//
// Every tool that rebuilds a file (all but repair and create) builds a copy beside it under a
// free "TempDB_<n>.mdb" name and puts the copy in its place only once the copy opens (see
// db_file_replace.h): a failure or a crash at any point leaves the original whole.
#pragma once
#include <QDialog>
#include <QPointer>
#include <string>

#include "com/variant.h"
#include "engine/dao_engine.h"
#include "framework/gui/file_dialog.h"

class QPushButton;
class QTabWidget;

namespace qb {

class TDBToolsDlg : public QDialog {
  Q_OBJECT

 public:
  // Records ENGINE (null: every tool does nothing) and whether it is active, and activates it
  // when it is not. Raises what activating raises; the engine is deactivated again then.
  explicit TDBToolsDlg(TDAOEngine* engine, QWidget* parent = nullptr);
  // Deactivates the engine when it is active now and was not at creation (an error there goes
  // to the default exception display).
  ~TDBToolsDlg() override;

  // The buttons' handlers, as the buttons run them (through the default exception display).
  // Each raises what the engine component, the file replacement or the GUI services raise.
  void BtnCompactClick();
  void BtnRepairClick();
  void BtnEncryptClick();
  void BtnDecryptClick();
  void BtnChangeSortOrderClick();
  void BtnSetPasswordClick();
  void BtnConvertClick();
  void BtnCreateClick();
  // Asks for a genuine .mdb/.accdb file and the new file to import it into (proposing the free
  // name beside it), then imports it under the progress window and shows the summary. An
  // existing destination is refused by the engine, never replaced.
  void BtnImportClick();

  // The shared step of the rebuilding tools: asks for the file (DBOpenDialog titled TITLE) and
  // its current password (offering the engine's DefaultPassword), then compacts it with
  // DESTINATION_LOCALE and OPTIONS into a copy that replaces it. Cancelling either question
  // does nothing.
  void CompactToTempAndReplace(const std::string& title, const Variant& destination_locale, const Variant& options);

  const FileDialogRequest& DBOpenDialog() const { return db_open_dialog_; }
  const FileDialogRequest& SelectDBFileDlg() const { return select_db_file_dlg_; }
  const FileDialogRequest& ImportSourceDlg() const { return import_source_dlg_; }
  const FileDialogRequest& ImportDestinationDlg() const { return import_destination_dlg_; }
  bool EngineWasActive() const { return engine_was_active_; }

 private:
  void BuildControls();
  // Compacts FILE into a free temporary name beside it and replaces FILE with the result,
  // which must open with COPY_CONNECT. SOURCE_CONNECT: ";pwd=..." of FILE, or empty.
  void CompactAndReplace(const std::string& file, const Variant& destination_locale, const Variant& options,
                         const std::string& source_connect, const std::string& copy_connect);

  QPointer<TDAOEngine> engine_;    // not owned; constant after construction
  bool engine_was_active_ = false;  // constant after construction
  FileDialogRequest db_open_dialog_;
  FileDialogRequest select_db_file_dlg_;
  FileDialogRequest import_source_dlg_;
  FileDialogRequest import_destination_dlg_;
  QTabWidget* pages_;      // owned by the window
  QWidget* button_area_;   // owned by the window: the "DB Tools" page
};

// When ENGINE is given: creates the tools window for it, runs it modally through the GUI
// services and frees it. Raises what creating the window raises.
void ShowDBToolsDlg(TDAOEngine* engine);

}  // namespace qb
