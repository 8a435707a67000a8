// controls/recordset_search: index lists, the sort clause and the nearest search over the
// recordset's engine object.
#include "controls/recordset_search.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "core/date_serial.h"
#include "core/format.h"
#include "core/resource_strings.h"
#include "engine/dao_database.h"
#include "engine/dao_errors.h"
#include "framework/data/field.h"
#include "jet/dao/index.h"
#include "jet/dao/tabledef.h"
#include "jet/recordset/recordset.h"
#include "recordset/dao_base_recordset.h"

namespace qb {

namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string Trim(const std::string& text, const char* set) {
  const size_t first = text.find_first_not_of(set);
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(set) - first + 1);
}

constexpr const char* kBlanks = " \t\r\n";
constexpr const char* kSeparators = " \t\r\n;";

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Where the keyword KEYWORD (upper case, whole words, any run of blanks between its words)
// starts in TEXT outside quotes and brackets, and where it ends; npos when absent. The last
// occurrence wins, so that a sub-query's ORDER BY does not count.
std::pair<size_t, size_t> FindKeyword(const std::string& text, const std::string& first, const std::string& second) {
  const std::string upper = Upper(text);
  std::pair<size_t, size_t> found{std::string::npos, std::string::npos};
  char quote = 0;
  int brackets = 0;
  for (size_t i = 0; i < upper.size(); ++i) {
    const char c = upper[i];
    if (quote) {
      if (c == quote) quote = 0;
      continue;
    }
    if (c == '\'' || c == '"') {
      quote = c;
      continue;
    }
    if (c == '[') ++brackets;
    if (c == ']' && brackets > 0) --brackets;
    if (brackets > 0 || upper.compare(i, first.size(), first) != 0) continue;
    if (i > 0 && IsWordChar(upper[i - 1])) continue;
    size_t at = i + first.size();
    if (!second.empty()) {
      const size_t gap = upper.find_first_not_of(kBlanks, at);
      if (gap == at || gap == std::string::npos || upper.compare(gap, second.size(), second) != 0) continue;
      at = gap + second.size();
    }
    if (at < upper.size() && IsWordChar(upper[at])) continue;
    found = {i, at};
  }
  return found;
}

std::string StatementTable(const TDAOBaseRecordset& recordset) {
  if (!recordset.TableName().empty()) return recordset.TableName();
  const std::string text = recordset.GetSQLText();
  const size_t from = FindKeyword(text, "FROM", "").second;
  if (from == std::string::npos) return {};
  const size_t start = text.find_first_not_of(kBlanks, from);
  if (start == std::string::npos) return {};
  if (text[start] == '[') {
    const size_t end = text.find(']', start);
    return end == std::string::npos ? std::string() : text.substr(start + 1, end - start - 1);
  }
  size_t end = start;
  while (end < text.size() && (IsWordChar(text[end]) || static_cast<unsigned char>(text[end]) >= 0x80)) ++end;
  return text.substr(start, end - start);
}

std::shared_ptr<jet::Indexes> IndexList(TDAOBaseRecordset& recordset) {
  try {
    if (recordset.WorkspaceType() != wtUseJet) return nullptr;
    if (recordset.RecordSetType() == rtTable) {
      const auto engine = recordset.RecordsetObject();
      return engine ? engine->Indexes() : nullptr;
    }
    TDAODataBase* database = recordset.DAODatabase();
    const std::string table = StatementTable(recordset);
    if (!database || table.empty()) return nullptr;
    if (!database->Connected()) database->Open();
    const auto tables = database->TableDefs();
    return tables ? tables->Item(std::string_view(table))->Indexes() : nullptr;
  } catch (const Exception&) {
    return nullptr;
  }
}

std::string PlainFields(const std::string& fields) {
  std::string text;
  for (char c : fields)
    if (c != '+' && c != '-') text += c;
  return Trim(text, kSeparators);
}

std::string Quoted(const std::string& text) {
  // A quote inside the value is doubled, so that the value can never end the literal early.
  std::string quoted = "'";
  for (char c : text) {
    quoted += c;
    if (c == '\'') quoted += '\'';
  }
  return quoted + "'";
}

std::string DateLiteral(double serial) {
  const DateTimeParts parts = DecodeDateTime(serial);
  char text[40];
  std::snprintf(text, sizeof text, "#%02d/%02d/%04d %02d:%02d:%02d#", parts.month, parts.day, parts.year, parts.hour,
                parts.minute, parts.second);
  return text;
}

}  // namespace

