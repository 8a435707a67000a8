// jet/odbc/server_views: which saved queries of a database file become views on a server, as
// what statements and in what order (a query after every query it reads), and why the others
// stay behind. Writes nothing to the server itself.
#pragma once
#include <string>
#include <vector>

#include "jet/odbc/server_sql.h"

namespace qb::jet::odbc {

struct SavedQuery {
  std::string name;
  std::string sql;
};

struct ServerView {
  std::string name;
  std::string create;  // CREATE VIEW ... AS ...
};

struct ViewPlan {
  std::vector<ServerView> views;         // in an order the server can create them
  std::vector<std::string> not_carried;  // "query NAME: why", in the order of QUERIES
};

// The views for QUERIES. NAMES holds the spellings of what is on the server already (the
// tables and their fields); the views' names and columns are added to it.
ViewPlan PlanServerViews(const std::vector<SavedQuery>& queries, NameSpellings& names);

}  // namespace qb::jet::odbc
