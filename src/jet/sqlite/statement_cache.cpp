// jet/sqlite/statement_cache: an LRU list of compiled statements with an index by SQL text.
#include "jet/sqlite/statement_cache.h"

#include "jet/sqlite/connection.h"

namespace qb::jet {

Statement& StatementCache::Get(std::string_view sql) {
  auto found = index_.find(sql);
  if (found != index_.end()) {
    entries_.splice(entries_.begin(), entries_, found->second);
    Statement& statement = found->second->statement;
    statement.Reset();
    return statement;
  }
  Statement statement = connection_.Prepare(sql);
  entries_.push_front(Entry{std::string(sql), std::move(statement)});
  index_.emplace(entries_.front().sql, entries_.begin());
  while (entries_.size() > capacity_) {
    index_.erase(entries_.back().sql);
    entries_.pop_back();
  }
  return entries_.front().statement;
}

void StatementCache::Clear() {
  index_.clear();
  entries_.clear();
}

}  // namespace qb::jet
