// engine/dao_database: TDAODataBase, the component that stands for one open engine Database
// (a file in a Jet workspace, a data source in an ODBC workspace): its connection settings, the
// open call built from them, the recordsets bound to it, and access to the catalog and
// transactions. It never frees a recordset or a workspace.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/dao_object.h"
#include "engine/dao_workspace_member.h"
#include "com/variant.h"
#include "jet/dao/catalog_objects.h"

namespace qb {

namespace jet {
class Database;
class Recordset;
}

class TDAORecordsetLink;
class TDAOWorkspace;

// Driver prompt behaviour of an ODBC open; engine values 0 to 3 in this order.
enum TODBCOptions { ooDriverComplete, ooDriverNoPrompt, ooDriverPrompt, ooDriverCompleteRequired };

class TDAODataBase;
using TDataBaseNotifyEvent = std::function<void(TDAODataBase* sender)>;

// States: disconnected and connected, mirroring the engine Database object.
//   disconnected -> connected: SetConnected(true) / Open: BeforeOpen, the workspace found (its
//     component opened when needed, else the engine's default workspace), OpenDatabase with the
//     settings of its kind, the ODBC names read back, QueryTimeout written, AfterOpen. A failure
//     leaves it disconnected (a workspace opened on the way stays open).
//   connected -> disconnected: SetConnected(false) / Close, its workspace's close, the engine
//     component's deactivation, destruction: BeforeClose, every bound recordset closed in list
//     order, the Database released (open transactions end with it), AfterClose.
// While the owning form is loaded, SetConnected only records the value; Loaded applies it.
class TDAODataBase : public TDAOObject, public TDAOWorkspaceMember {
  Q_OBJECT

 public:
  explicit TDAODataBase(QObject* owner = nullptr);
  // Disconnects (errors are swallowed), detaches every recordset last first, leaves its
  // workspace's list.
  ~TDAODataBase() override;

  bool Connected() const { return database_ != nullptr; }
  // Connects or disconnects (see the states above). Connecting raises EDAOError (method
  // "CreateComObj") 65212 for unresolved references to other forms, 65214 without a workspace,
  // 65213 naming DatabaseFile when a Jet workspace would open a missing file, and (method
  // "CreateCOMObj") the engine's description when it refuses; opening the workspace component
  // or the engine's default workspace raises its own errors.
  void SetConnected(bool connected);
  void Open() { SetConnected(true); }
  void Close() { SetConnected(false); }

  // Connection settings. Setters act only on a different value; while connected they raise
  // EDAOError 65215 naming the property (method "CheckInactive"), except while the form is
  // loaded, when they disconnect and store.
  const std::string& DatabaseFile() const { return database_file_; }
  void SetDatabaseFile(const std::string& path);
  const std::string& ODBCDataSourceName() const { return odbc_data_source_name_; }
  void SetODBCDataSourceName(const std::string& name);
  // The workspace to open in; none means the engine's default workspace. Binding adds this
  // database to the workspace's list and takes it out of the old one's.
  TDAOWorkspace* DAOWorkspace() const { return workspace_; }
  void SetDAOWorkspace(TDAOWorkspace* workspace);
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool read_only);
  bool JetExclusive() const { return jet_exclusive_; }
  void SetJetExclusive(bool exclusive);
  TODBCOptions ODBCOptions() const { return odbc_options_; }
  void SetODBCOptions(TODBCOptions options);
  // Stored without trailing ';' and blanks (kept as read while the form is loaded).
  const std::string& JetConnectParams() const { return jet_connect_params_; }
  void SetJetConnectParams(const std::string& text);
  const std::string& ODBCConnectParams() const { return odbc_connect_params_; }
  void SetODBCConnectParams(const std::string& text);

  // The password of the "pwd" clause of JetConnectParams (keyword in any case, clause to the
  // end of the text, outer ';', '=' and blanks trimmed); empty when there is none.
  std::string JetDBPassword() const;
  // Replaces the "pwd" clause with "pwd=" + PASSWORD (removes it for an empty PASSWORD),
  // through SetJetConnectParams (so refused while connected); a non-empty result starts with
  // ';'. Nothing when PASSWORD equals JetDBPassword().
  void SetJetDBPassword(const std::string& password);

  // Seconds; written to the Database at once while connected (the engine's error propagates).
  std::int16_t QueryTimeout() const { return query_timeout_; }
  void SetQueryTimeout(std::int16_t seconds);

  // The Database's Version while connected, else empty (the engine's error propagates).
  std::string JetVersion() const;
  // The Database's DesignMasterID while connected, "(No Master ID Defined)" when the engine
  // refuses (not a replica), empty while disconnected. Never raises for the refusal.
  std::string DesignMasterID() const;
  int RecordsetCount() const { return static_cast<int>(recordsets_.size()); }

