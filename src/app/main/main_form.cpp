// app/main/main_form: controls, form text, connection steps and settings of the main window.
// The tool buttons open the workspace administration, the database tools and the database editor.
// A database that is a genuine file of another program is offered for import; the connection
// then goes to the imported copy.
#include "app/main/main_form.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "app/dbedit/db_edit_dlg.h"
#include "app/dbtools/db_import.h"
#include "app/dbtools/db_tools_dlg.h"
#include "app/login/database_password.h"
#include "app/login/nim_login_dialog.h"
#include "app/main/import_offer_dlg.h"
#include "app/settings/form_storage.h"
#include "app/toolwindows/refresh_request.h"
#include "app/widgets/nim_file_name_edit.h"
#include "app/wsadmin/workspace_admin_dlg.h"
#include "core/exception.h"
#include "engine/dao_database.h"
#include "engine/dao_engine.h"
#include "engine/dao_errors.h"
#include "engine/dao_registration.h"
#include "engine/dao_workspace.h"
#include "framework/component/class_registry.h"
#include "framework/component/form_registry.h"
#include "framework/component/form_stream.h"
#include "framework/gui/application.h"
#include "framework/gui/gui_services.h"
#include "jet/dao/error_numbers.h"

namespace qb {

namespace {

// The main window's non-visual components and their design-time settings.
constexpr const char* kForm1Text = R"(object Form1: TForm1
  object DAOEngine1: TDAOEngine
    Active = True
    DefaultUser = 'Admin'
    DefaultODBCLoginTimeout = 20
    DefaultWorkspaceType = wtUseJet
  end
  object DAOWorkspace1: TDAOWorkspace
    UserName = 'Admin'
    IsolateODBCTrans = False
    WorkspaceType = wtUseJet
    Active = False
    ODBCLoginTimeout = 20
    ODBCCursorType = ctUseDefaultCursor
  end
  object DAODataBase1: TDAODataBase
    QueryTimeout = 30
    DAOWorkspace = DAOWorkspace1
    ReadOnly = False
    JetExclusive = False
    ODBCOptions = ooDriverComplete
    Connected = False
  end
  object dlgLogin: TNimLoginDialog
    LoginErrorMessage = 'No Such User Account.'
    RememberPassword = False
  end
  object FormStorage1: TFormStorage
    StoredProps = (
      'dlgLogin.Username'
      'systemDB.FileName'
      'DBName.FileName')
  end
end
)";

bool FileExists(const std::string& path) { return !path.empty() && QFileInfo(QString::fromStdString(path)).isFile(); }

// Overwrites a password's characters before its memory is given back.
struct PasswordWipe {
  std::string& text;
  ~PasswordWipe() { text.assign(text.size(), '\0'); }
};

}  // namespace

void RegisterMainFormClasses() {
  RegisterDAOComponentClasses();
  RegisterComponentClass<TNimLoginDialog>("TNimLoginDialog");
  RegisterComponentClass<TFormStorage>("TFormStorage");
}

TForm1::TForm1(QWidget* parent) : QWidget(parent) {
  setObjectName("TForm1");
  setWindowTitle("Waiting for connection");
  BuildControls();

  RegisterMainFormClasses();
  ReadComponentText(kForm1Text, this);
  engine_ = Component<TDAOEngine>("DAOEngine1");
  workspace_ = Component<TDAOWorkspace>("DAOWorkspace1");
  database_ = Component<TDAODataBase>("DAODataBase1");
  login_ = Component<TNimLoginDialog>("dlgLogin");
  storage_ = Component<TFormStorage>("FormStorage1");
  FormRegistry::Register(this);

  system_db_->OnChange = [this] { systemDBChange(); };
  systemDBChange();
  // A tool window changed the database by hand: the open database editor lists it afresh.
  connect(&RefreshRequests(), &DatabaseRefreshRequests::Requested, this,
          [] { App().CallGuarded([] { RefreshOpenDatabaseEditors(); }); });
  storage_->RestoreProperties();  // a restored workgroup name runs systemDBChange

  adjustSize();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect desktop = screen->availableGeometry();
    move(desktop.center() - QPoint(width() / 2, height() / 2));
  }
}

TForm1::~TForm1() {
  system_db_->OnChange = nullptr;
  db_name_->OnChange = nullptr;
}

template <class T>
T* TForm1::Component(const char* name) const {
  auto* component = dynamic_cast<T*>(FindOwnedComponent(this, name));
  if (component == nullptr) throw Exception(std::string("The main window's form text lacks ") + name + ".");
  return component;
}

