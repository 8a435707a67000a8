// jet/sqlite/statement_cache: compiled statements of one connection kept by their SQLite SQL, so that
// statements run again and again (the same Execute shape, a recordset's fetches) compile once.
// Least recently used statements go first. Not thread-safe: one per connection.
#pragma once
#include <cstddef>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>

#include "jet/sqlite/statement.h"

namespace qb::jet {

class Connection;

class StatementCache {
 public:
  // Compiles on CONNECTION, which must outlive this cache. REQUIRES: CAPACITY > 0.
  explicit StatementCache(Connection& connection, std::size_t capacity = 64)
      : connection_(connection), capacity_(capacity) {}
  StatementCache(const StatementCache&) = delete;
  StatementCache& operator=(const StatementCache&) = delete;

  // The statement for SQL, reset and ready to bind: the cached one, else a new one (raising
  // the engine error when SQL does not compile; nothing is cached then). The reference stays
  // valid until the next Get or Clear; the caller resets the statement when done with it, so
  // that no read stays open (see Lease).
  Statement& Get(std::string_view sql);

  std::size_t size() const { return entries_.size(); }
  void Clear();

 private:
  struct Entry {
    std::string sql;
    Statement statement;
  };
  Connection& connection_;      // constant after construction
  const std::size_t capacity_;  // constant after construction
  std::list<Entry> entries_;    // most recently used first
  std::unordered_map<std::string_view, std::list<Entry>::iterator> index_;  // keys view Entry::sql
};

}  // namespace qb::jet
