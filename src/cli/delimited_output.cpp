// cli/delimited_output: the line loop, reusing one row and one line buffer for every record.
#include "cli/delimited_output.h"

#include "cli/value_text.h"

namespace qb::cli {
namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

bool Contains(std::string_view text, std::string_view part) {
  return !part.empty() && text.find(part) != std::string_view::npos;
}

// Appends TEXT to LINE, quoted when SEPARATORS ask for it and TEXT needs it.
void AppendField(std::string_view text, const Separators& separators, std::string& line) {
  if (!separators.quote || (text.find_first_of("\"\r\n") == std::string_view::npos &&
                            !Contains(text, separators.field) && !Contains(text, separators.record))) {
    line += text;
    return;
  }
  line += '"';
  for (char c : text) {
    if (c == '"') line += '"';
    line += c;
  }
  line += '"';
}

}  // namespace

std::string SeparatorText(std::string_view choice) {
  static const struct {
    const char* name;
    const char* text;
  } kNamed[] = {{"tab", "\t"},   {"comma", ","},  {"semicolon", ";"}, {"space", " "},   {"crlf", "\r\n"},
                {"cr", "\r"},    {"crcr", "\r\r"}, {"lf", "\n"},       {"lfcr", "\n\r"}};
  const std::string lower = Lower(choice);
  for (const auto& named : kNamed) {
    if (lower == named.name) return named.text;
  }
  return std::string(choice);
}

std::int64_t WriteDelimited(RowReader& rows, const Separators& separators,
                            const std::function<void(std::string_view)>& sink,
                            const std::function<void(std::int64_t)>& progress, std::int64_t progress_every) {
  std::string line;
  bool first = true;
  for (const std::string& name : rows.Names()) {
    if (!first) line += separators.field;
    AppendField(name, separators, line);
    first = false;
  }
  line += separators.record;
  sink(line);

  std::int64_t count = 0;
  std::vector<Variant> row;
  std::string value;
  while (rows.Next(row)) {
    line.clear();
    for (std::size_t i = 0; i < row.size(); ++i) {
      if (i > 0) line += separators.field;
      if (separators.quote) {
        value.clear();
        AppendValueText(row[i], value);
        AppendField(value, separators, line);
      } else {
        AppendValueText(row[i], line);
      }
    }
    line += separators.record;
    sink(line);
    ++count;
    if (progress && progress_every > 0 && count % progress_every == 0) progress(count);
  }
  return count;
}

}  // namespace qb::cli