void TForm1::BuildControls() {
  system_db_ = new TNimFileNameEdit(this);
  system_db_->setObjectName("systemDB");
  system_db_->SetLabelText("Select the &System DB");
  system_db_->SetDefaultExt("mdw");
  system_db_->SetFilter("Workgroup Files|*.mdw");

  db_name_ = new TNimFileNameEdit(this);
  db_name_->setObjectName("DBName");
  db_name_->SetLabelText("Select the &Database");
  db_name_->SetDefaultExt("mdb");
  db_name_->SetFilter("Access Data Files|*.mdb");

  auto make_button = [this](const char* name, const char* caption) {
    auto* button = new QPushButton(QString::fromUtf8(caption), this);
    button->setObjectName(name);
    return button;
  };
  button1_ = make_button("Button1", "&Connect");
  button2_ = make_button("Button2", "&Workspace Objects");
  button3_ = make_button("Button3", "Data &Engine Tools");
  button4_ = make_button("Button4", "&Database Tools");
  button5_ = make_button("Button5", "&Quit!");
  button2_->hide();
  button3_->hide();
  button4_->hide();

  auto guarded = [](auto handler) { return [handler] { App().CallGuarded(handler); }; };
  connect(button1_, &QPushButton::clicked, this, guarded([this] { Button1Click(); }));
  connect(button2_, &QPushButton::clicked, this, guarded([this] { Button2Click(); }));
  connect(button3_, &QPushButton::clicked, this, guarded([this] { Button3Click(); }));
  connect(button4_, &QPushButton::clicked, this, guarded([this] { Button4Click(); }));
  connect(button5_, &QPushButton::clicked, this, guarded([this] { Button5Click(); }));

  auto* buttons = new QGridLayout;
  buttons->addWidget(button1_, 0, 0);
  buttons->addWidget(button2_, 0, 1);
  buttons->addWidget(button3_, 1, 0);
  buttons->addWidget(button4_, 1, 1);
  buttons->addWidget(button5_, 2, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(system_db_);
  layout->addWidget(db_name_);
  layout->addLayout(buttons);
  layout->addStretch(1);
  setMinimumWidth(420);
}

void TForm1::systemDBChange() { button1_->setEnabled(FileExists(system_db_->FileName())); }

void TForm1::Button1Click() {
  if (engine_->Active()) {
    Disconnect();
  } else {
    Connect();
  }
}

void TForm1::Disconnect() {
  engine_->SetActive(false);  // closes the workspace and disconnects the database
  // The last login's password is of no further use once every connection is closed.
  engine_->SetDefaultPassword("");
  workspace_->SetPassword("");
  database_->SetJetDBPassword("");
  button1_->setText("&Connect");
  setWindowTitle("Waiting for Connection");
  button2_->hide();
  button3_->hide();
  button4_->hide();
}

void TForm1::Connect() {
  // The result is not consulted: after Cancel the previous user name is tried again. The
  // password typed in the window serves this connection only; the login component keeps none.
  const bool typed = login_->Execute();
  std::string password = typed ? login_->TakeEnteredPassword() : login_->Password();
  PasswordWipe wipe{password};

  engine_->SetSystemDB(system_db_->FileName());
  engine_->SetDefaultUser(login_->Username());
  engine_->SetDefaultPassword(password);
  engine_->SetActive(true);
  button3_->show();

  workspace_->SetUserName(login_->Username());
  workspace_->SetPassword(password);
  workspace_->SetActive(true);
  button2_->show();

  const std::string database_file = db_name_->FileName();
  if (FileExists(database_file)) {
    database_->SetDatabaseFile(database_file);
    ConnectOrImport(database_file);
    button4_->show();
  }

  button2_->setFocus();
  button1_->setText("&Disconnect");
  setWindowTitle("Connected!");
}

void TForm1::ConnectOrImport(const std::string& file) {
  try {
    ConnectDatabase(*database_);  // asks for the database's password when the file has one
    return;
  } catch (const EDAOError& error) {
    // Only the engine's refusal of a genuine file of another program leads to the offer; every
    // other refusal, and a declined offer, is the refusal the user sees.
    if (error.EngineError() != jet::err::kForeignFormat) throw;
    const std::string copy = FreeImportName(file);
    TImportOfferDlg offer(file, copy, this);
    if (Gui().RunModal(offer) != QDialog::Accepted) throw;
    ImportWithProgress(*engine_, file, copy);
    db_name_->SetFileName(copy);
    database_->SetDatabaseFile(copy);
  }
  ConnectDatabase(*database_);
}

void TForm1::Button2Click() { ShowWorkspaceAdminDlg(workspace_); }

void TForm1::Button3Click() {
  // The tools need the file to themselves; a database that was not connected (none was
  // chosen) stays so rather than failing for a file that does not exist.
  const bool was_connected = database_->Connected();
  database_->SetConnected(false);
  ShowDBToolsDlg(engine_);
  if (was_connected) ConnectDatabase(*database_);  // the tools may have changed its password
}

void TForm1::Button4Click() { ShowDBEditDlg(database_); }

void TForm1::Button5Click() {
  engine_->SetActive(false);
  close();
}

void TForm1::closeEvent(QCloseEvent* event) {
  App().CallGuarded([this] { storage_->SaveProperties(); });
  event->accept();
}

}  // namespace qb
