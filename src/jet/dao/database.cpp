// jet/dao/database: the Database object's members over its connection: facts, properties, catalog
// snapshots, savepoint transactions and closing.
#include "jet/dao/database.h"

#include <optional>

#include "jet/catalog/catalog_query_schema.h"
#include "jet/catalog/currency_storage.h"
#include "jet/base/errors.h"
#include "jet/locks/lock_file.h"
#include "jet/dao/property.h"
#include "jet/sql/translate/translation_cache.h"
#include "jet/sqlite/connection.h"
#include "jet/sqlite/statement_cache.h"
#include "jet/storage/text_collation.h"
#include "jet/locks/transaction_locks.h"
#include "jet/base/unicode_text.h"

namespace qb::jet {
namespace {

constexpr int kMaxDepth = 5;
constexpr int kText = 10, kBoolean = 1, kInteger = 3, kLong = 4;

std::string SavepointName(int level) { return "qb_tx" + std::to_string(level); }

// A write on a read-only open: asked for by the caller, forced by a file that cannot be written
// (the connection says why) or by Currency amounts not converted yet (INFO says so).
[[noreturn]] void RaiseReadOnly(const Connection& connection, const std::string& name, const CatalogInfo& info) {
  if (connection.GetWriteBarrier() != WriteBarrier::kNone) connection.RaiseWriteBarrier();
  if (!info.exact_currency) {
    RaiseJetError(err::kReadOnly, "The database '" + name + "' cannot be changed: " + UnconvertedCurrencyAdvice() + ".");
  }
  RaiseJetError(err::kReadOnly, "The database '" + name + "' is open read-only.");
}

}  // namespace

Database::Database(std::string name, std::string connect, bool read_only, std::unique_ptr<Connection> connection,
                   std::unique_ptr<LockFileHold> hold, CatalogInfo info, Encryption encryption)
    : name_(std::move(name)),
      connect_(std::move(connect)),
      read_only_(read_only),
      info_(std::move(info)),
      encryption_(encryption),
      hold_(std::move(hold)),
      connection_(std::move(connection)),
      record_locks_(std::make_unique<TransactionLocks>()) {}

Database::~Database() {
  if (!IsOpen()) return;
  try {
    Close();
  } catch (...) {
    // Closing cannot fail in a way the caller could act on from a destructor.
  }
}

Connection& Database::Open() const {
  if (!connection_) RaiseJetError(err::kObjectClosed, "The database '" + name_ + "' has been closed.");
  return *connection_;
}

const std::string& Database::Name() const {
  Open();
  return name_;
}

const std::string& Database::Connect() const {
  Open();
  return connect_;
}

int Database::QueryTimeout() const {
  Open();
  return query_timeout_;
}

void Database::SetQueryTimeout(int seconds) {
  Open();
  if (seconds < 0 || seconds > 32767) RaiseJetError(err::kInvalidArgument, "A query timeout is 0 to 32767 seconds.");
  query_timeout_ = seconds;
}

std::string Database::Version() const {
  Open();
  return info_.format_version;
}

std::string Database::DesignMasterID() const {
  Open();
  RaiseJetError(err::kNotForThisObject, "The database '" + name_ + "' is not a replica, so it has no design master.");
}

int Database::CollatingOrder() const {
  Open();
  return info_.sort_order;
}

bool Database::Updatable() const {
  Open();
  return !read_only_;
}

bool Database::Transactions() const {
  Open();
  return true;
}

int Database::RecordsAffected() const {
  Open();
  return records_affected_;
}

Encryption Database::GetEncryption() const {
  Open();
  return encryption_;
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
  for (const StoredProperty& stored : ReadDatabaseProperties(*connection_)) {
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
        Connection& connection = database->Open();
        if (database->read_only_) RaiseReadOnly(connection, database->name_, database->info_);
        UpdateDatabaseProperty(connection, name, type, value);
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
  if (read_only_) RaiseReadOnly(connection, name_, info_);
  InsertDatabaseProperty(connection, StoredProperty{name, type, value});
  return UserProperty(name, type);
}

std::shared_ptr<jet::TableDefs> Database::TableDefs() {
  Open();
  return std::make_shared<jet::TableDefs>(weak_from_this());
}

std::shared_ptr<jet::QueryDefs> Database::QueryDefs() {
  Open();
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
  Connection& connection = Open();
  if (depth_ >= kMaxDepth) {
    RaiseJetError(err::kTransactionsTooDeep, "Transactions cannot be nested more than 5 levels deep.");
  }
  if (depth_ == 0) {
    // The outermost level begins as a write: it takes the file's write lock now (waiting for
    // another user's transaction as the busy timeout says), so that what it reads stays what
    // it later writes over. A read-only open never writes, so it holds no one up.
    connection.Exec(read_only_ ? "BEGIN" : "BEGIN IMMEDIATE");
  } else {
    connection.Exec("SAVEPOINT " + SavepointName(depth_ + 1));
  }
  ++depth_;
}

void Database::CommitTrans(int commit_options) {
  Connection& connection = Open();
  if (commit_options != 0 && commit_options != 1) {
    RaiseJetError(err::kInvalidArgument, "The commit option " + std::to_string(commit_options) + " is not 0 or 1.");
  }
  if (depth_ == 0) RaiseJetError(err::kNoTransaction, "There is no transaction to commit.");
  if (!connection.InTransaction()) {
    Rollback();  // what is left of it: this object's levels and what they kept
    RaiseJetError(err::kNoTransaction, "The transaction was rolled back when one of its statements failed (a full disk "
                                       "or a disk error): nothing of it was saved.");
  }
  connection.Exec(depth_ == 1 ? std::string("COMMIT") : "RELEASE SAVEPOINT " + SavepointName(depth_));
  --depth_;
  if (depth_ == 0) record_locks_->Clear();
}

void Database::Rollback() {
  Connection& connection = Open();
  if (depth_ == 0) RaiseJetError(err::kNoTransaction, "There is no transaction to roll back.");
  if (!connection.InTransaction()) {
    depth_ = 0;  // a failed statement made SQLite undo every level already
  } else {
    const std::string savepoint = SavepointName(depth_);
    connection.Exec(depth_ == 1 ? "ROLLBACK" : "ROLLBACK TO SAVEPOINT " + savepoint + "; RELEASE SAVEPOINT " + savepoint);
    --depth_;
  }
  if (depth_ == 0) record_locks_->Clear();
  if (translations_) translations_->Clear();
  if (query_schema_) query_schema_->Forget();
  // Query objects go back to what the file holds: those stored inside the undone level close,
  // before a later query could be stored under the same id.
  if (query_defs_) query_defs_->Refresh();
}

int Database::TransactionDepth() const {
  Open();
  return depth_;
}

void Database::Close() {
  Open();
  if (depth_ > 0) {
    try {
      connection_->Exec("ROLLBACK");
    } catch (...) {
      // Closing the connection rolls back whatever is still open.
    }
    depth_ = 0;
  }
  record_locks_->Clear();
  statements_.reset();
  translations_.reset();
  query_schema_.reset();
  connection_.reset();
  hold_.reset();
}

std::shared_ptr<LockRanges> Database::LockFileRanges() const {
  Open();
  return hold_ ? hold_->Ranges() : nullptr;
}

TransactionLocks& Database::KeptRecordLocks() {
  Open();
  return *record_locks_;
}

Connection& Database::EngineConnection(bool writing) {
  Connection& connection = Open();
  if (writing && read_only_) RaiseReadOnly(connection, name_, info_);
  return connection;
}

std::shared_ptr<const sql::TranslatedQuery> Database::Translate(std::string_view jet_sql) {
  Connection& connection = Open();
  if (!query_schema_) query_schema_ = std::make_unique<CatalogQuerySchema>(connection);
  if (!translations_) translations_ = std::make_unique<sql::TranslationCache>();
  sql::QueryTranslateOptions options;
  options.text_collation = kTextCollationName;
  options.currency_amounts = !info_.exact_currency;
  return translations_->Get(jet_sql, *query_schema_, options);
}

std::shared_ptr<const sql::TranslatedQuery> Database::TranslateCrosstab(std::string_view jet_sql,
                                                                        const std::vector<Variant>& pivot_values) {
  Connection& connection = Open();
  if (!query_schema_) query_schema_ = std::make_unique<CatalogQuerySchema>(connection);
  sql::QueryTranslateOptions options;
  options.text_collation = kTextCollationName;
  options.currency_amounts = !info_.exact_currency;
  return std::make_shared<const sql::TranslatedQuery>(
      sql::TranslateCrosstab(jet_sql, *query_schema_, pivot_values, options));
}

StatementCache& Database::Statements() {
  Connection& connection = Open();
  if (!statements_) statements_ = std::make_unique<StatementCache>(connection);
  return *statements_;
}

void Database::TEST_ExecuteSql(std::string_view sql) { Open().Exec(sql); }

}  // namespace qb::jet
