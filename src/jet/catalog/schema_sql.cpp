// jet/catalog/schema_sql: Jet field definitions written as SQLite column definitions, checks, indexes and
// triggers. Expressions (defaults, rules) go through the Jet SQL parser and translator.
#include "jet/catalog/schema_sql.h"

#include <charconv>
#include <optional>

#include "com/ole_exception.h"
#include "jet/base/errors.h"
#include "jet/sql/functions/field_conversion.h"
#include "jet/base/jet_types.h"
#include "jet/sql/functions/currency_sql.h"
#include "jet/sql/parse/parser.h"
#include "jet/sql/translate/translator.h"
#include "jet/storage/text_collation.h"
#include "jet/base/unicode_text.h"

namespace qb::jet {
namespace {

// Resolves names of a rule to the table's columns; ONLY (when set) is the one field a field's
// own rule may name.
class ColumnResolver : public sql::NameResolver {
 public:
  ColumnResolver(const TableModel& table, const FieldModel* only) : table_(table), only_(only) {}
  sql::TranslatedExpr Resolve(const sql::ParsedName& name) const override {
    const std::string& last = name.parts.back();
    const FieldModel* field = table_.FindField(last);
    const bool qualified_ok = name.parts.size() == 1 ||
                              (name.parts.size() == 2 && FoldCase(name.parts[0]) == FoldCase(table_.name));
    if (!field || !qualified_ok || (only_ && field != only_)) {
      RaiseJetError(err::kNameNotRecognised, only_ ? "The validation rule of '" + only_->name + "' may name only that field, not '" +
                                          last + "'."
                                    : "'" + last + "' is not a field of '" + table_.name + "'.");
    }
    sql::TranslatedExpr expr;
    expr.sql = QuoteName(field->name);
    expr.type = sql::KindOfDaoType(field->type);
    expr.dao_type = field->type;
    return expr;
  }

