// cli/script_properties: reading SET PROPERTY statements with the Jet lexer and applying them
// through TableDef, Field and Property objects, so the engine checks every value as it would
// for any caller.
#include "cli/script_properties.h"

#include <vector>

#include "com/ole_exception.h"
#include "jet/dao/error_numbers.h"
#include "jet/dao/property.h"
#include "jet/dao/sql_lexer.h"
#include "jet/dao/tabledef.h"

namespace qb::cli {
namespace {

using jet::sql::Token;
using jet::sql::TokenKind;

[[noreturn]] void Fail(const Token& token, const std::string& detail) {
  jet::RaiseJetError(jet::err::kSyntaxInExpression, "Syntax error in SET PROPERTY statement at " +
                                                                jet::sql::PositionText(token.pos) + ": " + detail +
                                                                " but found " + jet::sql::DescribeToken(token) + ".");
}

std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

Variant ValueOf(const Token& token, bool negative) {
  switch (token.kind) {
    case TokenKind::kString:
      if (!negative) return Variant(token.text);
      break;
    case TokenKind::kInteger: {
      const std::int64_t value = negative ? -token.integer : token.integer;
      if (value >= INT32_MIN && value <= INT32_MAX) return Variant(static_cast<int>(value));
      return Variant(static_cast<double>(value));
    }
    case TokenKind::kReal:
      return Variant(negative ? -token.real : token.real);
    case TokenKind::kWord:
      if (negative) break;
      if (token.IsKeyword("TRUE")) return Variant(true);
      if (token.IsKeyword("FALSE")) return Variant(false);
      if (token.IsKeyword("NULL")) return Variant::Null();
      break;
    default:
      break;
  }
  Fail(token, "expected a string, a number, True, False or Null");
}

}  // namespace

bool IsPropertyStatement(std::string_view statement) {
  try {
    const std::vector<Token> tokens = jet::sql::Lex(statement);
    return tokens.size() >= 2 && tokens[0].IsKeyword("SET") && tokens[1].IsKeyword("PROPERTY");
  } catch (const EOleException&) {
    return false;
  }
}

void RunPropertyStatement(jet::Database& database, std::string_view statement) {
  const std::vector<Token> tokens = jet::sql::Lex(statement);
  std::size_t at = 2;  // after SET PROPERTY
  auto next = [&]() -> const Token& { return tokens[std::min(at, tokens.size() - 1)]; };
  auto name = [&](const char* what) {
    const Token& token = next();
    if (token.kind != TokenKind::kQuotedName && token.kind != TokenKind::kWord) Fail(token, std::string("expected ") + what);
    ++at;
    return token.text;
  };
  // [Table] . ([Field] .)? Property = value
  std::vector<std::string> path{name("a table name")};
  while (next().IsPunct('.')) {
    ++at;
    path.push_back(name("a name"));
  }
  if (path.size() < 2 || path.size() > 3) Fail(next(), "expected [Table].Property or [Table].[Field].Property");
  if (!next().IsOperator("=")) Fail(next(), "expected '='");
  ++at;
  bool negative = false;
  if (next().IsOperator("-")) {
    negative = true;
    ++at;
  }
  const Variant value = ValueOf(next(), negative);
  ++at;
  if (next().kind != TokenKind::kEnd) Fail(next(), "expected the end of the statement");

  // Properties reach their owners through weak references: keep the owners alive here.
  auto table = database.TableDefs()->Item(std::string_view(path[0]));
  std::shared_ptr<jet::Field> field;
  if (path.size() == 3) field = table->Fields()->Item(std::string_view(path[1]));
  std::shared_ptr<jet::Properties> properties = field ? field->Properties() : table->Properties();
  properties->Item(std::string_view(path.back()))->SetValue(value);
}

std::string PropertyStatement(const std::string& table, const std::string& field, const std::string& name,
                              const std::string& value) {
  return "SET PROPERTY [" + table + "]." + (field.empty() ? std::string() : "[" + field + "].") + name + " = " +
         Quoted(value) + ";\n";
}

std::string PropertyStatement(const std::string& table, const std::string& field, const std::string& name, bool value) {
  return "SET PROPERTY [" + table + "]." + (field.empty() ? std::string() : "[" + field + "].") + name + " = " +
         (value ? "True" : "False") + ";\n";
}

}  // namespace qb::cli
