// app/dbtools/db_tools_dlg: the tools window's layout, its engine's activation and the
// handlers of its buttons.
#include "app/dbtools/db_tools_dlg.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <filesystem>
#include <memory>
#include <optional>

#include "app/dbtools/db_create_opt_dlg.h"
#include "app/dbtools/db_file_replace.h"
#include "app/dbtools/db_import.h"
#include "app/dbtools/db_option_tables.h"
#include "app/dbtools/db_options_dlg.h"
#include "app/dbtools/db_password_dlg.h"
#include "app/dbtools/long_tool.h"
#include "engine/dao_errors.h"
#include "engine/dao_globals.h"
#include "framework/gui/application.h"
#include "framework/gui/gui_services.h"
#include "framework/gui/screen_cursor.h"
#include "jet/dao/database.h"
#include "jet/dao/database_files.h"
#include "jet/dao/dbengine.h"

namespace qb {

namespace {

// Overwrites a password's characters before its memory is given back.
struct PasswordWipe {
  std::string& text;
  ~PasswordWipe() { text.assign(text.size(), '\0'); }
};

// The hourglass over one widget (not the screen) until the scope ends.
class WidgetWaitCursor {
 public:
  explicit WidgetWaitCursor(QWidget* widget) : widget_(widget) { widget_->setCursor(CursorShape(crHourGlass)); }
  ~WidgetWaitCursor() { widget_->unsetCursor(); }
  WidgetWaitCursor(const WidgetWaitCursor&) = delete;
  WidgetWaitCursor& operator=(const WidgetWaitCursor&) = delete;

 private:
  QWidget* widget_;
};

std::string PasswordClause(const std::string& password) { return password.empty() ? std::string() : ";pwd=" + password; }

// The file's name without its folder: what the progress window shows (a whole path would not
// wrap in its message).
std::string FileNamePart(const std::string& path) { return std::filesystem::path(path).filename().string(); }

}  // namespace

TDBToolsDlg::TDBToolsDlg(TDAOEngine* engine, QWidget* parent) : QDialog(parent), engine_(engine) {
  setObjectName("TDBToolsDlg");
  setWindowTitle("Database Tools");
  db_open_dialog_.default_ext = "mdb";
  db_open_dialog_.filter = "MS Access Databases (*.mdb)|*.mdb";
  db_open_dialog_.must_exist = true;
  select_db_file_dlg_.default_ext = "MDB";
  select_db_file_dlg_.filter = "MS Access Database (*.MDB)|*.MDB|All Files (*.*)|*.*";
  select_db_file_dlg_.overwrite_prompt = true;
  import_source_dlg_.title = "Select Database to Import";
  import_source_dlg_.default_ext = "mdb";
  import_source_dlg_.filter = "Access Databases (*.mdb;*.accdb)|*.mdb;*.accdb|All Files (*.*)|*.*";
  import_source_dlg_.must_exist = true;
  import_destination_dlg_.title = "Import into New Database";
  import_destination_dlg_.default_ext = "mdb";
  import_destination_dlg_.filter = "MS Access Databases (*.mdb)|*.mdb";
  BuildControls();

  if (engine_ == nullptr) return;
  engine_was_active_ = engine_->Active();
  if (engine_was_active_) return;
  try {
    engine_->SetActive(true);
  } catch (...) {
    // A failed activation may leave the root object behind: the window that is not made
    // cannot give it back later.
    if (engine_->Active()) App().CallGuarded([this] { engine_->SetActive(false); });
    throw;
  }
}

TDBToolsDlg::~TDBToolsDlg() {
  if (engine_ != nullptr && engine_->Active() && !engine_was_active_) {
    App().CallGuarded([this] { engine_->SetActive(false); });
  }
}

void TDBToolsDlg::BuildControls() {
  pages_ = new QTabWidget(this);
  pages_->setObjectName("PageControl1");
  button_area_ = new QWidget(pages_);
  button_area_->setObjectName("TabSheet1");
  pages_->addTab(button_area_, "DB Tools");

  auto* column = new QVBoxLayout(button_area_);
  auto add_button = [this, column](const char* name, const char* caption, void (TDBToolsDlg::*handler)()) {
    auto* button = new QPushButton(QString::fromUtf8(caption), button_area_);
    button->setObjectName(name);
    button->setAutoDefault(false);
    column->addWidget(button);
    connect(button, &QPushButton::clicked, this, [this, handler] { App().CallGuarded([this, handler] { (this->*handler)(); }); });
  };
  add_button("BtnCompact", "Compact Database ...", &TDBToolsDlg::BtnCompactClick);
  add_button("BtnRepair", "Repair Database ...", &TDBToolsDlg::BtnRepairClick);
  add_button("BtnEncrypt", "Encrypt Database ...", &TDBToolsDlg::BtnEncryptClick);
  add_button("BtnDecrypt", "Decrypt Database ...", &TDBToolsDlg::BtnDecryptClick);
  add_button("BtnChangeSortOrder", "Change DB Sort Order ...", &TDBToolsDlg::BtnChangeSortOrderClick);
  add_button("BtnSetPassword", "Set DB Password ...", &TDBToolsDlg::BtnSetPasswordClick);
  add_button("BtnConvert", "Convert Database ...", &TDBToolsDlg::BtnConvertClick);
  add_button("BtnCreate", "Create Database ...", &TDBToolsDlg::BtnCreateClick);
  add_button("BtnImport", "Import Database ...", &TDBToolsDlg::BtnImportClick);
  column->addStretch(1);

  auto* close = new QPushButton("Close", this);
  close->setObjectName("BtnClose");
  close->setDefault(true);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  bottom->addWidget(close);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_);
  layout->addLayout(bottom);
  setMinimumWidth(300);
}

