// cli/script_splitter: one pass over the script's bytes (the delimiters are ASCII, so UTF-8
// text passes through untouched).
#include "cli/script_splitter.h"

#include <strings.h>

#include <stdexcept>

namespace qb::cli {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string Trim(std::string_view text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && IsSpace(text[begin])) ++begin;
  while (end > begin && IsSpace(text[end - 1])) --end;
  return std::string(text.substr(begin, end - begin));
}

// Does the statement starting at TEXT open with the word PARAMETERS?
bool StartsWithParameters(std::string_view text) {
  constexpr std::string_view kWord = "PARAMETERS";
  if (text.size() < kWord.size() || ::strncasecmp(text.data(), kWord.data(), kWord.size()) != 0) return false;
  if (text.size() == kWord.size()) return true;
  const char next = text[kWord.size()];
  return IsSpace(next) || next == '[';
}

const char* LiteralName(char open) {
  switch (open) {
    case '[': return "name";
    case '#': return "date";
    default: return "string";
  }
}

}  // namespace

std::vector<ScriptStatement> SplitScript(std::string_view script) {
  std::vector<ScriptStatement> statements;
  std::size_t start = 0;
  int line = 1, start_line = 1, start_column = 1;
  std::size_t line_start = 0;  // where the current line begins
  bool started = false, parameters_open = false;
  auto finish = [&](std::size_t end) {
    std::string text = Trim(script.substr(start, end - start));
    if (!text.empty()) statements.push_back({std::move(text), start_line, start_column});
    started = false;
    parameters_open = false;
  };
  for (std::size_t i = 0; i < script.size(); ++i) {
    const char c = script[i];
    if (!started && !IsSpace(c) && c != ';') {
      started = true;
      start = i;
      start_line = line;
      start_column = static_cast<int>(i - line_start) + 1;
      parameters_open = StartsWithParameters(script.substr(i));
    }
    if (c == '\n') {
      ++line;
      line_start = i + 1;
    }
    char close = 0;
    if (c == '\'' || c == '"') close = c;
    if (c == '[') close = ']';
    if (c == '#') close = '#';
    if (close != 0) {
      // Skip to the closing character; a doubled quote inside a string stands for one quote.
      const int open_line = line, open_column = static_cast<int>(i - line_start) + 1;
      bool closed = false;
      for (++i; i < script.size(); ++i) {
        if (script[i] == '\n') {
          ++line;
          line_start = i + 1;
        }
        if (script[i] != close) continue;
        if ((close == '\'' || close == '"') && i + 1 < script.size() && script[i + 1] == close) {
          ++i;
          continue;
        }
        closed = true;
        break;
      }
      if (!closed) {
        throw std::runtime_error(std::string("the script's ") + LiteralName(c) + " opened with " + c + " at line " +
                                 std::to_string(open_line) + ", column " + std::to_string(open_column) +
                                 " is never closed: nothing was changed");
      }
      continue;
    }
    if (c != ';') continue;
    if (parameters_open) {
      parameters_open = false;  // the declaration's own ";": the statement goes on
      continue;
    }
    if (started) finish(i);
    start = i + 1;
  }
  if (started) finish(script.size());
  return statements;
}

}  // namespace qb::cli
