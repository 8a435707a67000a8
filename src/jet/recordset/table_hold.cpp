// jet/recordset/table_hold: the registry is process-wide, keyed by the file's canonical path and
// the table name with its case folded. The engine is used by one thread at a time.
#include "jet/recordset/table_hold.h"

#include <filesystem>
#include <map>
#include <vector>

#include "jet/errors.h"
#include "jet/recordset/recordset_types.h"
#include "jet/unicode_text.h"

namespace qb::jet {
namespace {

std::multimap<std::string, const TableHoldRequest*>& Holds() {
  static std::multimap<std::string, const TableHoldRequest*> holds;
  return holds;
}

std::string KeyOf(const std::string& path, const std::string& table) {
  std::error_code error;
  std::filesystem::path canonical = std::filesystem::weakly_canonical(path, error);
  return (error ? path : canonical.string()) + '\x1f' + FoldCase(table);
}

bool Conflicts(const TableHoldRequest& held, const TableHoldRequest& wanted) {
  if (held.deny_read || wanted.deny_read) return true;
  if (held.deny_write && wanted.writes) return true;
  if (wanted.deny_write && held.writes) return true;
  return false;
}

}  // namespace

TableHold::TableHold(const std::string& path, const std::string& table, const TableHoldRequest& request)
    : key_(KeyOf(path, table)), request_(request) {
  auto [first, last] = Holds().equal_range(key_);
  for (auto it = first; it != last; ++it) {
    if (Conflicts(*it->second, request_)) {
      RaiseJetError(err::kTableLocked, "The table '" + table + "' is in use by another recordset that " +
                                           (it->second->deny_read    ? std::string("does not let others open it")
                                            : it->second->deny_write ? std::string("does not let others change it")
                                                                     : std::string("may change it")) +
                                           ".");
    }
  }
  Holds().emplace(key_, &request_);
}

TableHold::~TableHold() {
  auto [first, last] = Holds().equal_range(key_);
  for (auto it = first; it != last; ++it) {
    if (it->second == &request_) {
      Holds().erase(it);
      return;
    }
  }
}

}  // namespace qb::jet