void TDBToolsDlg::CompactAndReplace(const std::string& file, const Variant& destination_locale,
                                    const Variant& options, const std::string& source_connect,
                                    const std::string& copy_connect) {
  if (!engine_->Active()) return;  // the engine call would do nothing, so there is no copy
  const std::string copy = MakeTempDBName(file);
  const Variant source_locale = source_connect.empty() ? Variant() : Variant(source_connect);
  RunLongTool("Compacting " + FileNamePart(file) + " ...", [&] {
    engine_->CompactDatabase(file, copy, destination_locale, options, source_locale);
    CallEngine(engine_, "CompactDatabase",
               [&] { ReplaceWithCompactedCopy(file, copy, copy_connect, GetDBEngine()->Settings()); });
  });
}

void TDBToolsDlg::CompactToTempAndReplace(const std::string& title, const Variant& destination_locale,
                                          const Variant& options) {
  db_open_dialog_.title = title;
  if (engine_ == nullptr) return;
  std::string password = engine_->DefaultPassword();
  PasswordWipe wipe{password};
  const std::optional<std::string> file = Gui().OpenFileDialog(db_open_dialog_);
  if (!file || !AskDBPassword("Enter Current Database Password", password)) return;

  ScopedCursor wait(crHourGlass);  // restored also when the engine refuses
  App().ProcessMessages();
  // The copy keeps the source's password unless the destination locale names another.
  CompactAndReplace(*file, destination_locale, options, PasswordClause(password), PasswordClause(password));
}

void TDBToolsDlg::BtnCompactClick() { CompactToTempAndReplace("Select Database to compact", Variant(), Variant()); }

void TDBToolsDlg::BtnEncryptClick() {
  CompactToTempAndReplace("Select Database to Encrypt", Variant(), Variant(jet::kDbEncrypt));
}

void TDBToolsDlg::BtnDecryptClick() {
  CompactToTempAndReplace("Select Database to Decrypt", Variant(), Variant(jet::kDbDecrypt));
}

void TDBToolsDlg::BtnChangeSortOrderClick() {
  int sort_order = kGeneralSortOrder;
  if (!SelectSortOrder(sort_order)) return;
  CompactToTempAndReplace("Select Database for which to change the Sort Order", Variant(sort_order), Variant());
}

void TDBToolsDlg::BtnConvertClick() {
  int version = kJetVersion30;
  if (!SelectJetVersion(version)) return;
  CompactToTempAndReplace("Select Database to Convert", Variant(), Variant(version));
}

void TDBToolsDlg::BtnRepairClick() {
  db_open_dialog_.title = "Select Database to Repair";
  if (engine_ == nullptr) return;
  const std::optional<std::string> file = Gui().OpenFileDialog(db_open_dialog_);
  if (!file) return;
  RunLongTool("Repairing " + FileNamePart(*file) + " ...", [&] { engine_->RepairDatabase(*file); });
}

void TDBToolsDlg::BtnSetPasswordClick() {
  std::string new_password;
  PasswordWipe wipe_new{new_password};
  // Cancel stops here: going on with an empty password would take the file's password away,
  // which is not what a cancelled question asks for.
  if (!AskDBPassword("Enter New Database Password", new_password)) return;
  db_open_dialog_.title = "Select Database for which to change the Password";
  if (engine_ == nullptr) return;
  const std::optional<std::string> file = Gui().OpenFileDialog(db_open_dialog_);
  if (!file) return;
  std::string current_password;
  PasswordWipe wipe_current{current_password};
  if (!AskDBPassword("Enter Current Database Password", current_password)) return;

  WidgetWaitCursor wait(button_area_);
  App().ProcessMessages();
  // ";pwd=" alone removes the password.
  const Variant destination_locale(";pwd=" + new_password);
  CompactAndReplace(*file, destination_locale, Variant(), PasswordClause(current_password),
                    PasswordClause(new_password));
}

void TDBToolsDlg::BtnCreateClick() {
  if (engine_ == nullptr) return;
  auto options = std::make_unique<TDBCreateOptDlg>(this);
  const std::optional<std::string> file = Gui().SaveFileDialog(select_db_file_dlg_);
  if (!file || Gui().RunModal(*options) != QDialog::Accepted) return;
  std::string password = options->Password();
  PasswordWipe wipe{password};
  std::string locale = std::to_string(options->SortOrder()) + PasswordClause(password);
  PasswordWipe wipe_locale{locale};
  const int option = options->Encrypted() ? jet::kDbEncrypt : 0;
  engine_->CreateDatabase(*file, locale, Variant(option));  // the new database closes at once
}

void TDBToolsDlg::BtnImportClick() {
  if (engine_ == nullptr) return;
  const std::optional<std::string> source = Gui().OpenFileDialog(import_source_dlg_);
  if (!source) return;
  import_destination_dlg_.file_name = FreeImportName(*source);
  const std::optional<std::string> destination = Gui().SaveFileDialog(import_destination_dlg_);
  if (!destination) return;
  ImportWithProgress(*engine_, *source, *destination);
}

void ShowDBToolsDlg(TDAOEngine* engine) {
  if (engine == nullptr) return;
  TDBToolsDlg dialog(engine);
  Gui().RunModal(dialog);
}

}  // namespace qb
