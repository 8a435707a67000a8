// jet/odbc/server_views: saved queries to server views (see server_views.h).
#include "jet/odbc/server_views.h"

#include <exception>
#include <functional>
#include <optional>
#include <variant>

#include "jet/sql/parse/parser.h"

namespace qb::jet::odbc {

namespace {

// The view's SELECT for SQL, or why there is none.
std::string ViewSelect(const std::string& sql, NameSpellings& names, std::vector<std::string>* sources) {
  std::optional<sql::ParsedStatement> statement;
  try {
    statement.emplace(sql::ParseStatement(sql));
  } catch (const std::exception& error) {
    throw NotExpressible(std::string("its SQL does not read (") + error.what() + ")");
  }
  const auto* query_statement = std::get_if<sql::ParsedQueryStatement>(&*statement);
  if (!query_statement) throw NotExpressible("it changes the design of a table");
  if (!query_statement->parameters.empty()) throw NotExpressible("it takes parameters");
  const auto& body = query_statement->body;
  if (std::holds_alternative<sql::ParsedTransform>(body)) throw NotExpressible("it is a crosstab query");
  if (!std::holds_alternative<sql::ParsedQuery>(body)) throw NotExpressible("it is an action query");
  ServerSelect select = ServerSelectSql(std::get<sql::ParsedQuery>(body), names);
  *sources = std::move(select.sources);
  return select.sql;
}

}  // namespace

ViewPlan PlanServerViews(const std::vector<SavedQuery>& queries, NameSpellings& names) {
  // Each view keeps its query's name as spelled; registered before any query text is read, so
  // a query naming another in other case still finds it.
  for (const SavedQuery& query : queries) names.Spell(query.name);
  struct Entry {
    std::string why_not;             // empty while it can be carried
    std::vector<std::size_t> reads;  // the saved queries it reads
  };
  std::vector<Entry> entries(queries.size());
  {
    // A first reading finds what each query reads. Its spellings are thrown away: a view's
    // columns must take the spelling of the query that defines them, which is written first.
    NameSpellings scratch = names;
    for (std::size_t i = 0; i < queries.size(); ++i) {
      std::vector<std::string> sources;
      try {
        ViewSelect(queries[i].sql, scratch, &sources);
      } catch (const NotExpressible& why) {
        entries[i].why_not = why.what();
        continue;
      }
      for (const std::string& source : sources) {
        for (std::size_t k = 0; k < queries.size(); ++k) {
          if (SameName(source, queries[k].name)) entries[i].reads.push_back(k);
        }
      }
    }
  }

  // Depth first: a query after every query it reads. A query reading one that stays behind (or,
  // through others, itself) stays behind too.
  enum class Mark { kNone, kVisiting, kDone };
  std::vector<Mark> marks(queries.size(), Mark::kNone);
  ViewPlan plan;
  std::function<void(std::size_t)> visit = [&](std::size_t i) {
    if (marks[i] != Mark::kNone) return;
    marks[i] = Mark::kVisiting;
    for (std::size_t k : entries[i].reads) {
      if (!entries[i].why_not.empty()) break;
      if (marks[k] == Mark::kVisiting) {
        entries[i].why_not = "it reads itself through the query " + queries[k].name;
        break;
      }
      visit(k);
      if (!entries[k].why_not.empty()) entries[i].why_not = "it reads the query " + queries[k].name + ", which is not carried over";
    }
    marks[i] = Mark::kDone;
    if (entries[i].why_not.empty()) {
      std::vector<std::string> sources;
      try {
        const std::string select = ViewSelect(queries[i].sql, names, &sources);
        plan.views.push_back({queries[i].name, "CREATE VIEW " + QuoteServerName(names.Spell(queries[i].name)) + " AS " + select});
      } catch (const NotExpressible& why) {
        entries[i].why_not = why.what();  // read the same way as the first time: not expected
      }
    }
  };
  for (std::size_t i = 0; i < queries.size(); ++i) visit(i);
  for (std::size_t i = 0; i < queries.size(); ++i) {
    if (!entries[i].why_not.empty()) plan.not_carried.push_back("query " + queries[i].name + ": " + entries[i].why_not);
  }
  return plan;
}

}  // namespace qb::jet::odbc