 private:
  const TableModel& table_;
  const FieldModel* only_;
};

class NoNames : public sql::NameResolver {
 public:
  sql::TranslatedExpr Resolve(const sql::ParsedName& name) const override {
    RaiseJetError(err::kNameNotRecognised, "A default value cannot name '" + name.parts.back() + "'; it must be a constant expression.");
  }
};

std::string Named(int number, const std::string& message, const std::string& check) {
  return "CONSTRAINT " + QuoteName("jet:" + std::to_string(number) + ":" + message) + " CHECK (" + check + ")";
}

// A field's rule as a condition. Jet writes field rules without the field ("> 0", "Like 'A*'",
// "Like 'x*' Or Like 'f*'"): each comparison that lacks its left operand compares the field.
std::string FieldRuleSql(const TableModel& table, const FieldModel& field) {
  sql::ParsedExprPtr parsed = sql::ParseFieldRule(field.validation_rule, field.name);
  ColumnResolver resolver(table, &field);
  sql::TranslateOptions options;
  options.resolver = &resolver;
  return sql::TranslateCondition(*parsed, options);
}

// The SQLite storage classes a field's check lets through: those its column's affinity turns
// into the one class the field holds (an integer given a REAL column is stored as a real, a
// number given a TEXT column as text). Checks see a value before the affinity converts it, so
// text that merely looks like a number never gets into a number or date field, whatever writes
// (a statement, a recordset, SQL run through the engine).
std::string StorageCheck(const FieldModel& field, const char* storage_classes, const std::string& what) {
  const std::string c = QuoteName(field.name);
  return " " + Named(err::kConversion, "The field '" + field.name + "' holds " + what + " only.",
                     c + " IS NULL OR typeof(" + c + ") IN (" + storage_classes + ")");
}

// A Currency field holds the INTEGER of ten-thousandths (translator.h): its writers convert
// and range-check every value (jet_store, jet_tocur), so anything else is refused.
std::string CurrencyCheck(const FieldModel& field) {
  const std::string c = QuoteName(field.name);
  return " " + Named(err::kConversion, "The field '" + field.name + "' holds Currency amounts only.",
                     c + " IS NULL OR typeof(" + c + ") = 'integer'");
}

std::string TypeChecks(const FieldModel& field) {
  const std::string c = QuoteName(field.name);
  const std::string& n = field.name;
  auto range = [&](const char* low, const char* high, const char* what) {
    return StorageCheck(field, "'integer'", "whole numbers") + " " +
           Named(err::kNumericOverflow, "The value does not fit the field '" + n + "' (" + what + ").",
                 c + " IS NULL OR " + c + " BETWEEN " + low + " AND " + high);
  };
  if (field.type == 5) return CurrencyCheck(field);
  switch (field.type) {
    case 1:
      return " " + Named(err::kConversion, "The field '" + n + "' holds only True (-1) or False (0).",
                         c + " IS NULL OR (typeof(" + c + ") = 'integer' AND " + c + " IN (0, -1))");
    case 2: return range("0", "255", "Byte: 0 to 255");
    case 3: return range("-32768", "32767", "Integer: -32768 to 32767");
    case 4:
      if (field.attributes & kAutoIncrField) return std::string();
      return range("-2147483648", "2147483647", "Long: -2147483648 to 2147483647");
    case 6: case 7:
      return StorageCheck(field, "'real', 'integer'", "numbers");
    case 8:
      return StorageCheck(field, "'real', 'integer'", "dates");
    case 12:
      return StorageCheck(field, "'text', 'integer', 'real'", "text");
    case 11:
      return StorageCheck(field, "'blob'", "binary data");
    case 10:
      return StorageCheck(field, "'text', 'integer', 'real'", "text") + " " +
             Named(err::kFieldTooSmall,
                   "The field '" + n + "' is too small for the text: it holds at most " +
                       std::to_string(field.size) + " characters.",
                   c + " IS NULL OR jet_len(" + c + ") <= " + std::to_string(field.size));
    case 9:
      return StorageCheck(field, "'blob'", "binary data") + " " +
             Named(err::kFieldTooSmall,
                   "The field '" + n + "' is too small for the data: it holds at most " +
                       std::to_string(field.size) + " bytes.",
                   c + " IS NULL OR length(" + c + ") <= " + std::to_string(field.size));
    case 15: {
      const std::string x = "[0-9A-Fa-f]";
      auto run = [&](int count) {
        std::string s;
        for (int i = 0; i < count; ++i) s += x;
        return s;
      };
      const std::string pattern = "{" + run(8) + "-" + run(4) + "-" + run(4) + "-" + run(4) + "-" + run(12) + "}";
      return " " + Named(err::kConversion, "The field '" + n + "' holds GUIDs written {8-4-4-4-12}.",
                         c + " IS NULL OR (typeof(" + c + ") = 'text' AND length(" + c + ") = 38 AND " + c +
                             " GLOB '" + pattern + "')");
    }
    default:
      return std::string();
  }
}

const char* AffinityOf(int type) {
  switch (type) {
    case 1: case 2: case 3: case 4: return "INTEGER";
    case 5: return "INTEGER";  // Currency: ten-thousandths
    case 6: case 7: case 8: return "REAL";
    case 9: case 11: return "BLOB";
    default: return "TEXT";
  }
}

}  // namespace

std::string QuoteName(const std::string& name) { return sql::QuoteSqliteName(name); }

std::string TranslateDefault(const std::string& expression) {
  sql::ParsedExprPtr parsed = sql::ParseExpression(expression);
  NoNames resolver;
  sql::TranslateOptions options;
  options.resolver = &resolver;
  return sql::TranslateExpression(*parsed, options).sql;
}

namespace {

// NUMBER as a SQLite real literal, whatever the process locale ("5.0", "1.5e+20"): the shortest
// text that reads back exactly rather than DoubleToText's 17 digits, so that the SQL stored for a
// default keeps the number as the user wrote it (5.1, not 5.0999999999999996).
std::string RealSql(double number) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
  std::string text(buffer, result.ptr);
  if (text.find_first_of(".e") == std::string::npos) text += ".0";
  return text;
}

// VALUE (as ConvertToFieldType left it) as a SQLite literal of the storage class its field holds.
std::string StoredLiteral(const Variant& value) {
  switch (value.Type()) {
    case VarType::Null: case VarType::Empty: return "NULL";
    case VarType::Boolean: return value.ToBool() ? "-1" : "0";
    case VarType::Byte: case VarType::Int16: case VarType::Int32: return std::to_string(value.ToInt64());
    case VarType::Single: case VarType::Double: case VarType::Date: return RealSql(value.ToDouble());
    case VarType::ByteArray: {
      static const char kHex[] = "0123456789ABCDEF";
      std::string hex = "X'";
      for (std::uint8_t byte : value.Bytes()) {
        hex += kHex[byte >> 4];
        hex += kHex[byte & 15];
      }
      return hex + "'";
    }
    default: return sql::QuoteSqliteString(value.ToString());
  }
}

// The constant a DefaultValue written as a literal stands for ("0", "-1.5", "'abc'", #1/1/2000#).
std::optional<Variant> DefaultConstant(const std::string& expression) {
  sql::ParsedExprPtr parsed = sql::ParseExpression(expression);
  bool negated = false;
  while (parsed->kind == sql::ParsedExprKind::kUnary) {
    auto& unary = static_cast<sql::ParsedUnary&>(*parsed);
    if (unary.op != sql::ParsedOp::kNegate && unary.op != sql::ParsedOp::kPlusSign) return std::nullopt;
    if (unary.op == sql::ParsedOp::kNegate) negated = !negated;
    parsed = std::move(unary.operand);
  }
  if (parsed->kind != sql::ParsedExprKind::kLiteral) return std::nullopt;
  const auto& literal = static_cast<const sql::ParsedLiteral&>(*parsed);
  const double sign = negated ? -1 : 1;
  switch (literal.type) {
    case sql::ParsedLiteral::Type::kNull: return negated ? std::nullopt : std::optional<Variant>(Variant::Null());
    case sql::ParsedLiteral::Type::kInteger: return Variant(sign * static_cast<double>(literal.integer));
    case sql::ParsedLiteral::Type::kReal: return Variant(sign * literal.real);
    case sql::ParsedLiteral::Type::kDate: return negated ? std::nullopt : std::optional<Variant>(Variant::FromDate(literal.real));
    case sql::ParsedLiteral::Type::kBoolean:
      return negated ? std::nullopt : std::optional<Variant>(Variant(literal.boolean));
    case sql::ParsedLiteral::Type::kString:
      return negated ? std::nullopt : std::optional<Variant>(Variant(literal.text));
  }
  return std::nullopt;
}

// The DEFAULT of FIELD as the value its type stores: a constant converted now (so that the field's
// storage check passes and ALTER TABLE ADD COLUMN can take it), any other expression through
// jet_store when a row is written.
std::string DefaultSql(const FieldModel& field) {
  if (field.type == sql::dao_type::kCurrency) return StoredDefaultSql(field.default_value, field.type, field.name);
  if (std::optional<Variant> constant = DefaultConstant(field.default_value)) {
    try {
      return StoredLiteral(sql::ConvertToFieldType(*constant, field.type, field.name));
    } catch (const EOleException& e) {
      RaiseJetError(e.ErrorCode(), "The default value " + field.default_value + " of '" + field.name +
                                       "' is not a value of its type: " + e.Message());
    }
  }
  return StoredDefaultSql(field.default_value, field.type, field.name);
}

}  // namespace

