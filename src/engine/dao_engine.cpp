// engine/dao_engine: activation, deactivation, guarded settings and loading of the engine
// component. Workspaces and databases are reached only through TDAOObject::CloseForEngine.
#include "engine/dao_engine.h"

#include <QPointer>
#include <vector>

#include "core/format.h"
#include "core/resource_strings.h"
#include "engine/dao_errors.h"
#include "engine/dao_globals.h"
#include "engine/dao_message_box.h"
#include "engine/dao_wait_cursor.h"
#include "jet/dao/database.h"
#include "jet/dao/dbengine.h"
#include "jet/dao/property.h"
#include "jet/import/import_database.h"

namespace qb {

namespace {

// Raises 65206 naming the engine component that exists already; returns OWNER otherwise.
QObject* RefuseSecondEngine(QObject* owner) {
  if (TDAOEngine* existing = FindDAOEngine()) {
    RaiseDAOError(existing, ResString(kResSecondEngine), "TDAOEngine.Create");
  }
  return owner;
}

std::string TextArgument(const Variant& value) {
  if (value.IsEmpty() || value.IsNull()) return std::string();
  return value.ToString();
}

int IntegerArgument(const Variant& value) {
  if (value.IsEmpty() || value.IsNull()) return 0;
  return value.ToInt32();
}

}  // namespace

void ApplyEngineSettings(const TDAOEngine& engine) {
  jet::DBEngine& root = *DBEngineObject();
  root.SetDefaultUser(engine.DefaultUser());
  root.SetDefaultPassword(engine.DefaultPassword());
  root.SetIniPath(engine.StoredIniPath());
  root.SetSystemDB(engine.SystemDB());
  root.SetLoginTimeout(engine.DefaultODBCLoginTimeout());
  // The default workspace type too: otherwise a type chosen while inactive (as a form sets it)
  // would never reach the engine, and the default workspace would be of the other kind.
  root.SetDefaultType(EngineWorkspaceKind(engine.DefaultWorkspaceType()));
}

TDAOEngine::TDAOEngine(QObject* owner) : TDAOObject(RefuseSecondEngine(owner)) {}

TDAOEngine::~TDAOEngine() = default;

bool TDAOEngine::Active() const { return DBEngineObject() != nullptr; }

void TDAOEngine::SetActive(bool active) {
  if (IsLoading()) {
    streamed_active_ = active;
    return;
  }
  if (active == Active()) return;
  if (active) {
    Activate();
  } else {
    Deactivate();
  }
}

void TDAOEngine::Activate() {
  if (BeforeOpen) BeforeOpen(this);
  CallEngine(this, "SetActive", [] { GetDBEngine(); });
  if (AfterOpen) AfterOpen(this);
}

void TDAOEngine::Deactivate() {
  if (BeforeClose) BeforeClose(this);
  // A handler may destroy components while others close: guard every entry.
  std::vector<QPointer<TDAOObject>> objects(DAOObjectList().begin(), DAOObjectList().end());
  for (const QPointer<TDAOObject>& object : objects) {
    if (object != nullptr) object->CloseForEngine();
  }
  DBEngineObject().reset();
  if (AfterClose) AfterClose(this);
}

void TDAOEngine::CheckInactive(const char* property) {
  if (IsLoading()) {
    if (Active()) Deactivate();
    return;
  }
  if (Active()) RaiseDAOError(this, Format(ResString(kResEnginePropertyWhileActive), property), "CheckInactive");
}

void TDAOEngine::SetDefaultUser(const std::string& user) {
  if (user == default_user_) return;
  CheckInactive("DefaultUser");
  default_user_ = user;
}

void TDAOEngine::SetDefaultPassword(const std::string& password) {
  if (password == default_password_) return;
  CheckInactive("DefaultPassword");
  default_password_ = password;
}

void TDAOEngine::SetSystemDB(const std::string& path) {
  if (path == system_db_) return;
  CheckInactive("SystemDB");
  system_db_ = path;
}

std::string TDAOEngine::IniPath() const {
  if (const auto& root = DBEngineObject()) return root->IniPath();
  return ini_path_;
}

void TDAOEngine::SetIniPath(const std::string& path) {
  if (path == ini_path_) return;
  CheckInactive("IniPath");
  ini_path_ = path;
}

void TDAOEngine::SetDefaultODBCLoginTimeout(std::int16_t seconds) {
  if (seconds == default_odbc_login_timeout_) return;
  default_odbc_login_timeout_ = seconds;
  if (Active()) DBEngineObject()->SetLoginTimeout(seconds);
}

void TDAOEngine::SetDefaultWorkspaceType(TWorkspaceTypes type) {
  if (type == default_workspace_type_) return;
  default_workspace_type_ = type;
  if (Active()) DBEngineObject()->SetDefaultType(EngineWorkspaceKind(type));
}

void TDAOEngine::Assign(const TComponent* source) {
  const auto* other = dynamic_cast<const TDAOEngine*>(source);
  if (other == nullptr) {
    TDAOObject::Assign(source);
    return;
  }
  // Read the source first: it may be this engine, and deactivation changes what IniPath reads.
  const std::string user = other->DefaultUser();
  const std::string password = other->DefaultPassword();
  const std::string system_db = other->SystemDB();
  const std::string ini_path = other->IniPath();
  const std::int16_t timeout = other->DefaultODBCLoginTimeout();
  const TWorkspaceTypes type = other->DefaultWorkspaceType();
  if (Active()) Deactivate();
  SetDefaultUser(user);
  SetDefaultPassword(password);
  SetSystemDB(system_db);
  SetIniPath(ini_path);
  SetDefaultODBCLoginTimeout(timeout);
  SetDefaultWorkspaceType(type);
}

std::shared_ptr<jet::Properties> TDAOEngine::GetProperties() {
  if (!Active()) return nullptr;
  return DBEngineObject()->Properties();
}

void TDAOEngine::CompactDatabase(const std::string& source, const std::string& destination,
                                 const Variant& destination_locale, const Variant& options,
                                 const Variant& source_locale) {
  if (!Active()) return;
  DAOWaitScope wait;
  CallEngine(this, "CompactDatabase", [&] {
    DBEngineObject()->CompactDatabase(source, destination, TextArgument(destination_locale), IntegerArgument(options),
                                      TextArgument(source_locale));
  });
}

void TDAOEngine::RepairDatabase(const std::string& name) {
  if (!Active()) return;
  DAOWaitScope wait;
  CallEngine(this, "RepairDatabase", [&] { DBEngineObject()->RepairDatabase(name); });
}

jet::ImportSummary TDAOEngine::ImportDatabase(const std::string& source, const std::string& destination) {
  if (!Active()) return {};
  DAOWaitScope wait;
  return CallEngine(this, "ImportDatabase", [&] { return DBEngineObject()->ImportDatabase(source, destination); });
}

std::shared_ptr<jet::Database> TDAOEngine::CreateDatabase(const std::string& name, const std::string& locale,
                                                          const Variant& option) {
  if (!Active()) return nullptr;
  DAOWaitScope wait;
  return CallEngine(this, "CreateDatabase",
                    [&] { return DBEngineObject()->CreateDatabase(name, locale, IntegerArgument(option)); });
}

void TDAOEngine::Loaded() {
  try {
    TDAOObject::Loaded();
    if (streamed_active_) {
      if (HasUnresolvedReferences()) {
        RaiseDAOError(this, Format(ResString(kResLinkedToUncreatedForms), "Engine"), "Loaded");
      }
      SetActive(true);
    }
  } catch (const Exception&) {
    if (!IsDesigning()) throw;
    ShowErrorBox();
  }
}

const PropertyTable& TDAOEngine::ClassProperties() {
  static const PropertyTable table =
      PropertyTableBuilder<TDAOEngine>(TDAOObject::ClassProperties())
          .Bool("Active", &TDAOEngine::Active, &TDAOEngine::SetActive, false)
          .String("DefaultUser", &TDAOEngine::DefaultUser, &TDAOEngine::SetDefaultUser, "Admin")
          .String("DefaultPassword", &TDAOEngine::DefaultPassword, &TDAOEngine::SetDefaultPassword)
          .Scrambled()
          .String("SystemDB", &TDAOEngine::SystemDB, &TDAOEngine::SetSystemDB)
          .String("IniPath", &TDAOEngine::IniPath, &TDAOEngine::SetIniPath)
          .Int16("DefaultODBCLoginTimeout", &TDAOEngine::DefaultODBCLoginTimeout,
                 &TDAOEngine::SetDefaultODBCLoginTimeout, 20)
          .Enum("DefaultWorkspaceType", {"wtUseJet", "wtUseODBC"}, &TDAOEngine::DefaultWorkspaceType,
                &TDAOEngine::SetDefaultWorkspaceType, wtUseJet)
          .Build();
  return table;
}

}  // namespace qb
