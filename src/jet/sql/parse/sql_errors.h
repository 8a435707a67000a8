// jet/sql/parse/sql_errors: the error numbers the Jet SQL layer raises and the helpers that build
// syntax errors naming the clause and the position. Raises only through jet/errors.
#pragma once
#include <string>
#include <string_view>

#include "jet/sql/parse/token.h"

namespace qb::jet::sql {

namespace sqlerr {
// Runtime errors of the expression functions (their Visual Basic numbers, as Jet reports them).
inline constexpr int kInvalidProcedureCall = 5;
inline constexpr int kOverflow = 6;
inline constexpr int kDivisionByZero = 11;
inline constexpr int kTypeMismatch = 13;
inline constexpr int kInvalidPattern = 93;
inline constexpr int kInvalidUseOfNull = 94;
// Statement and expression errors.
inline constexpr int kExpressionTooComplex = 3071;
inline constexpr int kSyntaxInExpression = 3075;
inline constexpr int kUndefinedFunction = 3085;
inline constexpr int kFieldNotUpdatable = 3113;
inline constexpr int kInvalidName = 3125;
inline constexpr int kInvalidBracketing = 3126;
inline constexpr int kInvalidStatement = 3129;
inline constexpr int kAfterEnd = 3142;
inline constexpr int kSyntaxInConstraint = 3289;
inline constexpr int kSyntaxInCreateTable = 3290;
inline constexpr int kSyntaxInCreateIndex = 3291;
inline constexpr int kSyntaxInFieldDef = 3292;
inline constexpr int kSyntaxInAlterTable = 3293;
inline constexpr int kSyntaxInDrop = 3295;
inline constexpr int kNotSupported = 3251;
// Query statements.
inline constexpr int kTooFewParameters = 3061;
inline constexpr int kNoInputTable = 3067;
inline constexpr int kBadCrosstabName = 3070;
inline constexpr int kNotUpdatable = 3073;
inline constexpr int kInputNotFound = 3078;
inline constexpr int kAmbiguousField = 3079;
inline constexpr int kAggregateNotAllowed = 3095;
inline constexpr int kCircularReference = 3102;
inline constexpr int kStarInCrosstab = 3123;
inline constexpr int kUnknownInsertField = 3127;
inline constexpr int kSpecifyDeleteTable = 3128;
inline constexpr int kSyntaxInDelete = 3130;
inline constexpr int kSyntaxInFrom = 3131;
inline constexpr int kSyntaxInGroupBy = 3132;
inline constexpr int kSyntaxInHaving = 3133;
inline constexpr int kSyntaxInInsert = 3134;
inline constexpr int kSyntaxInJoin = 3135;
inline constexpr int kMissingSemicolon = 3137;
inline constexpr int kSyntaxInOrderBy = 3138;
inline constexpr int kSyntaxInParameters = 3139;
inline constexpr int kSyntaxInSelect = 3141;
inline constexpr int kSyntaxInTransform = 3143;
inline constexpr int kSyntaxInUpdate = 3144;
inline constexpr int kSyntaxInWhere = 3145;
inline constexpr int kSubqueryColumns = 3306;
inline constexpr int kUnionColumnCount = 3307;
inline constexpr int kInvalidTop = 3308;
inline constexpr int kSyntaxInUnion = 3319;
inline constexpr int kValueCountDiffers = 3346;
inline constexpr int kUnionInSubquery = 3361;
inline constexpr int kCriteriaMismatch = 3464;  // a Text field against a number, or the reverse
}  // namespace sqlerr

// "line 2, column 7".
std::string PositionText(const SourcePos& pos);

// Raises EOleException NUMBER with the message "Syntax error in CLAUSE at line L, column C:
// DETAIL." CLAUSE names the statement part ("CREATE TABLE statement", "query expression").
[[noreturn]] void RaiseSyntaxError(int number, std::string_view clause, const SourcePos& pos,
                                   std::string_view detail);

// Raises EOleException NUMBER with MESSAGE as it stands (runtime errors of the functions).
[[noreturn]] void RaiseSqlError(int number, std::string_view message);

}  // namespace qb::jet::sql
