// jet/sql/parse/ddl_parser: CREATE TABLE, CREATE INDEX, ALTER TABLE, DROP TABLE and DROP INDEX.
// Builds Parsed* statements only: whether tables, columns or indexes exist is the engine's
// question, not the parser's.
#include "jet/sql/parse/ddl_parser.h"

#include <cstdint>

#include "jet/sql/parse/sql_errors.h"

namespace qb::jet::sql {
namespace {

constexpr SqlClause kCreateTableClause{err::kSyntaxInCreateTable, "CREATE TABLE statement"};
constexpr SqlClause kFieldDefClause{err::kSyntaxInFieldDef, "field definition"};
constexpr SqlClause kConstraintClause{err::kSyntaxInConstraint, "CONSTRAINT clause"};
constexpr SqlClause kAlterClause{err::kSyntaxInAlterTable, "ALTER TABLE statement"};
constexpr SqlClause kCreateIndexClause{err::kSyntaxInCreateIndex, "CREATE INDEX statement"};
constexpr SqlClause kDropClause{err::kSyntaxInDrop, "DROP statement"};

// Most columns, constraint columns and index columns one statement may list; generous beside
// Jet's own limits (255 fields, 10 index fields) so that the engine reports those itself.
constexpr std::size_t kMaxListLength = 1000;

std::int32_t ExpectInteger(Parser& parser, const char* what, bool allow_sign) {
  bool negative = false;
  if (allow_sign && (parser.Peek().IsOperator("-") || parser.Peek().IsOperator("+"))) {
    negative = parser.Take().text == "-";
  }
  if (parser.Peek().kind != TokenKind::kInteger) parser.FailExpected(what);
  std::int64_t value = parser.Take().integer;
  return static_cast<std::int32_t>(negative ? -value : value);
}

// "(a, b, ...)": one or more names.
std::vector<std::string> ParseNameList(Parser& parser, const char* what) {
  std::vector<std::string> names;
  parser.ExpectPunct('(');
  do {
    if (names.size() >= kMaxListLength) parser.Fail("too many names in the list");
    names.push_back(parser.ExpectName(what));
  } while (parser.AcceptPunct(','));
  parser.ExpectPunct(')');
  return names;
}

// REFERENCES table [(columns)], the keyword already taken.
void ParseReferences(Parser& parser, ParsedConstraint& constraint) {
  constraint.referenced_table = parser.ExpectName("the referenced table's name");
  if (parser.Peek().IsPunct('(')) {
    constraint.referenced_columns = ParseNameList(parser, "a referenced column name");
  }
}

// The kinds both constraint forms share: PRIMARY KEY | UNIQUE | NOT NULL. False, with nothing
// consumed, when the next words are none of them.
bool AcceptCommonConstraintKind(Parser& parser, ParsedConstraint& constraint) {
  if (parser.AcceptKeyword("PRIMARY")) {
    parser.ExpectKeyword("KEY");
    constraint.kind = ParsedConstraintKind::kPrimaryKey;
  } else if (parser.AcceptKeyword("UNIQUE")) {
    constraint.kind = ParsedConstraintKind::kUnique;
  } else if (parser.AcceptKeyword("NOT")) {
    parser.ExpectKeyword("NULL");
    constraint.kind = ParsedConstraintKind::kNotNull;
  } else {
    return false;
  }
  return true;
}

// The body of a column-level constraint: PRIMARY KEY | UNIQUE | NOT NULL | REFERENCES ...
void ParseColumnConstraintBody(Parser& parser, ParsedConstraint& constraint) {
  if (AcceptCommonConstraintKind(parser, constraint)) return;
  if (parser.AcceptKeyword("REFERENCES")) {
    constraint.kind = ParsedConstraintKind::kForeignKey;
    ParseReferences(parser, constraint);
  } else {
    parser.FailExpected("PRIMARY KEY, UNIQUE, NOT NULL or REFERENCES");
  }
}

// The body of a multi-field constraint: PRIMARY KEY (..) | UNIQUE (..) | NOT NULL (..) |
// FOREIGN KEY (..) REFERENCES ...
void ParseTableConstraintBody(Parser& parser, ParsedConstraint& constraint) {
  if (!AcceptCommonConstraintKind(parser, constraint)) {
    if (!parser.AcceptKeyword("FOREIGN")) parser.FailExpected("PRIMARY KEY, UNIQUE, NOT NULL or FOREIGN KEY");
    parser.ExpectKeyword("KEY");
    constraint.kind = ParsedConstraintKind::kForeignKey;
  }
  constraint.columns = ParseNameList(parser, "a column name");
  if (constraint.kind == ParsedConstraintKind::kForeignKey) {
    parser.ExpectKeyword("REFERENCES");
    ParseReferences(parser, constraint);
  }
}

// [CONSTRAINT name] multi-field body.
ParsedConstraint ParseTableConstraint(Parser& parser) {
  Parser::ClauseScope scope(parser, kConstraintClause);
  ParsedConstraint constraint;
  constraint.pos = parser.Peek().pos;
  if (parser.AcceptKeyword("CONSTRAINT")) constraint.name = parser.ExpectName("a constraint name");
  ParseTableConstraintBody(parser, constraint);
  return constraint;
}

ParsedColumnType ParseColumnType(Parser& parser) {
  const Token& token = parser.Peek();
  if (token.kind != TokenKind::kWord) parser.FailExpected("a data type");
  std::optional<JetTypeName> type = LookupJetType(token.text);
  if (!type) parser.Fail("unknown data type '" + token.text + "'");
  ParsedColumnType result;
  result.name = parser.Take().text;
  result.type = *type;
  if (!parser.Peek().IsPunct('(')) return result;
  SourcePos open = parser.Take().pos;
  if (type->sized) {
    SourcePos at = parser.Peek().pos;
    std::int32_t size = ExpectInteger(parser, "a size", false);
    if (size < 1 || size > type->max_size) {
      parser.FailAt(at, "size of " + result.name + " must be between 1 and " +
                            std::to_string(type->max_size));
    }
    result.size = size;
  } else if (type->auto_increment) {
    result.seed = ExpectInteger(parser, "a seed", true);
    parser.ExpectPunct(',');
    result.increment = ExpectInteger(parser, "an increment", true);
    if (*result.increment == 0) parser.Fail("the increment may not be 0");
  } else {
    parser.FailAt(open, "type " + result.name + " takes no size");
  }
  parser.ExpectPunct(')');
  return result;
}

// The expression after DEFAULT, as written (its syntax checked here, its meaning by the engine).
std::string ParseDefault(Parser& parser) {
  const std::size_t from = parser.Peek().pos.offset;
  parser.ParseExpr();
  std::string_view text = parser.SourceText(from, parser.Peek().pos.offset);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n')) {
    text.remove_suffix(1);
  }
  return std::string(text);
}

// name type[(size)] [NOT NULL] [DEFAULT expr] [[CONSTRAINT name] column constraint] ...
ParsedColumnDef ParseColumnDef(Parser& parser) {
  Parser::ClauseScope scope(parser, kFieldDefClause);
  ParsedColumnDef column;
  column.pos = parser.Peek().pos;
  column.name = parser.ExpectName("a column name");
  column.type = ParseColumnType(parser);
  for (;;) {
    const Token& token = parser.Peek();
    if (token.IsKeyword("NOT")) {
      parser.Take();
      parser.ExpectKeyword("NULL");
      column.not_null = true;
    } else if (token.IsKeyword("DEFAULT")) {
      SourcePos at = parser.Take().pos;
      if (column.default_value) parser.FailAt(at, "DEFAULT given twice");
      column.default_value = ParseDefault(parser);
    } else if (token.IsKeyword("CONSTRAINT") || token.IsKeyword("PRIMARY") ||
               token.IsKeyword("UNIQUE") || token.IsKeyword("REFERENCES")) {
      Parser::ClauseScope constraint_scope(parser, kConstraintClause);
      ParsedConstraint constraint;
      constraint.pos = token.pos;
      if (parser.AcceptKeyword("CONSTRAINT")) {
        constraint.name = parser.ExpectName("a constraint name");
      }
      ParseColumnConstraintBody(parser, constraint);
      if (column.constraints.size() >= 8) parser.FailAt(constraint.pos, "too many constraints");
      column.constraints.push_back(std::move(constraint));
    } else {
      return column;
    }
  }
}

bool StartsTableConstraint(Parser& parser) {
  const Token& token = parser.Peek();
  return token.IsKeyword("CONSTRAINT") || token.IsKeyword("PRIMARY") ||
         token.IsKeyword("UNIQUE") || token.IsKeyword("FOREIGN");
}

ParsedStatement ParseCreateTable(Parser& parser, const SourcePos& pos) {
  ParsedCreateTable create;
  create.pos = pos;
  create.table = parser.ExpectName("a table name");
  parser.ExpectPunct('(');
  do {
    if (create.columns.size() + create.constraints.size() >= kMaxListLength) {
      parser.Fail("too many columns and constraints");
    }
    if (StartsTableConstraint(parser)) {
      create.constraints.push_back(ParseTableConstraint(parser));
    } else {
      create.columns.push_back(ParseColumnDef(parser));
    }
  } while (parser.AcceptPunct(','));
  parser.ExpectPunct(')');
  if (create.columns.empty()) parser.FailAt(pos, "a table needs at least one column");
  return create;
}

ParsedStatement ParseCreateIndex(Parser& parser, const SourcePos& pos, bool unique) {
  Parser::ClauseScope scope(parser, kCreateIndexClause);
  ParsedCreateIndex index;
  index.pos = pos;
  index.unique = unique;
  parser.ExpectKeyword("INDEX");
  index.name = parser.ExpectName("an index name");
  parser.ExpectKeyword("ON");
  index.table = parser.ExpectName("a table name");
  parser.ExpectPunct('(');
  do {
    if (index.columns.size() >= kMaxListLength) parser.Fail("too many index columns");
    ParsedIndexColumn column;
    column.name = parser.ExpectName("a column name");
    if (parser.AcceptKeyword("DESC")) {
      column.descending = true;
    } else {
      parser.AcceptKeyword("ASC");
    }
    index.columns.push_back(std::move(column));
  } while (parser.AcceptPunct(','));
  parser.ExpectPunct(')');
  if (parser.AcceptKeyword("WITH")) {
    bool any = false;
    for (;;) {
      if (parser.AcceptKeyword("PRIMARY")) {
        index.primary = true;
      } else if (parser.AcceptKeyword("DISALLOW")) {
        parser.ExpectKeyword("NULL");
        index.disallow_null = true;
      } else if (parser.AcceptKeyword("IGNORE")) {
        parser.ExpectKeyword("NULL");
        index.ignore_null = true;
      } else {
        break;
      }
      any = true;
    }
    if (!any) parser.FailExpected("PRIMARY, DISALLOW NULL or IGNORE NULL");
  }
  return index;
}

}  // namespace