std::vector<std::string> TableIndexNames(TDAOBaseRecordset& recordset) {
  std::vector<std::string> names;
  const auto indexes = IndexList(recordset);
  if (!indexes) return names;
  try {
    for (int i = 0; i < indexes->Count(); ++i) names.push_back(indexes->Item(i)->Name());
  } catch (const Exception&) {
  }
  return names;
}

std::string IndexFieldsText(TDAOBaseRecordset& recordset, const std::string& name) {
  const auto indexes = IndexList(recordset);
  if (!indexes || name.empty()) return {};
  try {
    return PlainFields(indexes->Item(std::string_view(name))->Fields());
  } catch (const Exception&) {
    return {};
  }
}

namespace {
// The first index whose key is exactly FIELDS (without regard to case); empty when none.
std::string FindIndexName(TDAOBaseRecordset& recordset, const std::string& fields) {
  const auto indexes = IndexList(recordset);
  if (!indexes) return {};
  try {
    for (int i = 0; i < indexes->Count(); ++i) {
      const auto index = indexes->Item(i);
      if (Upper(PlainFields(index->Fields())) == Upper(fields)) return index->Name();
    }
  } catch (const Exception&) {
  }
  return {};
}
}  // namespace

bool HasOwnIndex(TDAOBaseRecordset& recordset, const TField& field) {
  return !FindIndexName(recordset, field.FieldName()).empty();
}

std::string StatementSortClause(const TDAOBaseRecordset& recordset) {
  const std::string text = recordset.GetSQLText();
  const size_t end = FindKeyword(text, "ORDER", "BY").second;
  return end == std::string::npos ? std::string() : Trim(text.substr(end), kSeparators);
}

void SetStatementSortClause(TDAOBaseRecordset& recordset, const std::string& fields) {
  std::string text = recordset.GetSQLText();
  const size_t start = FindKeyword(text, "ORDER", "BY").first;
  if (start != std::string::npos) text.erase(start);
  text = Trim(text, kSeparators);
  if (!fields.empty()) text += "\r\nORDER BY " + fields;
  recordset.SetSQLText(text + ";");
}

void ReexecuteStatement(TDAOBaseRecordset& recordset) {
  if (!recordset.Active() || recordset.RecordSetType() == rtTable) return;
  recordset.CheckBrowseMode();
  recordset.Close();
  recordset.Open();
}

std::string NearestCriterion(const TField& field, const Variant& value) {
  const std::string name = "[" + field.FieldName() + "]";
  switch (field.DataType()) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
    case ftMemo:
      return "(" + name + " LIKE " + Quoted(value.ToString() + "*") + ")";
    case ftDate:
    case ftTime:
    case ftDateTime:
      return "(" + name + " >= " + DateLiteral(value.ToDate()) + ")";
    default:
      return "(" + name + " >= " + value.ToString() + ")";
  }
}

bool LocateNearest(TDAOBaseRecordset& recordset, TField& field, const Variant& value) {
  const auto engine = recordset.RecordsetObject();
  if (!engine) return false;
  const TRecordSetTypes type = recordset.RecordSetType();
  if (type == rtUnidirectional || type == rtDynamic) RaiseDAOError(&recordset, ResString(kResLocateNotSupported), "Locate");
  recordset.CheckBrowseMode();
  if (type == rtTable) {
    const std::string& current = recordset.Index();
    if (current.empty() || Upper(IndexFieldsText(recordset, current)) != Upper(field.FieldName())) {
      const std::string index = FindIndexName(recordset, field.FieldName());
      if (index.empty())
        RaiseDAOError(&recordset, Format(ResString(kResNoIndexForFields), field.FieldName()), "Locate");
      recordset.SetIndex(index);
    }
  }
  // The record the cursor stands on, to go back to when nothing is found (a failed seek leaves
  // the engine without a current record).
  Variant kept;
  try {
    kept = recordset.GetCOMBookmark();
  } catch (const Exception&) {
  }
  bool found = false;
  CallEngine(&recordset, "Locate", [&] {
    if (type == rtTable)
      engine->Seek(">=", {value});
    else
      engine->FindFirst(NearestCriterion(field, value));
    found = !engine->NoMatch();
  });
  if (!found) {
    try {
      recordset.GotoCOMBookmark(kept);
    } catch (const Exception&) {
    }
    return false;
  }
  if (recordset.BeforeScroll) recordset.BeforeScroll(&recordset);
  recordset.Resync(rmExact | rmCenter);
  if (recordset.AfterScroll) recordset.AfterScroll(&recordset);
  return true;
}

}  // namespace qb
