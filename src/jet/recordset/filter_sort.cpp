// jet/recordset/filter_sort: Filter and Sort, and OpenRecordset from a recordset: its source opened
// again as a statement, narrowed by the filter and ordered by the sort. The source is named (a
// table or saved query) or wrapped (a statement, as a derived table), so the filter and sort
// speak of the recordset's own field names, and rows still drawn from one table stay keyed by it.
#include <cctype>

#include "jet/base/errors.h"
#include "jet/query/database_file.h"
#include "jet/recordset/recordset.h"
#include "jet/recordset/recordset_open.h"
#include "jet/recordset/recordset_state.h"

namespace qb::jet {
namespace {

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t\r\n;");
  return last == std::string::npos || last < first ? std::string() : text.substr(first, last - first + 1);
}

// The statement the next recordset reads: SOURCE (a name or a statement) narrowed and ordered.
// A statement's PARAMETERS declaration stays in front, declaring the same parameters in order.
std::string FilteredStatement(const std::string& source, const std::string& filter, const std::string& sort) {
  std::string declarations, from;
  if (LooksLikeStatement(source)) {
    std::string statement = Trimmed(source);
    std::string head = statement.substr(0, 10);
    for (char& c : head) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const std::size_t end = statement.find(';');
    if (head == "PARAMETERS" && end != std::string::npos) {
      declarations = statement.substr(0, end + 1) + " ";
      statement = Trimmed(statement.substr(end + 1));
    }
    from = "(" + statement + ") AS [Source]";
  } else {
    from = "[" + source + "]";
  }
  std::string text = declarations + "SELECT * FROM " + from;
  if (!filter.empty()) text += " WHERE (" + filter + ")";
  if (!sort.empty()) text += " ORDER BY " + sort;
  return text;
}

}  // namespace

std::string Recordset::Filter() const {
  const RecordsetState& s = State();
  if (s.IsTable()) RaiseNotForThisKind("Filter");
  return s.filter;
}

void Recordset::SetFilter(const std::string& filter) {
  RecordsetState& s = State();
  if (s.IsTable()) RaiseNotForThisKind("Filter");
  s.filter = Trimmed(filter);
}

std::string Recordset::Sort() const {
  const RecordsetState& s = State();
  if (s.IsTable() || s.type == kOpenForwardOnly) RaiseNotForThisKind("Sort");
  return s.sort;
}

void Recordset::SetSort(const std::string& sort) {
  RecordsetState& s = State();
  if (s.IsTable() || s.type == kOpenForwardOnly) RaiseNotForThisKind("Sort");
  s.sort = Trimmed(sort);
}

std::shared_ptr<Recordset> Recordset::OpenRecordset(int type, int options) {
  RecordsetState& s = State();
  s.Open();
  auto database = s.database.lock();
  if (!database) RaiseJetError(err::kObjectClosed, "The recordset's database is closed.");
  if (type == 0) type = s.type;
  // Such rows are on the data source's cursor, not in the local table the recordset names.
  if (s.mirror && s.mirror->Positioned()) {
    RaiseJetError(err::kInvalidOperation,
                  "A recordset on the server's cursor cannot open another; open it on the data source instead.");
  }
  const bool shaped = !s.filter.empty() || !s.sort.empty();
  if (type == kOpenTable && (!s.IsTable() || shaped)) {
    RaiseJetError(err::kInvalidOperation, "Only a table-type recordset without Filter and Sort opens a table-type recordset.");
  }
  const std::string source = shaped ? FilteredStatement(s.plan.name, s.filter, s.sort) : s.plan.name;
  return OpenRecordsetOn(database, source, type, options, 0, s.plan.parameters, s.plan.max_records);
}

}  // namespace qb::jet