std::string StoredDefaultSql(const std::string& expression, int dao_type, const std::string& field) {
  if (dao_type != sql::dao_type::kCurrency) {
    sql::TranslatedExpr value;
    value.sql = TranslateDefault(expression);
    return dao_type != 0 ? sql::StoredValueSql(nullptr, value, dao_type, field) : value.sql;
  }
  sql::ParsedExprPtr parsed = sql::ParseExpression(expression);
  NoNames resolver;
  sql::TranslateOptions options;
  options.resolver = &resolver;
  const sql::TranslatedExpr value = sql::TranslateExpression(*parsed, options);
  if (value.type != sql::SqlValueType::kCurrency && value.type != sql::SqlValueType::kNull &&
      sql::IsSignedNumberLiteral(*parsed) && !sql::ScaledLiteral(*parsed)) {
    RaiseJetError(err::kNumericOverflow, "The default value " + expression + " is outside the range of a Currency field.");
  }
  return sql::StoredValueSql(parsed.get(), value, dao_type, field);
}

std::string ColumnSql(const TableModel& table, const FieldModel& field) {
  std::string sql = QuoteName(field.name) + " ";
  if (field.attributes & kAutoIncrField) return sql + "INTEGER PRIMARY KEY AUTOINCREMENT";
  sql += AffinityOf(field.type);
  if (field.type == 10 || field.type == 12 || field.type == 15) sql += std::string(" COLLATE ") + kTextCollationName;
  if (field.required) sql += " NOT NULL";
  if (!field.default_value.empty()) {
    sql += " DEFAULT (" + DefaultSql(field) + ")";
  } else if (field.type == 1) {
    sql += " DEFAULT 0";
  }
  sql += TypeChecks(field);
  if ((field.type == 10 || field.type == 12) && !field.allow_zero_length) {
    sql += " " + Named(err::kZeroLength,
                       "The field '" + field.name + "' cannot hold a zero-length string: its AllowZeroLength is False.",
                       QuoteName(field.name) + " <> ''");
  }
  if (!field.validation_rule.empty()) {
    const std::string message = !field.validation_text.empty()
                                    ? field.validation_text
                                    : "The value of '" + field.name + "' breaks its validation rule " +
                                          field.validation_rule + ".";
    sql += " " + Named(err::kFieldRule, message, FieldRuleSql(table, field));
  }
  return sql;
}