ParsedStatement ParseCreateStatement(Parser& parser) {
  Parser::ClauseScope scope(parser, kCreateTableClause);
  SourcePos pos = parser.Peek().pos;
  parser.ExpectKeyword("CREATE");
  if (parser.AcceptKeyword("TABLE")) return ParseCreateTable(parser, pos);
  if (parser.AcceptKeyword("UNIQUE")) return ParseCreateIndex(parser, pos, true);
  if (parser.Peek().IsKeyword("INDEX")) return ParseCreateIndex(parser, pos, false);
  parser.FailExpected("TABLE, INDEX or UNIQUE INDEX");
}

ParsedStatement ParseAlterTable(Parser& parser) {
  Parser::ClauseScope scope(parser, kAlterClause);
  ParsedAlterTable alter;
  alter.pos = parser.Peek().pos;
  parser.ExpectKeyword("ALTER");
  parser.ExpectKeyword("TABLE");
  alter.table = parser.ExpectName("a table name");
  using Action = ParsedAlterTable::Action;
  if (parser.AcceptKeyword("ADD")) {
    if (StartsTableConstraint(parser)) {
      alter.action = Action::kAddConstraint;
      alter.constraint = ParseTableConstraint(parser);
    } else {
      parser.AcceptKeyword("COLUMN");
      alter.action = Action::kAddColumn;
      alter.column = ParseColumnDef(parser);
    }
  } else if (parser.AcceptKeyword("ALTER")) {
    parser.AcceptKeyword("COLUMN");
    alter.action = Action::kAlterColumn;
    alter.column = ParseColumnDef(parser);
  } else if (parser.AcceptKeyword("DROP")) {
    if (parser.AcceptKeyword("CONSTRAINT")) {
      alter.action = Action::kDropConstraint;
      alter.name = parser.ExpectName("a constraint name");
    } else {
      parser.AcceptKeyword("COLUMN");
      alter.action = Action::kDropColumn;
      alter.name = parser.ExpectName("a column name");
    }
  } else {
    parser.FailExpected("ADD, ALTER or DROP");
  }
  return alter;
}

ParsedStatement ParseDropStatement(Parser& parser) {
  Parser::ClauseScope scope(parser, kDropClause);
  SourcePos pos = parser.Peek().pos;
  parser.ExpectKeyword("DROP");
  if (parser.AcceptKeyword("TABLE")) {
    ParsedDropTable drop;
    drop.pos = pos;
    drop.table = parser.ExpectName("a table name");
    return drop;
  }
  if (parser.AcceptKeyword("INDEX")) {
    ParsedDropIndex drop;
    drop.pos = pos;
    drop.name = parser.ExpectName("an index name");
    parser.ExpectKeyword("ON");
    drop.table = parser.ExpectName("a table name");
    return drop;
  }
  parser.FailExpected("TABLE or INDEX");
}

}  // namespace qb::jet::sql
