// jet/sql/translate/translation_cache: remembers recent query translations by statement text and schema
// version, so repeated statement shapes translate once. Least recently used entries go first.
// Not thread-safe: one cache per connection (or a lock around it).
#pragma once
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "com/variant.h"

#include "jet/sql/translate/query_translator.h"

namespace qb::jet::sql {

class TranslationCache {
 public:
  // REQUIRES: CAPACITY > 0.
  explicit TranslationCache(std::size_t capacity = 256) : capacity_(capacity) {}

  // The translation of TEXT against SCHEMA (at its current version) under OPTIONS: the cached
  // one when present, else a new one (then cached). Raises as TranslateQuery; failures are not
  // cached. The result stays valid for as long as the caller holds it.
  std::shared_ptr<const TranslatedQuery> Get(std::string_view text, const QuerySchema& schema,
                                             const QueryTranslateOptions& options = {});

  // TEXT, when it is an INSERT ... VALUES of constants only (constant_shape.h), as the
  // translation shared by every statement differing from it only in its constants, each a
  // placeholder ?1, ?2, ... there, with *CONSTANTS set to TEXT's constants as their values;
  // null when TEXT is no such statement or must be translated as itself (a constant its
  // translation refuses, a number into a Currency field, a statement that fails to translate):
  // the caller then translates TEXT with Get, which reports what is wrong with it.
  std::shared_ptr<const TranslatedQuery> GetShared(std::string_view text, const QuerySchema& schema,
                                                   const QueryTranslateOptions& options,
                                                   std::vector<Variant>* constants);

  std::size_t size() const { return entries_.size(); }
  std::uint64_t misses() const { return misses_; }  // translations actually run
  void Clear();

 private:
  struct Entry {
    std::string key;
    std::shared_ptr<const TranslatedQuery> query;  // null: a shape that has no shared translation
  };
  // The cached entry of KEY, now the most recently used; null when there is none.
  Entry* Find(const std::string& key);
  void Add(std::string key, std::shared_ptr<const TranslatedQuery> query);
  const std::size_t capacity_;  // constant after construction
  std::list<Entry> entries_;    // most recently used first
  std::unordered_map<std::string, std::list<Entry>::iterator> index_;
  std::uint64_t misses_ = 0;
};

}  // namespace qb::jet::sql
