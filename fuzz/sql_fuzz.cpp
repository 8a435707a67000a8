// fuzz/sql_fuzz: libFuzzer target for the Jet SQL front end: lexes, parses and translates
// arbitrary text as an expression and as a whole statement (queries translated against a small
// fixed schema with saved queries, crosstabs built from made-up pivot values, and through the
// translation cache, whose second look must serve the same translation). Engine errors are
// expected outcomes; anything else (a crash, a hang, a sanitizer report, another exception, a
// cache that translates again) is a finding.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "com/ole_exception.h"
#include "jet/base/jet_types.h"
#include "jet/sql/parse/lexer.h"
#include "jet/sql/translate/memory_schema.h"
#include "jet/sql/parse/parser.h"
#include "jet/sql/translate/query_translator.h"
#include "jet/sql/translate/translation_cache.h"
#include "jet/sql/translate/translator.h"

namespace {

const qb::jet::sql::MemorySchema& Schema() {
  using namespace qb::jet::sql;
  static const MemorySchema schema = [] {
    MemorySchema s;
    s.AddTable("t", {{"a", dao_type::kLong}, {"b", dao_type::kText, 50}, {"c", dao_type::kDate}});
    s.AddTable("u", {{"a", dao_type::kLong}, {"d", dao_type::kCurrency}});
    // Targets of INSERT, UPDATE and DELETE: an AutoNumber, a required field, every other type.
    s.AddTable("v", {{"id", dao_type::kLong, 0, true, true}, {"req", dao_type::kText, 10, true},
                     {"flag", dao_type::kBoolean}, {"by", dao_type::kByte}, {"sm", dao_type::kInteger},
                     {"si", dao_type::kSingle}, {"db", dao_type::kDouble}, {"bin", dao_type::kBinary, 16},
                     {"memo", dao_type::kMemo}, {"ole", dao_type::kLongBinary}, {"g", dao_type::kGuid}});
    s.AddQuery("q", "PARAMETERS p Long; SELECT a, b FROM t WHERE a > p");
    s.AddQuery("r", "SELECT * FROM q INNER JOIN u ON q.a = u.a");
    s.AddQuery("loop", "SELECT * FROM loop");
    return s;
  }();
  return schema;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  using namespace qb::jet::sql;
  try {
    Lex(text);
  } catch (const qb::EOleException&) {
  }
  try {
    ParsedExprPtr expr = ParseExpression(text);
    TranslateOptions options;
    TranslateExpression(*expr, options);
    TranslateCondition(*expr, options);
    ToJetText(*expr);
  } catch (const qb::EOleException&) {
  }
  try {
    ParsedStatement statement = ParseStatement(text);
    KindOfStatement(statement);
  } catch (const qb::EOleException&) {
  }
  try {
    TranslatedQuery query = TranslateQuery(text, Schema());
    if (query.NeedsPivotValues()) {
      TranslateCrosstab(text, Schema(),
                        {qb::Variant::Null(), qb::Variant(1), qb::Variant("x'y"),
                         qb::Variant::FromDate(36526.25), qb::Variant(true)});
    }
  } catch (const qb::EOleException&) {
  }
  try {
    TranslationCache cache(2);
    auto first = cache.Get(text, Schema());
    if (cache.Get(text, Schema()) != first || cache.misses() != 1) __builtin_trap();
  } catch (const qb::EOleException&) {
  }
  return 0;
}
