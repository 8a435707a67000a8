// engine/dao_engine: TDAOEngine, the one component that configures and activates the engine
// root object and runs the engine-level maintenance calls. It never frees workspaces or
// databases; deactivation only closes and disconnects them.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "com/variant.h"
#include "engine/dao_object.h"

namespace qb {

namespace jet {
class Database;
struct ImportSummary;
}

class TDAOEngine;
using TEngineNotifyEvent = std::function<void(TDAOEngine* sender)>;

// States: inactive and active, mirroring DBEngineObject() (whoever created it: a workspace or
// database may create the root object itself, and the engine then reads as active).
//   inactive -> active: SetActive(true) / Open (BeforeOpen, GetDBEngine, AfterOpen)
//   active -> inactive: SetActive(false) / Close (BeforeClose, every workspace closed and every
//                       database disconnected in DAOObjectList order, root released, AfterClose)
// While the owning form is loaded, SetActive only records the value; Loaded applies it.
class TDAOEngine : public TDAOObject {
  Q_OBJECT

 public:
  // Creates the engine component with the default settings. Raises EDAOError (65206, method
  // "TDAOEngine.Create", naming the existing engine) when an engine component exists already;
  // nothing is created then.
  explicit TDAOEngine(QObject* owner = nullptr);
  ~TDAOEngine() override;

  // True exactly when the engine root object exists.
  bool Active() const;
  // Activates or deactivates (see the states above). Raises EDAOError with method "SetActive"
  // when the root object cannot be made or the settings cannot be applied (then the root stays,
  // so the engine reads active, and AfterOpen is not fired); raises what closing a workspace
  // raises.
  void SetActive(bool active);
  void Open() { SetActive(true); }
  void Close() { SetActive(false); }

  // Login defaults and the workgroup file. Setters act only on a different text; while active
  // they raise EDAOError 65207 naming the property (method "CheckInactive"), except while the
  // form is loaded, when they deactivate the engine and store the value.
  const std::string& DefaultUser() const { return default_user_; }
  void SetDefaultUser(const std::string& user);
  const std::string& DefaultPassword() const { return default_password_; }
  void SetDefaultPassword(const std::string& password);
  const std::string& SystemDB() const { return system_db_; }
  void SetSystemDB(const std::string& path);
  // The engine's own IniPath while the root object exists, else the stored value.
  std::string IniPath() const;
  void SetIniPath(const std::string& path);
  // The stored IniPath, whatever the engine reports.
  const std::string& StoredIniPath() const { return ini_path_; }

  // Passed on to the engine at once while active (unwrapped: the engine's error propagates).
  std::int16_t DefaultODBCLoginTimeout() const { return default_odbc_login_timeout_; }
  void SetDefaultODBCLoginTimeout(std::int16_t seconds);
  TWorkspaceTypes DefaultWorkspaceType() const { return default_workspace_type_; }
  void SetDefaultWorkspaceType(TWorkspaceTypes type);

  // Copies the settings of SOURCE, a TDAOEngine, through the setters after deactivating this
  // engine, which is left inactive. Any other SOURCE raises EConvertError.
  void Assign(const TComponent* source) override;

  // DBEngine's Properties while active, else null.
  std::shared_ptr<jet::Properties> GetProperties() override;

  // Engine maintenance; each does nothing while inactive and raises EDAOError named after
  // itself ("CompactDatabase", ...) with the engine's description when the engine refuses.
  // Locale arguments carry a sort order number or a connect text (";pwd=..."), empty for none;
  // OPTIONS the engine's encrypt (2), decrypt (4) or version (1, 8, 16, 32) values, empty for 0.
  void CompactDatabase(const std::string& source, const std::string& destination,
                       const Variant& destination_locale = Variant(), const Variant& options = Variant(),
                       const Variant& source_locale = Variant());
  void RepairDatabase(const std::string& name);
  // A new database DESTINATION imported from the genuine .mdb/.accdb SOURCE, with what came
  // along and what was left out (jet/import/import_database.h); an empty summary while inactive.
  // Raises EDAOError ("ImportDatabase") with the engine's refusal; nothing is left at DESTINATION.
  jet::ImportSummary ImportDatabase(const std::string& source, const std::string& destination);
  // The new database, open (the caller holds the only reference), or null while inactive.
  std::shared_ptr<jet::Database> CreateDatabase(const std::string& name, const std::string& locale,
                                                const Variant& option = Variant());

  // After the form is read: activates when Active was streamed true; raises EDAOError 65212
  // (method "Loaded") when references to other forms are unresolved then. In the designer the
  // error is shown with ShowErrorBox instead.
  void Loaded() override;

  TEngineNotifyEvent BeforeOpen;
  TEngineNotifyEvent AfterOpen;
  TEngineNotifyEvent BeforeClose;
  TEngineNotifyEvent AfterClose;

  static const PropertyTable& ClassProperties();
  const PropertyTable& Properties() const override { return ClassProperties(); }

 private:
  void Activate();
  void Deactivate();
  void CheckInactive(const char* property);

  std::string default_user_ = "Admin";
  std::string default_password_;
  std::string system_db_;
  std::string ini_path_;
  std::int16_t default_odbc_login_timeout_ = 20;
  TWorkspaceTypes default_workspace_type_ = wtUseJet;
  bool streamed_active_ = false;  // Active as read from the form, applied in Loaded
};

// Writes ENGINE's DefaultUser, DefaultPassword, stored IniPath, SystemDB,
// DefaultODBCLoginTimeout and DefaultWorkspaceType to the engine root object, in this order,
// each checked (the first failure propagates and the writes before it stay). REQUIRES: the
// root object exists.
void ApplyEngineSettings(const TDAOEngine& engine);

}  // namespace qb
