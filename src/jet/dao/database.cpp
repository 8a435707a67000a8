// jet/dao/database: the Database object's members over its connection: facts, properties, catalog
// snapshots, savepoint transactions and closing.
#include "jet/dao/database.h"

#include <optional>

#include "jet/base/errors.h"
#include "jet/base/unicode_text.h"
#include "jet/catalog/database_catalog.h"
#include "jet/dao/property.h"
#include "jet/odbc/data_source.h"
#include "jet/query/query_execution.h"
#include "jet/sqlite/connection.h"

namespace qb::jet {
namespace {

constexpr int kText = 10, kBoolean = 1, kInteger = 3, kLong = 4;

}  // namespace

Database::Database(std::shared_ptr<DatabaseFile> file) : file_(std::move(file)) {}

Database::Database(std::shared_ptr<odbc::DataSource> source) : source_(std::move(source)) {}

bool Database::IsOpen() const { return source_ ? source_->IsOpen() : file_->IsOpen(); }

Database::~Database() {
  if (!IsOpen()) return;
  try {
    Close();
  } catch (...) {
    // Closing cannot fail in a way the caller could act on from a destructor.
  }
}

Connection& Database::Open() const {
  if (source_) {
    RequireSourceOpen();
    RaiseJetError(err::kNotForThisObject, "This is an ODBC data source; that is for database files only.");
  }
  return file_->Open();
}

void Database::RequireSourceOpen() const {
  if (!source_) {
    Open();
  } else if (!source_->IsOpen()) {
    RaiseJetError(err::kObjectClosed, "The database has been closed.");
  }
}

const std::string& Database::Name() const {
  RequireSourceOpen();
  return source_ ? source_->Name() : file_->Name();
}

const std::string& Database::Connect() const {
  RequireSourceOpen();
  return source_ ? source_->Connect() : file_->Connect();
}

int Database::QueryTimeout() const {
  RequireSourceOpen();
  return query_timeout_;
}

void Database::SetQueryTimeout(int seconds) {
  RequireSourceOpen();
  if (seconds < 0 || seconds > 32767) RaiseJetError(err::kInvalidArgument, "A query timeout is 0 to 32767 seconds.");
  query_timeout_ = seconds;
}

std::string Database::Version() const {
  Open();
  return file_->Info().format_version;
}

std::string Database::DesignMasterID() const {
  Open();
  RaiseJetError(err::kNotForThisObject, "The database '" + file_->Name() + "' is not a replica, so it has no design master.");
}

int Database::CollatingOrder() const {
  Open();
  return file_->Info().sort_order;
}

bool Database::Updatable() const {
  RequireSourceOpen();
  return source_ ? !source_->ReadOnly() : !file_->ReadOnly();
}

bool Database::Transactions() const {
  RequireSourceOpen();
  return true;
}

int Database::RecordsAffected() const {
  RequireSourceOpen();
  return records_affected_;
}

Encryption Database::GetEncryption() const {
  Open();
  return file_->GetEncryption();
}

std::shared_ptr<jet::Properties> Database::Properties() {
  Open();
  std::weak_ptr<Database> self = weak_from_this();
  auto read = [self](auto get) {
    return [self, get]() -> Variant {
      auto database = self.lock();
      if (!database) RaiseJetError(err::kObjectClosed, "The database has been closed.");
      return get(*database);
    };
  };
  std::vector<std::shared_ptr<Property>> items = {
      std::make_shared<Property>("Name", kText, read([](Database& d) { return Variant(d.Name()); })),
      std::make_shared<Property>("Connect", kText, read([](Database& d) { return Variant(d.Connect()); })),
      std::make_shared<Property>("Transactions", kBoolean, read([](Database& d) { return Variant(d.Transactions()); })),
      std::make_shared<Property>("Updatable", kBoolean, read([](Database& d) { return Variant(d.Updatable()); })),
      std::make_shared<Property>("CollatingOrder", kLong, read([](Database& d) { return Variant(d.CollatingOrder()); })),
      std::make_shared<Property>(
          "QueryTimeout", kInteger, read([](Database& d) { return Variant(static_cast<std::int16_t>(d.QueryTimeout())); }),
          [self](const Variant& value) {
            auto database = self.lock();
            if (!database) RaiseJetError(err::kObjectClosed, "The database has been closed.");
            database->SetQueryTimeout(value.ToInt16());
          }),
      std::make_shared<Property>("Version", kText, read([](Database& d) { return Variant(d.Version()); })),
      std::make_shared<Property>("RecordsAffected", kLong, read([](Database& d) { return Variant(d.RecordsAffected()); })),
  };
  for (const StoredProperty& stored : ReadDatabaseProperties(Open())) {
    items.push_back(UserProperty(stored.name, stored.type));
  }
  return std::make_shared<jet::Properties>(std::move(items));
}

std::shared_ptr<Property> Database::UserProperty(const std::string& name, int type) {
  std::weak_ptr<Database> self = weak_from_this();
  auto locked = [self]() {
    auto database = self.lock();
    if (!database) RaiseJetError(err::kObjectClosed, "The database has been closed.");
    return database;
  };
  return std::make_shared<Property>(
      name, type,
      [locked, name]() -> Variant {
        auto database = locked();
        for (const StoredProperty& stored : ReadDatabaseProperties(database->Open())) {
          if (FoldCase(stored.name) == FoldCase(name)) return stored.value;
        }
        RaiseJetError(err::kPropertyNotFound, "The property '" + name + "' no longer exists.");
      },
      [locked, name, type](const Variant& value) {
        auto database = locked();
        UpdateDatabaseProperty(database->file_->EngineConnection(true), name, type, value);
      });
}

std::shared_ptr<Property> Database::CreateProperty(const std::string& name, int type, const Variant& value) {
  Connection& connection = Open();
  std::optional<std::size_t> length = CharacterCount(name);
  if (!length || *length == 0 || *length > 64) {
    RaiseJetError(err::kInvalidArgument, "A property name has 1 to 64 characters.");
  }
  if (!IsPropertyType(type)) {
    RaiseJetError(err::kInvalidArgument, "The data type " + std::to_string(type) + " is not one a property can have.");
  }
  std::shared_ptr<jet::Properties> existing = Properties();
  for (int i = 0; i < existing->Count(); ++i) {
    if (FoldCase(existing->Item(i)->Name()) == FoldCase(name)) {
      RaiseJetError(err::kDuplicateName, "The database already has a property named '" + name + "'.");
    }
  }
  if (file_->ReadOnly()) file_->RaiseReadOnly();
  InsertDatabaseProperty(connection, StoredProperty{name, type, value});
  return UserProperty(name, type);
}

std::shared_ptr<jet::TableDefs> Database::TableDefs() {
  Open();
  return std::make_shared<jet::TableDefs>(weak_from_this());
}

std::shared_ptr<jet::QueryDefs> Database::QueryDefs() {
  RequireSourceOpen();
  if (!query_defs_) {
    query_defs_ = std::make_shared<jet::QueryDefs>(weak_from_this());
  } else {
    query_defs_->Refresh();
  }
  return query_defs_;
}

std::shared_ptr<jet::Containers> Database::Containers() {
  Open();
  std::weak_ptr<Database> self = weak_from_this();
  return std::make_shared<jet::Containers>("Containers", [self]() {
    auto database = self.lock();
    if (!database) RaiseJetError(err::kObjectClosed, "The database has been closed.");
    Connection& connection = database->Open();
    auto documents = [](const std::string& container, std::vector<CatalogObject> rows) {
      auto shared_rows = std::make_shared<std::vector<CatalogObject>>(std::move(rows));
      return std::make_shared<jet::Documents>(container, [container, shared_rows]() {
        std::vector<std::shared_ptr<Document>> items;
        for (const CatalogObject& row : *shared_rows) items.push_back(std::make_shared<Document>(row, container));
        return items;
      });
    };
    std::vector<CatalogObject> tables = ListTables(connection);
    for (CatalogObject& query : ListQueries(connection)) tables.push_back(std::move(query));
    std::vector<std::shared_ptr<Container>> items = {
        std::make_shared<Container>("Databases", "admin", documents("Databases", {DatabaseObject(connection)})),
        std::make_shared<Container>("Tables", "admin", documents("Tables", std::move(tables))),
        std::make_shared<Container>("Relationships", "admin", documents("Relationships", ListRelationships(connection))),
    };
    return items;
  });
}

void Database::BeginTrans() {
  if (source_) return source_->BeginTrans();
  file_->BeginTrans();
}

void Database::CommitTrans(int commit_options) {
  if (source_) {
    RequireSourceOpen();
    if (commit_options != 0 && commit_options != 1) {
      RaiseJetError(err::kInvalidArgument, "The commit option " + std::to_string(commit_options) + " is not 0 or 1.");
    }
    return source_->CommitTrans();
  }
  Connection& connection = Open();
  if (commit_options != 0 && commit_options != 1) {
    RaiseJetError(err::kInvalidArgument, "The commit option " + std::to_string(commit_options) + " is not 0 or 1.");
  }
  if (file_->TransactionDepth() == 0) RaiseJetError(err::kNoTransaction, "There is no transaction to commit.");
  if (!connection.InTransaction()) {
    Rollback();  // what is left of it: this object's levels and what they kept
    RaiseJetError(err::kNoTransaction, "The transaction was rolled back when one of its statements failed (a full disk "
                                       "or a disk error): nothing of it was saved.");
  }
  file_->CommitTrans();
}

void Database::Rollback() {
  if (source_) return source_->Rollback();
  file_->Rollback();
  // Query objects go back to what the file holds: those stored inside the undone level close,
  // before a later query could be stored under the same id.
  if (query_defs_) query_defs_->Refresh();
}

int Database::TransactionDepth() const { return source_ ? source_->TransactionDepth() : file_->TransactionDepth(); }

void Database::Close() {
  if (source_) return source_->Close();
  file_->Close();
}

void Database::Execute(const std::string& sql, int options) {
  if (source_) {
    RequireSourceOpen();
    records_affected_ = 0;
    // Drivers may take the read-only access mode as a mere hint: the engine keeps the promise.
    if (source_->ReadOnly()) RaiseJetError(err::kReadOnly, "The data source was opened read-only.");
    const long long rows = source_->Execute(sql, query_timeout_);
    records_affected_ = rows > 0x7fffffffLL ? 0x7fffffff : static_cast<int>(rows);
    return;
  }
  Open();
  records_affected_ = 0;
  records_affected_ = ExecuteStatement(*file_, sql, {}, options, nullptr);
}

void Database::TEST_ExecuteSql(std::string_view sql) { Open().Exec(sql); }

}  // namespace qb::jet
