// recordset/dao_recordset_parameters: the parameter list computed from the statement's ":name"
// placeholders, values taken from the master, the statement prepared with every value written
// as a literal, the parameters of a saved query: bound from the master, checked, and asked
// for through the installed parameter dialog, and a statement's temporary query asked so too.
#include <utility>

#include "core/format.h"
#include "core/resource_strings.h"
#include "engine/dao_database.h"
#include "engine/dao_errors.h"
#include "engine/dao_message_box.h"
#include "engine/text_scan.h"
#include "framework/data/data_source.h"
#include "framework/data/field.h"
#include "jet/dao/database.h"
#include "jet/dao/querydef.h"
#include "recordset/dao_recordset.h"
#include "recordset/sql_literals.h"
#include "recordset/sql_parameter_hook.h"

namespace qb {

namespace {

constexpr std::string_view kSeparators = " ,;()=\n\r\t";

bool IsSeparator(char c) { return kSeparators.find(c) != std::string_view::npos; }

// The position of the placeholder ":NAME" in TEXT at or after FROM, standing as a word of its
// own (a separator or the text's edge on both sides); npos when there is none.
size_t FindPlaceholder(const std::string& text, const std::string& name, size_t from) {
  const std::string placeholder = ":" + name;
  for (size_t at = text.find(placeholder, from); at != std::string::npos; at = text.find(placeholder, at + 1)) {
    const size_t end = at + placeholder.size();
    const bool starts_word = at == 0 || IsSeparator(text[at - 1]);
    const bool ends_word = end == text.size() || IsSeparator(text[end]);
    if (starts_word && ends_word) return at;
  }
  return std::string::npos;
}

bool EveryParameterHasAValue(jet::QueryDef& query) {
  std::shared_ptr<jet::Parameters> parameters = query.Parameters();
  for (int i = 0; i < parameters->Count(); ++i) {
    const Variant value = parameters->Item(i)->Value();
    if (value.IsNull() || value.IsEmpty()) return false;
  }
  return true;
}

}  // namespace

void TDAOBaseRecordset::SetSQLAutoComputeParameter(bool value) {
  const bool switched_on = value && !sql_auto_compute_parameter_;
  sql_auto_compute_parameter_ = value;
  if (switched_on && !IsLoading() && type_ != rtStoredProcedure) RecomputeParams();
}

void TDAOBaseRecordset::SetSQLParameter(const TParams& source) { parameters_->AssignValues(source); }

void TDAOBaseRecordset::RecomputeParams() {
  auto fresh = std::make_unique<TParams>();
  const std::string text = GetSQLText();
  const int size = static_cast<int>(text.size());
  int pos = 1;
  while (pos <= size) {
    const std::string word = NextWord(text, pos, kSeparators, true);
    if (word.size() > 1 && word[0] == ':') fresh->CreateParam(ftUnknown, word.substr(1), ptUnknown);
  }
  for (int i = 0; i < parameters_->Count(); ++i) {
    const TParam& old = (*parameters_)[i];
    if (TParam* kept = fresh->FindParam(old.Name())) kept->Assign(old);
  }
  parameters_ = std::move(fresh);
}

void TDAOBaseRecordset::GetLinkedParameterValues() {
  const char* method = "GetLinkedParameterValues";
  TDataSource* source = MasterSource();
  if (source == nullptr) return;
  TDataSet* master = source->DataSet();
  if (master == nullptr) RaiseDAOError(this, Format(ResString(kResMasterSourceWithoutDataSet), source->Name()), method);
  if (!master->Active()) RaiseDAOError(this, Format(ResString(kResMasterRecordsetClosed), master->Name()), method);
  for (int i = 0; i < parameters_->Count(); ++i) {
    TParam& param = (*parameters_)[i];
    if (param.Bound()) continue;
    TField* field = master->FindField(param.Name());
    if (field == nullptr) {
      RaiseDAOError(this, Format(ResString(kResUnboundFieldNotFound), param.Name(), master->Name(), source->Name()),
                    method);
    }
    if (param.DataType() == ftUnknown) param.SetDataType(field->DataType());
    param.SetValue(field->AsVariant());
    param.SetBound(false);  // taken anew from the master at every preparation
  }
}

std::string TDAOBaseRecordset::GetPreparedSQLStatement() {
  GetLinkedParameterValues();
  std::string text = GetSQLText();
  // The parameters stand in the order their placeholders appear, so each is searched after
  // the literal written for the one before: a value can never be taken for a placeholder.
  size_t from = 0;
  for (int i = 0; i < parameters_->Count(); ++i) {
    const TParam& param = (*parameters_)[i];
    if (param.DataType() == ftUnknown) {
      RaiseDAOError(this, Format(ResString(kResParamUnknownDataType), param.Name()), "GetPreparedSQLStatement");
    }
    const size_t at = FindPlaceholder(text, param.Name(), from);
    if (at == std::string::npos) continue;
    const std::string literal = SqlLiteral(param.DataType(), param.Value());
    text.replace(at, param.Name().size() + 1, literal);
    from = at + literal.size();
  }
  return text;
}

// ------------------------------------------------------------------ saved query parameters

std::shared_ptr<jet::Parameters> TDAOBaseRecordset::GetStoredProcParameters() {
  const char* method = "GetStoredProcParameters";
  if (database_ == nullptr) RaiseDAOError(this, ResString(kResStoredProcNeedsDatabase), method);
  if (stored_procedure_name_.empty()) RaiseDAOError(this, ResString(kResStoredProcNameEmpty), method);
  if (!database_->Connected()) database_->Open();
  if (!database_->Connected()) {
    RaiseDAOError(this, Format(ResString(kResStoredProcDatabaseNotOpen), database_->Name()), method);
  }
  std::shared_ptr<jet::QueryDefs> queries;
  try {
    queries = database_->DatabaseObject()->QueryDefs();
  } catch (const Exception&) {
    queries.reset();
  }
  if (!queries) RaiseDAOError(this, Format(ResString(kResStoredProcDefsUnreadable), database_->Name()), method);
  try {
    return queries->Item(std::string_view(stored_procedure_name_))->Parameters();
  } catch (const Exception& error) {
    RaiseDAOError(this, error.Message(), "ExecuteStoredProcedure");
  }
}

void TDAOBaseRecordset::BindStoredProcParams(jet::QueryDef& query) {
  if (type_ != rtStoredProcedure) return;
  TDataSource* source = MasterSource();
  TDataSet* master = source != nullptr ? source->DataSet() : nullptr;
  if (master == nullptr || !master->Active()) return;
  try {
    std::shared_ptr<jet::Parameters> parameters = query.Parameters();
    for (int i = 0; i < parameters->Count(); ++i) {
      std::shared_ptr<jet::Parameter> parameter = parameters->Item(i);
      if (TField* field = master->FindField(parameter->Name())) parameter->SetValue(field->AsVariant());
    }
  } catch (const Exception& error) {
    RaiseDAOError(this, error.Message(), "BindStoredProcParams");
  }
}

bool TDAOBaseRecordset::CheckStoredProcParamValues(bool quiet) {
  if (WorkspaceType() != wtUseJet || type_ != rtStoredProcedure) return true;
  std::shared_ptr<jet::Parameters> parameters = GetStoredProcParameters();
  for (int i = 0; i < parameters->Count(); ++i) {
    std::shared_ptr<jet::Parameter> parameter = parameters->Item(i);
    const Variant value = parameter->Value();
    if (!value.IsNull() && !value.IsEmpty()) continue;
    if (!quiet) {
      ShowMessageBox(Format(ResString(kResStoredProcParamWithoutValue), parameter->Name(), stored_procedure_name_, Name()),
                     mcInformation, 0);
    }
    return false;
  }
  return true;
}

// ------------------------------------------------------------------ a statement's temporary query

void TDAOBaseRecordset::SetStatementQuery(std::shared_ptr<jet::QueryDef> query) {
  if (query == statement_query_) return;
  CheckRSInactive("StatementQuery");
  statement_query_ = std::move(query);
}

bool TDAOBaseRecordset::AskParameterValues(jet::QueryDef& query) {
  const char* method = "AskParameterValues";
  if (CallEngine(this, method, [&] { return EveryParameterHasAValue(query); })) return true;
  // The dialog reaches the query through ParameterQuery() only while it asks.
  struct Asking {
    std::shared_ptr<jet::QueryDef>& slot;
    std::shared_ptr<jet::QueryDef> before;
    ~Asking() { slot = std::move(before); }
  } asking{parameter_query_, std::exchange(parameter_query_, query.shared_from_this())};
  EditStoredProcParams(query);
  return CallEngine(this, method, [&] { return EveryParameterHasAValue(query); });
}

void TDAORecordset::EditStoredProcParams(jet::QueryDef&) { CallEditSQLParametersHook(*this); }

}  // namespace qb