std::vector<std::string> TableConstraintSql(const TableModel& table) {
  std::vector<std::string> constraints;
  if (!table.validation_rule.empty()) {
    sql::ParsedExprPtr parsed = sql::ParseExpression(table.validation_rule);
    ColumnResolver resolver(table, nullptr);
    sql::TranslateOptions options;
    options.resolver = &resolver;
    const std::string message = !table.validation_text.empty()
                                    ? table.validation_text
                                    : "The record breaks the validation rule of '" + table.name + "': " +
                                          table.validation_rule + ".";
    constraints.push_back(Named(err::kTableRule, message, sql::TranslateCondition(*parsed, options)));
  }
  for (const IndexModel& index : table.indexes) {
    if (!index.primary && !index.required) continue;
    std::string check;
    for (const IndexKey& key : index.keys) {
      if (!check.empty()) check += " AND ";
      check += QuoteName(key.field) + " IS NOT NULL";
    }
    constraints.push_back(Named(err::kIndexNullKey,
                                "The index '" + index.name + "' cannot hold Null in its key fields.", check));
  }
  return constraints;
}

std::string CreateTableSql(const TableModel& table, const std::string& sqlite_name) {
  std::string sql = "CREATE TABLE " + QuoteName(sqlite_name) + " (";
  bool first = true;
  for (const FieldModel& field : table.fields) {
    if (!first) sql += ", ";
    first = false;
    sql += ColumnSql(table, field);
  }
  for (const std::string& constraint : TableConstraintSql(table)) sql += ", " + constraint;
  return sql + ")";
}

std::string SqliteIndexName(const TableModel& table, const IndexModel& index) {
  return "qbi_" + std::to_string(table.id) + "_" + index.name;
}

std::string CreateIndexSql(const TableModel& table, const IndexModel& index, const std::string& sqlite_table) {
  std::string sql = std::string("CREATE ") + (index.unique || index.primary ? "UNIQUE " : "") + "INDEX " +
                    QuoteName(SqliteIndexName(table, index)) + " ON " + QuoteName(sqlite_table) + " (";
  std::string where;
  for (std::size_t i = 0; i < index.keys.size(); ++i) {
    if (i > 0) {
      sql += ", ";
      where += " OR ";
    }
    const FieldModel* field = table.FindField(index.keys[i].field);
    const std::string column = QuoteName(field ? field->name : index.keys[i].field);
    sql += column + (index.keys[i].descending ? " DESC" : "");
    where += column + " IS NOT NULL";
  }
  sql += ")";
  if (index.ignore_nulls) sql += " WHERE " + where;
  return sql;
}

std::vector<std::string> TriggerNames(const TableModel& table) {
  const std::string base = "qbt_" + std::to_string(table.id);
  return {base + "_i", base + "_u"};
}

std::vector<std::string> CreateTriggerSql(const TableModel&) {
  // Currency is stored exactly, so no table needs the rounding triggers files made before the
  // integer form carry; TriggerNames still names them for removal.
  return {};
}

bool CanAddInPlace(const FieldModel& field) {
  if (field.attributes & kAutoIncrField) return false;
  if (field.default_value.empty()) return !field.required;
  sql::ParsedExprPtr parsed = sql::ParseExpression(field.default_value);
  if (parsed->kind == sql::ParsedExprKind::kUnary) {
    parsed = std::move(static_cast<sql::ParsedUnary&>(*parsed).operand);
  }
  if (parsed->kind != sql::ParsedExprKind::kLiteral) return false;
  const auto& literal = static_cast<const sql::ParsedLiteral&>(*parsed);
  if (literal.type == sql::ParsedLiteral::Type::kNull || literal.type == sql::ParsedLiteral::Type::kDate) return false;
  return true;
}

}  // namespace qb::jet
