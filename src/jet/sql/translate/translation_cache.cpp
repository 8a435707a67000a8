// jet/sql/translate/translation_cache: an LRU list with a hash index. Keys are built from the schema
// version, the collation and the text, so a schema change never serves a stale translation.
// Shapes of constant-only inserts share the list under keys of their own kind.
#include "jet/sql/translate/translation_cache.h"

#include "com/ole_exception.h"
#include "jet/sql/translate/constant_shape.h"

namespace qb::jet::sql {
namespace {

// What every key starts with: the schema version and the options, then KIND.
std::string KeyHead(const QuerySchema& schema, const QueryTranslateOptions& options, const char* kind) {
  std::string key = std::to_string(schema.Version());
  key += '\x1f';
  key += options.text_collation;
  key += options.currency_amounts ? "\x1f$" : "\x1f-";
  key += kind;
  return key;
}

}  // namespace

TranslationCache::Entry* TranslationCache::Find(const std::string& key) {
  auto found = index_.find(key);
  if (found == index_.end()) return nullptr;
  entries_.splice(entries_.begin(), entries_, found->second);
  return &*found->second;
}

void TranslationCache::Add(std::string key, std::shared_ptr<const TranslatedQuery> query) {
  entries_.push_front({key, std::move(query)});
  index_[std::move(key)] = entries_.begin();
  while (entries_.size() > capacity_) {
    index_.erase(entries_.back().key);
    entries_.pop_back();
  }
}

std::shared_ptr<const TranslatedQuery> TranslationCache::Get(std::string_view text,
                                                             const QuerySchema& schema,
                                                             const QueryTranslateOptions& options) {
  std::string key = KeyHead(schema, options, options.with_row_key ? "\x1fk\x1f" : "\x1f-\x1f");
  key += text;
  if (Entry* entry = Find(key)) return entry->query;
  auto query = std::make_shared<const TranslatedQuery>(TranslateQuery(text, schema, options));
  ++misses_;
  Add(std::move(key), query);
  return query;
}

std::shared_ptr<const TranslatedQuery> TranslationCache::GetShared(std::string_view text, const QuerySchema& schema,
                                                                   const QueryTranslateOptions& options,
                                                                   std::vector<Variant>* constants) {
  std::optional<ConstantShape> shape = ShapeOfConstantInsert(text);
  if (!shape) return nullptr;
  std::string key = KeyHead(schema, options, "\x1fs\x1f");
  key += shape->key;
  std::shared_ptr<const TranslatedQuery> query;
  if (Entry* entry = Find(key)) {
    query = entry->query;
  } else {
    QueryTranslateOptions shared = options;
    shared.with_row_key = false;
    shared.constants_as_placeholders = true;
    try {
      query = std::make_shared<const TranslatedQuery>(TranslateQuery(text, schema, shared));
    } catch (const EOleException&) {
      return nullptr;  // nothing kept: the text's own translation reports it
    }
    ++misses_;
    // A shape whose constants stay in its SQL is remembered as one to translate as itself.
    if (query->constant_targets.empty()) query.reset();
    Add(std::move(key), query);
  }
  if (!query || !ConstantValues(*shape, *query, constants)) return nullptr;
  return query;
}

void TranslationCache::Clear() {
  entries_.clear();
  index_.clear();
}

}  // namespace qb::jet::sql
