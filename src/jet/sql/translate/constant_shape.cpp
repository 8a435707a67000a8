// jet/sql/translate/constant_shape: reads an INSERT ... VALUES of constants with the Jet lexer, so a
// shape's constants are the very tokens the parser would make literals of, and keys the rest.
#include "jet/sql/translate/constant_shape.h"

#include <cmath>
#include <limits>

#include "com/ole_exception.h"
#include "jet/base/errors.h"
#include "jet/sql/functions/field_conversion.h"
#include "jet/sql/parse/lexer.h"
#include "jet/sql/translate/query_translator.h"

namespace qb::jet::sql {
namespace {

// A token into KEY with its kind, its text's length and the text: no two token lists share a key.
void AppendToken(std::string& key, const Token& token) {
  key += static_cast<char>('a' + static_cast<int>(token.kind));
  key += std::to_string(token.text.size());
  key += ':';
  key += token.text;
}

// TOKEN as a constant (SIGN: the sign before it, if any); false when it is none.
bool ReadConstant(const Token& token, const Token* sign, ShapeConstant& constant) {
  using Type = ParsedLiteral::Type;
  if (sign) {
    if (token.kind != TokenKind::kInteger && token.kind != TokenKind::kReal) return false;
    constant.signed_ = true;
    constant.negated = sign->text == "-";
  }
  switch (token.kind) {
    case TokenKind::kInteger: constant.type = Type::kInteger; constant.integer = token.integer; return true;
    case TokenKind::kReal:
      constant.type = Type::kReal;
      constant.real = token.real;
      constant.text = token.text;
      return true;
    case TokenKind::kDate: constant.type = Type::kDate; constant.real = token.real; return true;
    case TokenKind::kString: constant.type = Type::kString; constant.text = token.text; return true;
    case TokenKind::kWord:
      if (token.IsKeyword("NULL")) {
        constant.type = Type::kNull;
        return true;
      }
      if (token.IsKeyword("TRUE") || token.IsKeyword("FALSE") || token.IsKeyword("YES") || token.IsKeyword("NO")) {
        constant.type = Type::kBoolean;
        constant.boolean = token.IsKeyword("TRUE") || token.IsKeyword("YES");
        return true;
      }
      return false;
    default:
      return false;
  }
}

std::optional<ConstantShape> ReadShape(std::string_view text) {
  Lexer lexer(text);
  ConstantShape shape;
  Token token = lexer.Next();
  if (!token.IsKeyword("INSERT")) return std::nullopt;
  // The table and its field list: names and punctuation only, kept as written.
  while (!token.IsKeyword("VALUES")) {
    if (token.kind != TokenKind::kWord && token.kind != TokenKind::kQuotedName && token.kind != TokenKind::kPunct) {
      return std::nullopt;
    }
    AppendToken(shape.key, token);
    token = lexer.Next();
  }
  AppendToken(shape.key, token);
  if (!lexer.Next().IsPunct('(')) return std::nullopt;
  shape.key += "(";
  while (true) {
    token = lexer.Next();
    std::optional<Token> sign;
    if (token.IsOperator("-") || token.IsOperator("+")) {
      sign = std::move(token);
      token = lexer.Next();
    }
    ShapeConstant constant;
    if (!ReadConstant(token, sign ? &*sign : nullptr, constant)) return std::nullopt;
    shape.key += '#';
    shape.key += static_cast<char>('0' + static_cast<int>(constant.type));
    shape.key += !constant.signed_ ? '=' : constant.negated ? '-' : '+';
    shape.constants.push_back(std::move(constant));
    token = lexer.Next();
    if (token.IsPunct(')')) break;
    if (!token.IsPunct(',')) return std::nullopt;
  }
  token = lexer.Next();
  if (token.IsPunct(';')) token = lexer.Next();
  if (token.kind != TokenKind::kEnd) return std::nullopt;
  shape.key += ")";
  return shape;
}

}  // namespace

std::optional<ConstantShape> ShapeOfConstantInsert(std::string_view text) {
  try {
    return ReadShape(text);
  } catch (const LexError&) {
    return std::nullopt;  // the statement's own translation reports it
  }
}

std::optional<std::string> ConstantMismatch(const ParsedLiteral& literal, int dao_type, std::string_view field) {
  Variant constant;
  switch (literal.type) {
    case ParsedLiteral::Type::kString: constant = Variant(literal.text); break;
    case ParsedLiteral::Type::kReal: constant = Variant(literal.real); break;
    case ParsedLiteral::Type::kDate: constant = Variant::FromDate(literal.real); break;
    case ParsedLiteral::Type::kBoolean: constant = Variant(literal.boolean); break;
    case ParsedLiteral::Type::kInteger: constant = Variant(static_cast<double>(literal.integer)); break;
    case ParsedLiteral::Type::kNull: return std::nullopt;
  }
  try {
    ConvertToFieldType(constant, dao_type, field);
  } catch (const EOleException& e) {
    if (e.ErrorCode() != err::kConversion) return std::nullopt;  // a range error stays the row's
    return e.Message();
  }
  return std::nullopt;
}

bool ConstantValues(const ConstantShape& shape, const TranslatedQuery& shared, std::vector<Variant>* values) {
  using Type = ParsedLiteral::Type;
  if (shared.constant_targets.size() != shape.constants.size()) return false;
  values->clear();
  values->reserve(shape.constants.size());
  for (std::size_t i = 0; i < shape.constants.size(); ++i) {
    const ShapeConstant& constant = shape.constants[i];
    if (!constant.signed_) {
      // The translation checks a literal against its field (a signed number is no literal there).
      ParsedLiteral literal{SourcePos{}};
      literal.type = constant.type;
      literal.boolean = constant.boolean;
      literal.integer = constant.integer;
      literal.real = constant.real;
      literal.text = constant.text;
      const TranslatedColumn& target = shared.constant_targets[i];
      if (ConstantMismatch(literal, target.dao_type, target.name)) return false;
    }
    switch (constant.type) {
      case Type::kNull: values->push_back(Variant::Null()); break;
      case Type::kBoolean: values->push_back(Variant(constant.boolean)); break;
      case Type::kInteger: {
        // SQL spells an integer as an INTEGER; an Int32 binds as one.
        const std::int64_t number = constant.negated ? -constant.integer : constant.integer;
        if (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max()) return false;
        values->push_back(Variant(static_cast<int>(number)));
        break;
      }
      case Type::kReal:
        // Not finite: no SQL literal spells it, so the statement's own translation decides.
        if (!std::isfinite(constant.real)) return false;
        values->push_back(Variant(constant.negated ? -constant.real : constant.real));
        break;
      case Type::kDate: values->push_back(Variant::FromDate(constant.real)); break;
      case Type::kString: values->push_back(Variant(constant.text)); break;
    }
  }
  return true;
}

}  // namespace qb::jet::sql
