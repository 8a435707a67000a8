// jet/odbc/server_sql: a Jet SELECT query written as standard SQL for a database server (in the
// form PostgreSQL reads), so that a saved query can live on the server as a view. Names are
// quoted in the spelling the server stores; Jet's operators, common functions, literals, Null
// ordering and case-blind text matching are mapped. What has no faithful form there is refused
// with the reason rather than written as something that gives other rows.
#pragma once
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "jet/base/unicode_text.h"
#include "jet/sql/parse/parsed_query.h"

namespace qb::jet::odbc {

// The spelling each name has on the server. Jet matches names whatever their case, the server
// matches quoted names exactly, so every name written goes through one spelling: the first one
// met (the tables and fields are added first, as the server has them).
class NameSpellings {
 public:
  // The spelling of NAME, which becomes NAME itself when none is known yet.
  const std::string& Spell(const std::string& name);

 private:
  std::map<std::string, std::string, NameLess> spellings_;
};

// Why a query cannot be carried to the server, in words for the user.
struct NotExpressible : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct ServerSelect {
  std::string sql;
  std::vector<std::string> sources;  // the tables and saved queries read, as written, in order met
};

// QUERY as the server's SQL. Raises NotExpressible for what has no faithful form: TOP n PERCENT,
// DISTINCTROW over a join, a function not mapped, Nz without its second argument, a Like
// pattern that is not a literal, a make-table SELECT ... INTO.
ServerSelect ServerSelectSql(const sql::ParsedQuery& query, NameSpellings& names);

// NAME quoted for the server ("a""b").
std::string QuoteServerName(const std::string& name);

}  // namespace qb::jet::odbc