  // The workspace type the database opens in: its DAOWorkspace's type, else the type of the
  // engine's default workspace; wtUseJet when neither can tell.
  TWorkspaceTypes GetWorkspaceType() const;
  // Raises EDAOError 65184 naming FEATURE and REQUIRED (method "CheckWorkspaceType") when
  // GetWorkspaceType() differs from REQUIRED; nothing while the form is loaded.
  void CheckWorkspaceType(TWorkspaceTypes required, const std::string& feature) const;

  // The Database's collections while connected, else null. TableDefs and Containers are Jet
  // only (65184, checked only while connected). Engine failures raise EDAOError
  // "GetTableDefs", "GetQueryDefs", "GetContainers".
  std::shared_ptr<jet::TableDefs> TableDefs();
  std::shared_ptr<jet::QueryDefs> QueryDefs();
  std::shared_ptr<jet::Containers> Containers();
  // The table or query definition NAME while connected, else null. Jet only (65184, checked
  // also while disconnected). A missing NAME raises EDAOError "FindTableDef" / "FindQueryDef"
  // with the engine's description.
  std::shared_ptr<jet::TableDef> FindTableDef(const std::string& name);
  std::shared_ptr<jet::QueryDef> FindQueryDef(const std::string& name);

  // Transactions of the Database while connected (nothing while disconnected), counted in
  // TransactionDepth. A refused call (EDAOError "BeginTrans", "CommitTrans", "Rollback") leaves
  // the depth as it was; commit and rollback never take it below 0.
  void BeginTrans();
  void CommitTrans(int options = 0);
  void Rollback();
  bool InTransaction() const { return depth_ >= 1; }
  int TransactionDepth() const { return depth_; }

  // Runs the statement QUERY with OPTIONS on the Database while connected; nothing while
  // disconnected. The engine's refusal raises EDAOError "Execute".
  void Execute(const std::string& query, int options = 0);

  // Opens NAME (a table, a saved query or a statement) as a Recordset of the Database while
  // connected, with the engine's own defaults for each Empty argument; null while
  // disconnected. The recordset component calls it when it opens. The engine's refusal raises
  // EDAOError "OpenRecordset"; an argument that is no number raises EVariantError.
  std::shared_ptr<jet::Recordset> OpenRecordset(const std::string& name, const Variant& recordset_type = Variant(),
                                                const Variant& options = Variant(),
                                                const Variant& lock_edit = Variant());

  // Disconnects, copies the settings of SOURCE (a TDAODataBase) through the setters, connects
  // when SOURCE is connected. Other classes: EConvertError.
  void Assign(const TComponent* source) override;

  // The Database's Properties while connected, else null.
  std::shared_ptr<jet::Properties> GetProperties() override;
  // The engine Database while connected, else null.
  std::shared_ptr<jet::Database> DatabaseObject() const { return database_; }

  // Bound recordsets, in the order they were bound (no duplicates). Recordsets add and remove
  // themselves; REQUIRES: LINK stays valid until removed.
  void AddRecordset(TDAORecordsetLink* link);
  void RemoveRecordset(TDAORecordsetLink* link);
  const std::vector<TDAORecordsetLink*>& Recordsets() const { return recordsets_; }

  // After the form is read: connects when Connected was streamed true, then makes sure it is in
  // its DAOWorkspace's list. In the designer an error is shown with ShowErrorBox instead.
  void Loaded() override;
  void CloseForEngine() override;

  // TDAOWorkspaceMember.
  void DisconnectForWorkspace() override;
  void DetachFromWorkspace() override;
  void RecheckRecordsetRules() override;

  TDataBaseNotifyEvent BeforeOpen;
  TDataBaseNotifyEvent AfterOpen;
  TDataBaseNotifyEvent BeforeClose;
  TDataBaseNotifyEvent AfterClose;

  static const PropertyTable& ClassProperties();
  const PropertyTable& Properties() const override { return ClassProperties(); }

 private:
  void CreateComObj();
  void Disconnect();
  void CheckInactive(const char* property);

  std::shared_ptr<jet::Database> database_;  // present exactly while connected
  std::string database_file_;
  TDAOWorkspace* workspace_ = nullptr;  // not owned; unbinds this database before it goes
  bool read_only_ = false;
  bool jet_exclusive_ = false;
  TODBCOptions odbc_options_ = ooDriverComplete;
  std::string jet_connect_params_;
  std::string odbc_connect_params_;
  bool streamed_connected_ = false;                // Connected as read from the form
  std::vector<TDAORecordsetLink*> recordsets_;     // not owned; links remove themselves
  std::string odbc_data_source_name_;
  std::int16_t query_timeout_ = 30;
  int depth_ = 0;
};

}  // namespace qb
