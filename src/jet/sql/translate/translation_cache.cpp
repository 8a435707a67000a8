// jet/sql/translate/translation_cache: an LRU list with a hash index. Keys are built from the schema
// version, the collation and the text, so a schema change never serves a stale translation.
#include "jet/sql/translate/translation_cache.h"

namespace qb::jet::sql {

std::shared_ptr<const TranslatedQuery> TranslationCache::Get(std::string_view text,
                                                             const QuerySchema& schema,
                                                             const QueryTranslateOptions& options) {
  std::string key = std::to_string(schema.Version());
  key += '\x1f';
  key += options.text_collation;
  key += options.with_row_key ? "\x1fk\x1f" : "\x1f-\x1f";
  key += text;
  auto found = index_.find(key);
  if (found != index_.end()) {
    entries_.splice(entries_.begin(), entries_, found->second);
    return found->second->query;
  }
  auto query = std::make_shared<const TranslatedQuery>(TranslateQuery(text, schema, options));
  ++misses_;
  entries_.push_front({key, query});
  index_[std::move(key)] = entries_.begin();
  while (entries_.size() > capacity_) {
    index_.erase(entries_.back().key);
    entries_.pop_back();
  }
  return query;
}

void TranslationCache::Clear() {
  entries_.clear();
  index_.clear();
}

}  // namespace qb::jet::sql
