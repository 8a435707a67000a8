// recordset/dao_recordset_sql: the statement as stored (normalised), the statement of a saved
// query read and written at once, the clause properties cut out of and put into the statement
// text, and TableName by recordset type with its streamed "table\rprocedure" form.
#include <array>

#include "core/resource_strings.h"
#include "engine/dao_database.h"
#include "engine/dao_errors.h"
#include "engine/text_scan.h"
#include "jet/dao/database.h"
#include "jet/dao/querydef.h"
#include "recordset/dao_base_recordset.h"

namespace qb {

namespace {

constexpr std::string_view kSeparators = " ,;()=\n\r\t";
constexpr std::string_view kWhiteSpace = " \n\r\t";
const char* const kSQLSubject = "SQL property";

enum Clause { kSelectedFields, kTableName, kFilter, kGroupBy, kHaving, kSortField };

struct ClauseRule {
  std::vector<std::string> start;
  std::vector<std::string> end;
  int words_dropped;  // 1: the keyword's first word only (DropFirstWord); 2: both words (DropWord)
  bool drop_first;    // DropFirstWord (keeps the separators after it) rather than DropWord
  std::string_view getter_trim;
  std::string prefix;
  std::string_view setter_separators;
};

const ClauseRule& Rule(int clause) {
  static const std::array<ClauseRule, 6> rules = {{
      {{"SELECT", "UPDATE", "INSERT", "DELETE"},
       {"FROM", "JOIN", "ON", "WHERE", "GROUP BY", "HAVING", "ORDER BY"},
       1, true, kWhiteSpace, "SELECT ", kSeparators},
      {{"FROM"}, {"JOIN", "ON", "WHERE", "GROUP BY", "HAVING", "ORDER BY"}, 1, true, kSeparators, "FROM ",
       kSeparators},
      {{"WHERE"}, {"GROUP BY", "HAVING", "ORDER BY"}, 1, true, kWhiteSpace, "WHERE ", kWhiteSpace},
      {{"GROUP BY"}, {"HAVING", "ORDER BY"}, 2, false, kSeparators, "GROUP BY ", kWhiteSpace},
      {{"HAVING"}, {"ORDER BY"}, 1, false, kSeparators, "HAVING ", kSeparators},
      {{"ORDER BY"}, {}, 2, false, kSeparators, "ORDER BY ", kSeparators},
  }};
  return rules[static_cast<size_t>(clause)];
}

// The statement as it is stored: trimmed, every ";" removed and one appended, and a PARAMETERS
// declaration ended by ";" in front of the statement it declares for.
std::string Normalised(const std::string& text) {
  std::string result = DeleteChars(TrimChars(text, kWhiteSpace), ";");
  if (result.empty()) return result;
  result += ';';
  int pos = 1;
  if (!FindKeyword(result, "PARAMETERS", pos, kSeparators, true, true)) return result;
  pos = 1;
  if (!FindFirstKeyword(result, kSeparators, {"SELECT", "INSERT", "DELETE", "UPDATE"}, pos, true)) return result;
  // From the keyword back to the separator in front of it, then over every separator to the
  // last character of the declarations.
  int at = pos - 1;  // 1-based position of the character before the keyword
  while (at >= 1 && kSeparators.find(result[static_cast<size_t>(at - 1)]) != std::string_view::npos) --at;
  if (at < 1) return result;
  result.insert(static_cast<size_t>(at), ";");
  return result;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
    start = end + 1;
  }
  return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

}  // namespace

// ------------------------------------------------------------------ the statement

std::string TDAOBaseRecordset::ReadStoredProcedureSQL() const {
  CheckWorkspaceType(wtUseJet, kSQLSubject);
  if (database_ == nullptr) return {};
  try {
    if (!database_->Connected()) database_->Open();
  } catch (const Exception&) {
    // Reading a statement never fails on a database that cannot be opened.
  }
  if (!database_->Connected()) return {};
  try {
    return database_->DatabaseObject()->QueryDefs()->Item(std::string_view(stored_procedure_name_))->SQL();
  } catch (const Exception&) {
    return {};
  }
}

void TDAOBaseRecordset::WriteStoredProcedureSQL(const std::string& text) {
  if (database_ == nullptr) return;
  CheckWorkspaceType(wtUseJet, kSQLSubject);
  try {
    if (!database_->Connected()) database_->Open();
  } catch (const Exception&) {
    // As reading: an unreachable database stores nothing.
  }
  if (!database_->Connected()) return;
  std::shared_ptr<jet::QueryDef> query;
  try {
    query = database_->DatabaseObject()->QueryDefs()->Item(std::string_view(stored_procedure_name_));
  } catch (const Exception&) {
    return;
  }
  try {
    query->SetSQL(text);
  } catch (const Exception& error) {
    RaiseDAOError(this, error.Message(), "SetSQL");
  }
}

const std::vector<std::string>& TDAOBaseRecordset::SQL() const {
  if (type_ != rtStoredProcedure || InState(csWriting)) return sql_;
  procedure_sql_.clear();
  procedure_sql_ = SplitLines(ReadStoredProcedureSQL());
  return procedure_sql_;
}

void TDAOBaseRecordset::SetSQL(const std::vector<std::string>& lines) { SetSQLText(JoinLines(lines)); }

std::string TDAOBaseRecordset::GetSQLText() const {
  if (type_ != rtStoredProcedure || InState(csWriting)) return JoinLines(sql_);
  return ReadStoredProcedureSQL();
}

void TDAOBaseRecordset::SetSQLText(const std::string& text) {
  const std::string statement = Normalised(text);
  if (IsLoading() || type_ != rtStoredProcedure) {
    sql_ = SplitLines(statement);
    if (!IsLoading() && sql_auto_compute_parameter_) {
      RecomputeParams();
      DataEvent(dePropertyChange);
    }
    return;
  }
  WriteStoredProcedureSQL(statement);
}

// ------------------------------------------------------------------ clauses

std::string TDAOBaseRecordset::ClauseOf(int clause) const {
  const ClauseRule& rule = Rule(clause);
  std::string text = ExtractClause(GetSQLText(), kSeparators, rule.start, rule.end, true);
  if (rule.drop_first) {
    text = DropFirstWord(text, kSeparators);
  } else {
    for (int i = 0; i < rule.words_dropped; ++i) text = DropWord(text, kSeparators);
  }
  return TrimChars(text, rule.getter_trim);
}

void TDAOBaseRecordset::SetClause(int clause, const std::string& value) {
  if (value == ClauseOf(clause)) return;
  const ClauseRule& rule = Rule(clause);
  const std::string text = value.empty() ? std::string() : rule.prefix + value + "\r";
  // A clause appended at the end must not run into the statement's last word: the statement
  // list's text ends with a line end, a saved query's SQL need not.
  std::string statement = GetSQLText();
  if (!statement.empty() && kWhiteSpace.find(statement.back()) == std::string_view::npos) statement += "\r\n";
  SetSQLText(ReplaceClause(statement, rule.setter_separators, text, rule.start, rule.end, true));
}

std::string TDAOBaseRecordset::SQLSelectedFields() const { return ClauseOf(kSelectedFields); }
void TDAOBaseRecordset::SetSQLSelectedFields(const std::string& value) { SetClause(kSelectedFields, value); }
std::string TDAOBaseRecordset::SQLFilter() const { return ClauseOf(kFilter); }
void TDAOBaseRecordset::SetSQLFilter(const std::string& value) { SetClause(kFilter, value); }
std::string TDAOBaseRecordset::SQLGroupBy() const { return ClauseOf(kGroupBy); }
void TDAOBaseRecordset::SetSQLGroupBy(const std::string& value) { SetClause(kGroupBy, value); }
std::string TDAOBaseRecordset::SQLHaving() const { return ClauseOf(kHaving); }
void TDAOBaseRecordset::SetSQLHaving(const std::string& value) { SetClause(kHaving, value); }
std::string TDAOBaseRecordset::SQLSortField() const { return ClauseOf(kSortField); }
void TDAOBaseRecordset::SetSQLSortField(const std::string& value) { SetClause(kSortField, value); }

// ------------------------------------------------------------------ TableName

std::string TDAOBaseRecordset::TableName() const {
  if (InState(csWriting)) return table_name_ + "\r" + stored_procedure_name_;
  switch (type_) {
    case rtTable: return table_name_;
    case rtStoredProcedure: return stored_procedure_name_;
    default: return ClauseOf(kTableName);
  }
}

void TDAOBaseRecordset::SetTableName(const std::string& name) {
  if (IsReading()) {
    int pos = 1;
    table_name_ = NextWord(name, pos, "\r", false);
    stored_procedure_name_ = NextWord(name, pos, "\r", false);
    return;
  }
  switch (type_) {
    case rtTable:
      if (Active()) RaiseDAOError(this, ResString(kResTableNameFixedTable), "SetTableName");
      table_name_ = name;
      break;
    case rtStoredProcedure:
      if (Active()) RaiseDAOError(this, ResString(kResTableNameFixedStoredProc), "SetTableName");
      stored_procedure_name_ = name;
      break;
    default: SetClause(kTableName, name);
  }
}

}  // namespace qb
