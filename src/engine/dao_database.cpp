// engine/dao_database: connecting, disconnecting, guarded settings, the database password in
// the connect text, catalog access and transactions of the database component. Recordsets
// are reached only through TDAORecordsetLink, workspaces only through their component.
#include "engine/dao_database.h"

#include <algorithm>
#include <filesystem>

#include "core/format.h"
#include "core/resource_strings.h"
#include "engine/dao_errors.h"
#include "engine/dao_globals.h"
#include "engine/dao_message_box.h"
#include "engine/dao_recordset_link.h"
#include "engine/dao_wait_cursor.h"
#include "engine/dao_workspace.h"
#include "engine/text_scan.h"
#include "jet/dao/database.h"
#include "jet/dao/dbengine.h"
#include "jet/dao/property.h"
#include "jet/recordset/recordset.h"
#include "jet/dao/workspace.h"
#include "jet/dao/workspaces.h"

namespace qb {

namespace {

constexpr std::string_view kConnectSeparators = ";=";
const std::vector<std::string>& PwdKeyword() {
  static const std::vector<std::string> keyword = {"pwd"};
  return keyword;
}

TWorkspaceTypes TypeOfKind(int kind) { return kind == jet::kUseOdbc ? wtUseODBC : wtUseJet; }

bool FileExists(const std::string& path) {
  std::error_code error;
  return !path.empty() && std::filesystem::exists(path, error);
}

}  // namespace

TDAODataBase::TDAODataBase(QObject* owner) : TDAOObject(owner) {}

TDAODataBase::~TDAODataBase() {
  try {
    if (Connected()) Disconnect();
  } catch (...) {
    database_.reset();  // a destructor raises nothing; the Database ends with its last reference
  }
  while (!recordsets_.empty()) {
    TDAORecordsetLink* link = recordsets_.back();
    link->DetachFromDatabase();
    // A link that did not unbind itself must not be met again.
    if (!recordsets_.empty() && recordsets_.back() == link) recordsets_.pop_back();
  }
  if (workspace_ != nullptr) workspace_->RemoveDatabase(this);
}

void TDAODataBase::SetConnected(bool connected) {
  if (IsLoading()) {
    streamed_connected_ = connected;
    return;
  }
  if (connected == Connected()) return;
  if (connected) {
    CreateComObj();
  } else {
    Disconnect();
  }
}

void TDAODataBase::CreateComObj() {
  if (BeforeOpen) BeforeOpen(this);
  if (HasUnresolvedReferences()) {
    RaiseDAOError(this, Format(ResString(kResLinkedToUncreatedForms), "Database"), "CreateComObj");
  }
  {
    DAOWaitScope wait;
    std::shared_ptr<jet::Workspace> workspace;
    if (workspace_ != nullptr) {
      if (!workspace_->Active()) workspace_->Open();
      workspace = workspace_->WorkspaceObject();
    } else {
      std::shared_ptr<jet::DBEngine> root = GetDBEngine();
      std::shared_ptr<jet::Workspaces> workspaces = root->Workspaces();
      if (workspaces->Count() >= 1) workspace = workspaces->Item(0);
    }
    if (!workspace) RaiseDAOError(this, ResString(kResNoWorkspaceForDatabase), "CreateComObj");
    if (workspace->Type() == jet::kUseJet && !FileExists(database_file_)) {
      RaiseDAOError(this, Format(ResString(kResDatabaseFileMissing), database_file_), "CreateComObj");
    }
    const int kind = workspace->Type();
    database_ = CallEngine(this, "CreateCOMObj", [&]() -> std::shared_ptr<jet::Database> {
      if (kind == jet::kUseJet) {
        return workspace->OpenDatabase(database_file_, Variant(jet_exclusive_), read_only_, jet_connect_params_);
      }
      if (kind == jet::kUseOdbc) {
        return workspace->OpenDatabase(odbc_data_source_name_, Variant(static_cast<int>(odbc_options_)), read_only_,
                                       odbc_connect_params_);
      }
      return nullptr;
    });
    if (database_) {
      try {
        if (GetWorkspaceType() == wtUseODBC) {
          odbc_data_source_name_ = database_->Name();
          odbc_connect_params_ = database_->Connect();
        }
        database_->SetQueryTimeout(query_timeout_);
      } catch (...) {
        // A database that cannot take its settings is not kept: the connect failed.
        database_.reset();
        throw;
      }
    }
  }
  if (AfterOpen) AfterOpen(this);
}

void TDAODataBase::Disconnect() {
  if (BeforeClose) BeforeClose(this);
  const std::vector<TDAORecordsetLink*> links = recordsets_;
  for (TDAORecordsetLink* link : links) {
    // A recordset closed earlier in this loop may have unbound another.
    if (std::find(recordsets_.begin(), recordsets_.end(), link) != recordsets_.end()) link->CloseForDatabase();
  }
  database_.reset();
  depth_ = 0;  // the Database's open transactions ended with it
  if (AfterClose) AfterClose(this);
}

void TDAODataBase::CloseForEngine() {
  if (Connected()) Disconnect();
}

void TDAODataBase::DisconnectForWorkspace() {
  if (Connected()) Disconnect();
}

void TDAODataBase::DetachFromWorkspace() {
  if (workspace_ == nullptr) return;
  TDAOWorkspace* old = workspace_;
  workspace_ = nullptr;
  old->RemoveDatabase(this);
}

void TDAODataBase::RecheckRecordsetRules() {
  const std::vector<TDAORecordsetLink*> links = recordsets_;
  for (TDAORecordsetLink* link : links) link->RecheckWorkspaceRules();
}

void TDAODataBase::CheckInactive(const char* property) {
  if (IsLoading()) {
    if (Connected()) Disconnect();
    return;
  }
  if (Connected()) {
    RaiseDAOError(this, Format(ResString(kResDatabasePropertyWhileConnected), property), "CheckInactive");
  }
}

void TDAODataBase::SetDatabaseFile(const std::string& path) {
  if (path == database_file_) return;
  CheckInactive("DatabaseFile");
  database_file_ = path;
}

void TDAODataBase::SetODBCDataSourceName(const std::string& name) {
  if (name == odbc_data_source_name_) return;
  CheckInactive("ODBCDataSourceName");
  odbc_data_source_name_ = name;
}

void TDAODataBase::SetDAOWorkspace(TDAOWorkspace* workspace) {
  if (workspace == workspace_) return;
  CheckInactive("DAOWorkspace");
  if (workspace_ != nullptr) workspace_->RemoveDatabase(this);
  if (workspace != nullptr) workspace->AddDatabase(this);
  workspace_ = workspace;
}

void TDAODataBase::SetReadOnly(bool read_only) {
  if (read_only == read_only_) return;
  CheckInactive("ReadOnly");
  read_only_ = read_only;
}

void TDAODataBase::SetJetExclusive(bool exclusive) {
  if (exclusive == jet_exclusive_) return;
  CheckInactive("JetExclusive");
  jet_exclusive_ = exclusive;
}

void TDAODataBase::SetODBCOptions(TODBCOptions options) {
  if (options == odbc_options_) return;
  CheckInactive("ODBCOptions");
  odbc_options_ = options;
}

void TDAODataBase::SetJetConnectParams(const std::string& text) {
  if (IsLoading()) {
    jet_connect_params_ = text;
    return;
  }
  if (text == jet_connect_params_) return;
  CheckInactive("JetConnectParams");
  jet_connect_params_ = TrimRightChars(text, "; ");
}

void TDAODataBase::SetODBCConnectParams(const std::string& text) {
  if (text == odbc_connect_params_) return;
  CheckInactive("ODBCConnectParams");
  odbc_connect_params_ = text;
}

std::string TDAODataBase::JetDBPassword() const {
  const std::string clause = ExtractClause(jet_connect_params_, kConnectSeparators, PwdKeyword(), {}, true);
  if (clause.empty()) return std::string();
  return TrimChars(DropWord(clause, kConnectSeparators), ";= ");
}

void TDAODataBase::SetJetDBPassword(const std::string& password) {
  if (password == JetDBPassword()) return;
  const std::string clause = password.empty() ? std::string() : "pwd=" + password;
  std::string text;
  const bool has_clause = !ExtractClause(jet_connect_params_, kConnectSeparators, PwdKeyword(), {}, true).empty();
  if (!has_clause && !clause.empty() && !jet_connect_params_.empty()) {
    // Appended to other settings the clause needs its separator, or "pwd" would not be a word.
    text = jet_connect_params_ + ";" + clause;
  } else {
    text = ReplaceClause(jet_connect_params_, kConnectSeparators, clause, PwdKeyword(), {}, true);
  }
  SetJetConnectParams(text);
  if (!jet_connect_params_.empty() && jet_connect_params_.front() != ';') jet_connect_params_.insert(0, ";");
}

void TDAODataBase::SetQueryTimeout(std::int16_t seconds) {
  if (Connected()) database_->SetQueryTimeout(seconds);
  query_timeout_ = seconds;
}

std::string TDAODataBase::JetVersion() const {
  if (!Connected()) return std::string();
  return database_->Version();
}

std::string TDAODataBase::DesignMasterID() const {
  if (!Connected()) return std::string();
  try {
    return database_->DesignMasterID();
  } catch (const Exception&) {
    return ResString(kResNoMasterId);
  }
}

TWorkspaceTypes TDAODataBase::GetWorkspaceType() const {
  if (workspace_ != nullptr) return workspace_->WorkspaceType();
  const std::shared_ptr<jet::DBEngine>& root = DBEngineObject();
  if (!root) return wtUseJet;
  try {
    return TypeOfKind(root->Workspaces()->Item(0)->Type());
  } catch (const Exception&) {
    // The default workspace cannot be logged in now: the kind it would have.
    return TypeOfKind(root->DefaultType());
  }
}

void TDAODataBase::CheckWorkspaceType(TWorkspaceTypes required, const std::string& feature) const {
  if (IsLoading()) return;
  if (GetWorkspaceType() != required) {
    RaiseDAOError(this, Format(ResString(kResDatabaseWrongWorkspaceType), feature, WorkspaceTypeName(required)),
                  "CheckWorkspaceType");
  }
}

std::shared_ptr<jet::TableDefs> TDAODataBase::TableDefs() {
  if (!Connected()) return nullptr;
  CheckWorkspaceType(wtUseJet, "'TableDefs' Property");
  return CallEngine(this, "GetTableDefs", [&] { return database_->TableDefs(); });
}

std::shared_ptr<jet::QueryDefs> TDAODataBase::QueryDefs() {
  if (!Connected()) return nullptr;
  return CallEngine(this, "GetQueryDefs", [&] { return database_->QueryDefs(); });
}

std::shared_ptr<jet::Containers> TDAODataBase::Containers() {
  if (!Connected()) return nullptr;
  CheckWorkspaceType(wtUseJet, "'Containers' Property");
  return CallEngine(this, "GetContainers", [&] { return database_->Containers(); });
}

std::shared_ptr<jet::TableDef> TDAODataBase::FindTableDef(const std::string& name) {
  CheckWorkspaceType(wtUseJet, "'FindTableDef' Method");
  if (!Connected()) return nullptr;
  return CallEngine(this, "FindTableDef", [&] { return database_->TableDefs()->Item(std::string_view(name)); });
}

std::shared_ptr<jet::QueryDef> TDAODataBase::FindQueryDef(const std::string& name) {
  CheckWorkspaceType(wtUseJet, "'FindQueryDef' Method");
  if (!Connected()) return nullptr;
  return CallEngine(this, "FindQueryDef", [&] { return database_->QueryDefs()->Item(std::string_view(name)); });
}

void TDAODataBase::BeginTrans() {
  if (!Connected()) return;
  CallEngine(this, "BeginTrans", [&] { database_->BeginTrans(); });
  ++depth_;
}

void TDAODataBase::CommitTrans(int options) {
  if (!Connected()) return;
  CallEngine(this, "CommitTrans", [&] { database_->CommitTrans(options); });
  if (depth_ > 0) --depth_;
}

void TDAODataBase::Rollback() {
  if (!Connected()) return;
  CallEngine(this, "Rollback", [&] { database_->Rollback(); });
  if (depth_ > 0) --depth_;
}

void TDAODataBase::Execute(const std::string& query, int options) {
  if (!Connected()) return;
  DAOWaitScope wait;
  CallEngine(this, "Execute", [&] { database_->Execute(query, options); });
}

namespace {
// An optional numeric argument: Empty leaves the engine's default (0).
int ArgumentOrDefault(const Variant& value) { return value.IsEmpty() ? 0 : value.ToInt32(); }
}  // namespace

std::shared_ptr<jet::Recordset> TDAODataBase::OpenRecordset(const std::string& name, const Variant& recordset_type,
                                                            const Variant& options, const Variant& lock_edit) {
  if (!Connected()) return nullptr;
  const int type = ArgumentOrDefault(recordset_type);
  const int option_bits = ArgumentOrDefault(options);
  const int lock = ArgumentOrDefault(lock_edit);
  DAOWaitScope wait;
  return CallEngine(this, "OpenRecordset", [&] { return database_->OpenRecordset(name, type, option_bits, lock); });
}

void TDAODataBase::Assign(const TComponent* source) {
  const auto* other = dynamic_cast<const TDAODataBase*>(source);
  if (other == nullptr) {
    TDAOObject::Assign(source);
    return;
  }
  if (other == this) return;
  if (Connected()) Disconnect();
  SetQueryTimeout(other->QueryTimeout());
  SetDatabaseFile(other->DatabaseFile());
  SetODBCDataSourceName(other->ODBCDataSourceName());
  SetDAOWorkspace(other->DAOWorkspace());
  SetReadOnly(other->ReadOnly());
  SetJetExclusive(other->JetExclusive());
  SetODBCOptions(other->ODBCOptions());
  SetJetConnectParams(other->JetConnectParams());
  SetODBCConnectParams(other->ODBCConnectParams());
  if (other->Connected()) SetConnected(true);
}

std::shared_ptr<jet::Properties> TDAODataBase::GetProperties() {
  if (!Connected()) return nullptr;
  return database_->Properties();
}

void TDAODataBase::AddRecordset(TDAORecordsetLink* link) {
  if (link == nullptr) return;
  if (std::find(recordsets_.begin(), recordsets_.end(), link) == recordsets_.end()) recordsets_.push_back(link);
}

void TDAODataBase::RemoveRecordset(TDAORecordsetLink* link) {
  recordsets_.erase(std::remove(recordsets_.begin(), recordsets_.end(), link), recordsets_.end());
}

void TDAODataBase::Loaded() {
  try {
    TDAOObject::Loaded();
    if (streamed_connected_) SetConnected(true);
    if (workspace_ != nullptr) workspace_->AddDatabase(this);
  } catch (const Exception&) {
    if (!IsDesigning()) throw;
    ShowErrorBox();
  }
}

const PropertyTable& TDAODataBase::ClassProperties() {
  static const PropertyTable table =
      PropertyTableBuilder<TDAODataBase>(TDAOObject::ClassProperties())
          .String("DesignMasterID", &TDAODataBase::DesignMasterID, [](TDAODataBase&, const std::string&) {})
          .Int16("QueryTimeout", &TDAODataBase::QueryTimeout, &TDAODataBase::SetQueryTimeout, 30)
          .String("DatabaseFile", &TDAODataBase::DatabaseFile, &TDAODataBase::SetDatabaseFile)
          .String("ODBCDataSourceName", &TDAODataBase::ODBCDataSourceName, &TDAODataBase::SetODBCDataSourceName)
          .Reference("DAOWorkspace", &TDAODataBase::DAOWorkspace, &TDAODataBase::SetDAOWorkspace)
          .Bool("ReadOnly", &TDAODataBase::ReadOnly, &TDAODataBase::SetReadOnly, false)
          .Bool("JetExclusive", &TDAODataBase::JetExclusive, &TDAODataBase::SetJetExclusive, false)
          .Enum("ODBCOptions", {"ooDriverComplete", "ooDriverNoPrompt", "ooDriverPrompt", "ooDriverCompleteRequired"},
                &TDAODataBase::ODBCOptions, &TDAODataBase::SetODBCOptions, ooDriverComplete)
          .String("JetConnectParams", &TDAODataBase::JetConnectParams, &TDAODataBase::SetJetConnectParams)
          .Scrambled()
          .String("ODBCConnectParams", &TDAODataBase::ODBCConnectParams, &TDAODataBase::SetODBCConnectParams)
          .Scrambled()
          .Bool("Connected", &TDAODataBase::Connected, &TDAODataBase::SetConnected, false)
          .String("JetVersion", &TDAODataBase::JetVersion, nullptr)
          .Integer("RecordsetCount", &TDAODataBase::RecordsetCount, nullptr)
          .String("JetDBPassword", &TDAODataBase::JetDBPassword, &TDAODataBase::SetJetDBPassword)
          .NotStored()
          .Build();
  return table;
}

}  // namespace qb
