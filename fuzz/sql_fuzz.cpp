// fuzz/sql_fuzz: libFuzzer target for the Jet SQL front end: lexes, parses and translates
// arbitrary text as an expression and as a statement. Engine errors are expected outcomes;
// anything else (a crash, a hang, a sanitizer report, another exception) is a finding.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "com/ole_exception.h"
#include "jet/sql/lexer.h"
#include "jet/sql/parser.h"
#include "jet/sql/translator.h"

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
    ParseStatement(text);
  } catch (const qb::EOleException&) {
  }
  return 0;
}
