// jet/sql/parse/query_parser: the query grammar. Each clause reads under its own error number so a
// syntax error names the clause; expressions inside a clause read as "query expression" (3075).
// Builds trees only: no name is looked up here.
#include "jet/sql/parse/query_parser.h"

#include <cmath>

#include "jet/base/jet_types.h"
#include "jet/sql/parse/sql_errors.h"
#include "jet/base/unicode_text.h"

namespace qb::jet::sql {

void ParsedQueryDeleter::operator()(ParsedQuery* query) const { delete query; }

namespace {

constexpr SqlClause kSelectClause{err::kSyntaxInSelect, "SELECT statement"};
constexpr SqlClause kFromClause{err::kSyntaxInFrom, "FROM clause"};
constexpr SqlClause kJoinClause{err::kSyntaxInJoin, "JOIN operation"};
constexpr SqlClause kWhereClause{err::kSyntaxInWhere, "WHERE clause"};
constexpr SqlClause kGroupClause{err::kSyntaxInGroupBy, "GROUP BY clause"};
constexpr SqlClause kHavingClause{err::kSyntaxInHaving, "HAVING clause"};
constexpr SqlClause kOrderClause{err::kSyntaxInOrderBy, "ORDER BY clause"};
constexpr SqlClause kUnionClause{err::kSyntaxInUnion, "union query"};
constexpr SqlClause kParametersClause{err::kSyntaxInParameters, "PARAMETERS clause"};
constexpr SqlClause kTransformClause{err::kSyntaxInTransform, "TRANSFORM statement"};
constexpr SqlClause kInsertClause{err::kSyntaxInInsert, "INSERT INTO statement"};
constexpr SqlClause kUpdateClause{err::kSyntaxInUpdate, "UPDATE statement"};
constexpr SqlClause kDeleteClause{err::kSyntaxInDelete, "DELETE statement"};
constexpr SqlClause kExpressionClause{err::kSyntaxInExpression, "query expression"};

using Scope = Parser::ClauseScope;

// Joins one chain may hold (Jet itself stops at 32 tables).
constexpr int kMaxJoins = 64;

ParsedExprPtr Expr(Parser& p) {
  Scope scope(p, kExpressionClause);
  return p.ParseExpr();
}

bool IsClauseWord(const Token& t) {
  return t.IsKeyword("FROM") || t.IsKeyword("WHERE") || t.IsKeyword("GROUP") ||
         t.IsKeyword("HAVING") || t.IsKeyword("ORDER") || t.IsKeyword("UNION") ||
         t.IsKeyword("INTO") || t.IsKeyword("PIVOT") || t.IsKeyword("WITH");
}

// An optional alias: "AS name", or a bare name that is no keyword.
std::string ParseAlias(Parser& p) {
  if (p.AcceptKeyword("AS")) return p.ExpectName("an alias");
  const Token& t = p.Peek();
  if (t.kind == TokenKind::kQuotedName ||
      (t.kind == TokenKind::kWord && !Parser::IsReservedWord(t) && !IsClauseWord(t) &&
       !t.IsKeyword("PIVOT"))) {
    return p.Take().text;
  }
  return {};
}

ParsedQuery ParseQuery(Parser& p);
ParsedSourcePtr ParseJoinedSource(Parser& p);

ParsedQueryPtr NewQuery(ParsedQuery query) {
  return ParsedQueryPtr(new ParsedQuery(std::move(query)));
}

ParsedSourcePtr ParseSourcePrimary(Parser& p) {
  auto source = std::make_unique<ParsedSource>();
  source->pos = p.Peek().pos;
  if (p.AcceptPunct('(')) {
    if (p.Peek().IsKeyword("SELECT")) {
      source->kind = ParsedSource::Kind::kSubquery;
      {
        Parser::DepthGuard guard(p);
        source->subquery = NewQuery(ParseQuery(p));
      }
      p.ExpectPunct(')');
      source->alias = ParseAlias(p);
      if (source->alias.empty()) p.FailExpected("an alias (AS name) for the subquery");
      return source;
    }
    Parser::DepthGuard guard(p);
    ParsedSourcePtr inner = ParseJoinedSource(p);
    p.ExpectPunct(')');
    return inner;
  }
  source->kind = ParsedSource::Kind::kTable;
  source->name = p.ExpectName("a table or query name");
  source->alias = ParseAlias(p);
  return source;
}

// A source followed by any number of joins: "a INNER JOIN b ON ... LEFT JOIN c ON ...".
ParsedSourcePtr ParseJoinedSource(Parser& p) {
  ParsedSourcePtr left = ParseSourcePrimary(p);
  // Each join deepens the (left-deep) tree that binding later walks recursively.
  int joins = 0;
  for (;; ++joins) {
    if (joins >= kMaxJoins) {
      RaiseSqlError(err::kExpressionTooComplex,
                    "Too many joins in one FROM clause at " + PositionText(p.Peek().pos) +
                        " (at most " + std::to_string(kMaxJoins) + ").");
    }
    const Token& t = p.Peek();
    ParsedSource::Join join;
    if (t.IsKeyword("INNER")) join = ParsedSource::Join::kInner;
    else if (t.IsKeyword("LEFT")) join = ParsedSource::Join::kLeft;
    else if (t.IsKeyword("RIGHT")) join = ParsedSource::Join::kRight;
    else if (t.IsKeyword("JOIN")) p.Fail("a join needs INNER, LEFT or RIGHT");
    else if (t.IsKeyword("FULL") || t.IsKeyword("CROSS") || t.IsKeyword("NATURAL")) {
      p.Fail("only INNER, LEFT and RIGHT joins exist");
    } else return left;
    auto node = std::make_unique<ParsedSource>();
    node->pos = p.Take().pos;
    node->kind = ParsedSource::Kind::kJoin;
    node->join = join;
    if (join != ParsedSource::Join::kInner) p.AcceptKeyword("OUTER");
    p.ExpectKeyword("JOIN");
    node->left = std::move(left);
    node->right = ParseSourcePrimary(p);
    {
      Scope scope(p, kJoinClause);
      p.ExpectKeyword("ON");
    }
    node->on = Expr(p);
    left = std::move(node);
  }
}

std::vector<ParsedOrderItem> ParseOrderBy(Parser& p) {
  Scope scope(p, kOrderClause);
  p.ExpectKeyword("BY");
  std::vector<ParsedOrderItem> items;
  do {
    ParsedOrderItem item;
    item.expr = Expr(p);
    if (p.AcceptKeyword("DESC")) item.descending = true;
    else p.AcceptKeyword("ASC");
    items.push_back(std::move(item));
  } while (p.AcceptPunct(','));
  return items;
}

void ParseTop(Parser& p, ParsedSelect& select) {
  const Token& t = p.Peek();
  SourcePos pos = t.pos;
  double n = 0;
  if (t.kind == TokenKind::kInteger) n = static_cast<double>(t.integer);
  else if (t.kind == TokenKind::kReal) n = t.real;
  else p.FailExpected("a number after TOP");
  p.Take();
  select.top_percent = p.AcceptKeyword("PERCENT");
  bool whole = std::floor(n) == n;
  if (select.top_percent ? (n < 0 || n > 100) : (!whole || n < 1 || n > 2147483647.0)) {
    RaiseSqlError(err::kInvalidTop,
                  "The TOP argument at " + PositionText(pos) + " is not valid: " +
                      (select.top_percent ? "a percentage lies between 0 and 100."
                                          : "it must be a positive whole number."));
  }
  select.top = n;
}

// One SELECT block from SELECT through ORDER BY. ALLOW_INTO: SELECT ... INTO may stand here.
ParsedSelect ParseSelectBlock(Parser& p, bool allow_into) {
  Scope scope(p, kSelectClause);
  ParsedSelect select;
  select.pos = p.Peek().pos;
  p.ExpectKeyword("SELECT");
  if (p.AcceptKeyword("DISTINCT")) select.predicate = ParsedSelect::Predicate::kDistinct;
  else if (p.AcceptKeyword("DISTINCTROW")) select.predicate = ParsedSelect::Predicate::kDistinctRow;
  else p.AcceptKeyword("ALL");
  if (p.AcceptKeyword("TOP")) ParseTop(p, select);
  do {
    ParsedSelectItem item;
    if (p.Peek().IsOperator("*")) {
      item.expr = std::make_unique<ParsedStar>(p.Take().pos);
    } else {
      item.expr = Expr(p);
      if (p.AcceptKeyword("AS")) item.alias = p.ExpectName("an alias");
    }
    select.items.push_back(std::move(item));
  } while (p.AcceptPunct(','));
  if (p.Peek().IsKeyword("INTO")) {
    if (!allow_into) p.Fail("INTO is not allowed here");
    p.Take();
    select.into = p.ExpectName("a table name");
    if (p.Peek().IsKeyword("IN")) p.Fail("external databases (IN) are not supported");
  }
  if (p.AcceptKeyword("FROM")) {
    Scope from(p, kFromClause);
    do {
      select.from.push_back(ParseJoinedSource(p));
    } while (p.AcceptPunct(','));
    if (p.Peek().IsKeyword("IN")) p.Fail("external databases (IN) are not supported");
  }
  if (p.AcceptKeyword("WHERE")) {
    Scope where(p, kWhereClause);
    select.where = Expr(p);
  }
  if (p.Peek().IsKeyword("GROUP")) {
    Scope group(p, kGroupClause);
    p.Take();
    p.ExpectKeyword("BY");
    do {
      select.group_by.push_back(Expr(p));
    } while (p.AcceptPunct(','));
  }
  if (p.AcceptKeyword("HAVING")) {
    Scope having(p, kHavingClause);
    select.having = Expr(p);
  }
  if (p.AcceptKeyword("ORDER")) select.order_by = ParseOrderBy(p);
  if (p.Peek().IsKeyword("WITH")) {
    p.Take();
    p.ExpectKeyword("OWNERACCESS");
    p.ExpectKeyword("OPTION");
  }
  return select;
}

// "TABLE name" in a union: SELECT * FROM name.
ParsedSelect ParseTablePart(Parser& p) {
  ParsedSelect select;
  select.pos = p.Take().pos;
  select.items.push_back({std::make_unique<ParsedStar>(select.pos), {}});
  auto source = std::make_unique<ParsedSource>();
  source->pos = p.Peek().pos;
  source->name = p.ExpectName("a table name");
  select.from.push_back(std::move(source));
  return select;
}

ParsedQuery ParseQueryParts(Parser& p, bool allow_into) {
  ParsedQuery query;
  query.pos = p.Peek().pos;
  if (p.Peek().IsKeyword("TABLE")) {
    // "TABLE name" stands for a part of a union, the first one included.
    query.parts.push_back(ParseTablePart(p));
    if (!p.Peek().IsKeyword("UNION")) {
      Scope scope(p, kUnionClause);
      p.FailExpected("UNION after TABLE " + query.parts.back().from.front()->name);
    }
  } else {
    query.parts.push_back(ParseSelectBlock(p, allow_into));
  }
  while (p.Peek().IsKeyword("UNION")) {
    Scope scope(p, kUnionClause);
    if (!query.parts.back().order_by.empty()) p.Fail("ORDER BY may only follow the last part");
    p.Take();
    query.union_all.push_back(p.AcceptKeyword("ALL"));
    if (p.Peek().IsKeyword("TABLE")) {
      query.parts.push_back(ParseTablePart(p));
    } else {
      if (!p.Peek().IsKeyword("SELECT")) p.FailExpected("SELECT or TABLE");
      query.parts.push_back(ParseSelectBlock(p, false));
    }
    if (!query.parts.back().into.empty()) p.Fail("a union cannot make a table");
  }
  if (query.IsUnion()) {
    query.order_by = std::move(query.parts.back().order_by);
    query.parts.back().order_by.clear();
    if (!query.parts.front().into.empty()) {
      Scope scope(p, kUnionClause);
      p.FailAt(query.parts.front().pos, "a union cannot make a table");
    }
  }
  return query;
}

ParsedQuery ParseQuery(Parser& p) { return ParseQueryParts(p, false); }

std::vector<ParsedParameter> ParseParameters(Parser& p) {
  Scope scope(p, kParametersClause);
  p.ExpectKeyword("PARAMETERS");
  std::vector<ParsedParameter> parameters;
  do {
    ParsedParameter param;
    param.pos = p.Peek().pos;
    const Token& t = p.Peek();
    if (t.kind != TokenKind::kQuotedName && t.kind != TokenKind::kWord) {
      p.FailExpected("a parameter name");
    }
    param.name = p.Take().text;
    const Token& type = p.Peek();
    if (type.kind != TokenKind::kWord) p.FailExpected("a data type");
    param.type_name = type.text;
    if (type.IsKeyword("VALUE")) {
      param.dao_type = dao_type::kText;
    } else {
      std::optional<JetTypeName> jet = LookupJetType(type.text);
      if (!jet) p.FailExpected("a data type");
      param.dao_type = jet->dao_type;
    }
    p.Take();
    if (p.AcceptPunct('(')) {  // TEXT(255): the size means nothing for a parameter
      if (p.Peek().kind != TokenKind::kInteger) p.FailExpected("a size");
      p.Take();
      p.ExpectPunct(')');
    }
    for (const ParsedParameter& other : parameters) {
      if (SameName(other.name, param.name)) {
        p.FailAt(param.pos, "parameter '" + param.name + "' is declared twice");
      }
    }
    parameters.push_back(std::move(param));
  } while (p.AcceptPunct(','));
  if (!p.AcceptPunct(';')) {
    RaiseSyntaxError(err::kMissingSemicolon, "PARAMETERS clause", p.Peek().pos,
                     "expected ';' after the declarations but found " + DescribeToken(p.Peek()));
  }
  return parameters;
}

ParsedTransform ParseTransform(Parser& p) {
  ParsedTransform transform;
  {
    Scope scope(p, kTransformClause);
    p.ExpectKeyword("TRANSFORM");
    transform.aggregate = Expr(p);
    if (p.AcceptKeyword("AS")) transform.alias = p.ExpectName("a name for the value");
    if (!p.Peek().IsKeyword("SELECT")) p.FailExpected("SELECT");
  }
  transform.select = ParseSelectBlock(p, false);
  Scope scope(p, kTransformClause);
  if (!transform.select.into.empty()) p.Fail("a crosstab cannot make a table");
  p.ExpectKeyword("PIVOT");
  transform.pivot = Expr(p);
  // "PIVOT x In (a, b)" reads as one In expression: its list is the column list.
  if (transform.pivot->kind == ParsedExprKind::kIn &&
      !static_cast<ParsedIn&>(*transform.pivot).negated) {
    auto& in = static_cast<ParsedIn&>(*transform.pivot);
    transform.pivot_in = std::move(in.items);
    ParsedExprPtr value = std::move(in.value);
    transform.pivot = std::move(value);
  } else if (p.AcceptKeyword("IN")) {
    p.ExpectPunct('(');
    do {
      transform.pivot_in.push_back(Expr(p));
    } while (p.AcceptPunct(','));
    p.ExpectPunct(')');
  }
  return transform;
}

ParsedInsert ParseInsert(Parser& p) {
  Scope scope(p, kInsertClause);
  ParsedInsert insert;
  insert.pos = p.Take().pos;  // INSERT
  p.ExpectKeyword("INTO");
  insert.table = p.ExpectName("a table name");
  if (p.Peek().IsKeyword("IN")) p.Fail("external databases (IN) are not supported");
  if (p.AcceptPunct('(')) {
    do {
      std::string column = p.ExpectName("a field name");
      // "t.col" names the destination table's column.
      if (p.AcceptPunct('.')) column = p.ExpectName("a field name");
      insert.columns.push_back(std::move(column));
    } while (p.AcceptPunct(','));
    p.ExpectPunct(')');
  }
  if (p.AcceptKeyword("VALUES")) {
    p.ExpectPunct('(');
    do {
      insert.values.push_back(Expr(p));
    } while (p.AcceptPunct(','));
    p.ExpectPunct(')');
  } else if (p.Peek().IsKeyword("SELECT")) {
    insert.select = NewQuery(ParseQuery(p));
  } else {
    p.FailExpected("VALUES or SELECT");
  }
  return insert;
}

ParsedUpdate ParseUpdate(Parser& p) {
  Scope scope(p, kUpdateClause);
  ParsedUpdate update;
  update.pos = p.Take().pos;  // UPDATE
  p.AcceptKeyword("DISTINCTROW");
  update.target = ParseJoinedSource(p);
  p.ExpectKeyword("SET");
  do {
    ParsedAssignment assignment;
    const Token& t = p.Peek();
    if (t.kind != TokenKind::kQuotedName &&
        (t.kind != TokenKind::kWord || Parser::IsReservedWord(t))) {
      p.FailExpected("a field name");
    }
    ParsedExprPtr target = Expr(p);
    if (target->kind != ParsedExprKind::kBinary ||
        static_cast<ParsedBinary&>(*target).op != ParsedOp::kEqual ||
        static_cast<ParsedBinary&>(*target).left->kind != ParsedExprKind::kName) {
      p.FailAt(target->pos, "expected field = value");
    }
    auto& eq = static_cast<ParsedBinary&>(*target);
    assignment.column.reset(static_cast<ParsedName*>(eq.left.release()));
    assignment.value = std::move(eq.right);
    update.assignments.push_back(std::move(assignment));
  } while (p.AcceptPunct(','));
  if (p.AcceptKeyword("WHERE")) {
    Scope where(p, kWhereClause);
    update.where = Expr(p);
  }
  return update;
}

ParsedDelete ParseDelete(Parser& p) {
  Scope scope(p, kDeleteClause);
  ParsedDelete del;
  del.pos = p.Take().pos;  // DELETE
  p.AcceptKeyword("DISTINCTROW");
  if (p.Peek().IsOperator("*")) {
    p.Take();
  } else if (!p.Peek().IsKeyword("FROM")) {
    del.target = p.ExpectName("a table name, '*' or FROM");
    p.ExpectPunct('.');
    if (!p.Peek().IsOperator("*")) p.FailExpected("'*'");
    p.Take();
  }
  p.ExpectKeyword("FROM");
  {
    Scope from(p, kFromClause);
    do {
      del.from.push_back(ParseJoinedSource(p));
    } while (p.AcceptPunct(','));
  }
  if (p.AcceptKeyword("WHERE")) {
    Scope where(p, kWhereClause);
    del.where = Expr(p);
  }
  return del;
}

}  // namespace

ParsedQueryPtr Parser::ParseSubquery() {
  DepthGuard guard(*this);
  ParsedQuery query = ParseQuery(*this);
  ExpectPunct(')');
  return NewQuery(std::move(query));
}

bool StartsQueryStatement(const Token& token) {
  return token.IsKeyword("SELECT") || token.IsKeyword("INSERT") || token.IsKeyword("UPDATE") ||
         token.IsKeyword("DELETE") || token.IsKeyword("TRANSFORM") ||
         token.IsKeyword("PARAMETERS") || token.IsKeyword("TABLE");
}

ParsedQueryStatement ParseQueryStatement(Parser& p) {
  ParsedQueryStatement statement;
  if (p.Peek().IsKeyword("PARAMETERS")) statement.parameters = ParseParameters(p);
  const Token& t = p.Peek();
  if (t.IsKeyword("SELECT") || t.IsKeyword("TABLE")) {
    statement.body = ParseQueryParts(p, true);
  } else if (t.IsKeyword("TRANSFORM")) {
    statement.body = ParseTransform(p);
  } else if (t.IsKeyword("INSERT")) {
    statement.body = ParseInsert(p);
  } else if (t.IsKeyword("UPDATE")) {
    statement.body = ParseUpdate(p);
  } else if (t.IsKeyword("DELETE")) {
    statement.body = ParseDelete(p);
  } else {
    Scope scope(p, SqlClause{err::kInvalidStatement, "statement"});
    p.FailExpected("SELECT, INSERT, UPDATE, DELETE or TRANSFORM");
  }
  return statement;
}

}  // namespace qb::jet::sql
