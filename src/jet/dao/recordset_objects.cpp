// jet/dao/recordset_objects: the object model's side of recordsets: OpenRecordset of Database,
// TableDef and QueryDef, and the Recordset members that hand out or take object-model objects
// (Properties, Requery with a QueryDef). The recordsets themselves live in recordset/.
#include "jet/base/errors.h"
#include "jet/base/jet_types.h"
#include "jet/dao/database.h"
#include "jet/dao/property.h"
#include "jet/dao/querydef.h"
#include "jet/dao/tabledef.h"
#include "jet/odbc/source_recordset.h"
#include "jet/recordset/recordset.h"
#include "jet/recordset/recordset_open.h"
#include "jet/recordset/recordset_state.h"

namespace qb::jet {
namespace {

namespace t = sql::dao_type;

}  // namespace

std::shared_ptr<Recordset> Database::OpenRecordset(const std::string& source, int type, int options, int lock_type) {
  if (source_) {
    RequireSourceOpen();
    return odbc::OpenSourceRecordset(source_, source, type, options, lock_type, {}, query_timeout_);
  }
  // A table-type recordset's Indexes are its table's, as this database's TableDefs read them.
  std::weak_ptr<Database> self = weak_from_this();
  auto indexes = [self](const std::string& table) {
    auto database = self.lock();
    if (!database) RaiseJetError(err::kObjectClosed, "The database has been closed.");
    return database->TableDefs()->Item(std::string_view(table))->Indexes();
  };
  return OpenRecordsetOn(file_, source, type, options, lock_type, {}, 0, indexes);
}

std::shared_ptr<Recordset> TableDef::OpenRecordset(int type, int options, int lock_type) {
  auto database = database_.lock();
  if (!stored_ || !database) {
    RaiseJetError(err::kInvalidOperation, "Only a table stored in a database can be opened as a recordset.");
  }
  return database->OpenRecordset(Name(), type == 0 ? kOpenTable : type, options, lock_type);
}

std::shared_ptr<Recordset> QueryDef::OpenRecordset(int type, int options, int lock_type) {
  auto database = OwnerDatabase();
  if (OnSource()) {
    auto recordset = odbc::OpenSourceRecordset(database->Source(), SQL(), type, options, lock_type, ParameterValues(),
                                               database->QueryTimeout(), MaxRecords());
    if (IsStored() || !Name().empty()) recordset->NameAs(Name());
    return recordset;
  }
  auto recordset = OpenRecordsetOn(database->File(), SQL(), type == 0 ? kOpenDynaset : type, options, lock_type,
                                   ParameterValues(), MaxRecords());
  recordset->NameAs(IsStored() ? Name() : SQL());
  return recordset;
}

void Recordset::Requery(const std::shared_ptr<QueryDef>& new_query) {
  RecordsetState& s = State();
  if (!new_query) {
    Requery();
    return;
  }
  RequeryRows(s, new_query->ParameterValues(), new_query->MaxRecords());
}

std::shared_ptr<jet::Properties> Recordset::Properties() {
  State();
  std::weak_ptr<Recordset> self = weak_from_this();
  auto open = [self]() {
    auto rs = self.lock();
    if (!rs || !rs->IsOpen()) RaiseJetError(err::kObjectClosed, "The recordset is closed.");
    return rs;
  };
  std::vector<std::shared_ptr<Property>> items;
  auto add = [&](const char* name, int type, Property::Getter get, Property::Setter set = {}) {
    items.push_back(std::make_shared<Property>(name, type, std::move(get), std::move(set)));
  };
  add("Name", t::kText, [open] { return Variant(open()->Name()); });
  add("Type", t::kInteger, [open] { return Variant(static_cast<std::int16_t>(open()->Type())); });
  add("Updatable", t::kBoolean, [open] { return Variant(open()->Updatable()); });
  add("Restartable", t::kBoolean, [open] { return Variant(open()->Restartable()); });
  add("Bookmarkable", t::kBoolean, [open] { return Variant(open()->Bookmarkable()); });
  add("BOF", t::kBoolean, [open] { return Variant(open()->Bof()); });
  add("EOF", t::kBoolean, [open] { return Variant(open()->Eof()); });
  add("Bookmark", t::kBinary, [open] { return open()->Bookmark(); },
      [open](const Variant& value) { open()->SetBookmark(value); });
  add("LastModified", t::kBinary, [open] { return open()->LastModified(); });
  add("RecordCount", t::kLong, [open] { return Variant(static_cast<int>(open()->RecordCount())); });
  add("EditMode", t::kInteger, [open] { return Variant(static_cast<std::int16_t>(open()->EditMode())); });
  add("LockEdits", t::kBoolean, [open] { return Variant(open()->LockEdits()); },
      [open](const Variant& value) { open()->SetLockEdits(value.ToBool()); });
  add("NoMatch", t::kBoolean, [open] { return Variant(open()->NoMatch()); });
  add("CacheSize", t::kLong, [open] { return Variant(open()->CacheSize()); },
      [open](const Variant& value) { open()->SetCacheSize(value.ToInt32()); });
  if (Type() == kOpenDynaset) {
    add("CacheStart", t::kBinary, [open] { return open()->CacheStart(); },
        [open](const Variant& value) { open()->SetCacheStart(value); });
  }
  return std::make_shared<jet::Properties>(std::move(items));
}

}  // namespace qb::jet
