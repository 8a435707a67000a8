// jet/sql/translate/constant_shape: an INSERT ... VALUES whose values are all constants, taken apart
// into its shape (the statement with the constants left out, their kinds kept) and the constants,
// so that statements differing only in their constants share one translation and one compiled
// statement. Knows the grammar of that one statement form only; never runs anything.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "com/variant.h"
#include "jet/sql/parse/parsed_expr.h"

namespace qb::jet::sql {

struct TranslatedQuery;

// One constant of a statement, as the parser reads it.
struct ShapeConstant {
  ParsedLiteral::Type type = ParsedLiteral::Type::kNull;
  bool boolean = false;
  std::int64_t integer = 0;
  double real = 0;
  std::string text;      // kString: the value; kReal: the spelling
  bool signed_ = false;  // a number written with a sign ("-5", "+2.5"): negated when NEGATED
  bool negated = false;
};

struct ConstantShape {
  // Tells shapes apart: every token but the constants, and each constant's kind and sign.
  std::string key;
  std::vector<ShapeConstant> constants;  // in the order written
};

// TEXT's shape when TEXT is INSERT INTO table [(fields)] VALUES (constant, ...) [;] with each
// value a literal (text, number, #date#, True/False/Yes/No, Null) or a number with one sign;
// nullopt for any other text, and for one whose tokens cannot be read (the translation of the
// text itself reports those).
std::optional<ConstantShape> ShapeOfConstantInsert(std::string_view text);

// The constants of SHAPE as the values of the placeholders of SHARED (a translation of a
// statement of the same shape made with constants_as_placeholders, its constant_targets set),
// into *VALUES: bound, each is the value its literal gives in SQL. False when the statement
// must be translated as itself: a constant its translation refuses (a type mismatch, reported
// with its position) or one no value here gives back exactly.
bool ConstantValues(const ConstantShape& shape, const TranslatedQuery& shared, std::vector<Variant>* values);

// The message of the conversion error that makes the constant LITERAL no value of a field of
// DAO_TYPE named FIELD (a statement writing it there is refused as a type mismatch before it
// writes anything); nullopt when it converts, or fails only by its size or range (that is the
// row's error when written), or is Null.
std::optional<std::string> ConstantMismatch(const ParsedLiteral& literal, int dao_type, std::string_view field);

}  // namespace qb::jet::sql
