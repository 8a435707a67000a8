// jet/sql/parse/date_literal: the #date# reader and the reader of text used as a date. Pure text to
// serial; the calendar and the short date form are core's.
#include "jet/sql/parse/date_literal.h"

#include <string>
#include <vector>

#include "core/convert_error.h"
#include "core/date_serial.h"

namespace qb::jet::sql {
namespace {

// One piece of the literal: a run of digits, a run of letters or a separator character.
struct Piece {
  enum Kind { kNumber, kWord, kSep } kind;
  std::string text;
  int value = 0;  // kNumber only (capped, so that long runs of digits cannot overflow)
};

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool Split(std::string_view body, std::vector<Piece>& pieces) {
  std::size_t i = 0;
  while (i < body.size()) {
    char c = body[i];
    if (c == ' ' || c == '\t') {
      ++i;
      continue;
    }
    Piece piece{Piece::kSep, {}};
    if (c >= '0' && c <= '9') {
      piece.kind = Piece::kNumber;
      while (i < body.size() && body[i] >= '0' && body[i] <= '9') {
        piece.text += body[i];
        if (piece.value < 100000) piece.value = piece.value * 10 + (body[i] - '0');
        ++i;
      }
    } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
      piece.kind = Piece::kWord;
      while (i < body.size() && ((body[i] >= 'a' && body[i] <= 'z') ||
                                 (body[i] >= 'A' && body[i] <= 'Z'))) {
        piece.text += Lower(body[i]);
        ++i;
      }
    } else if (c == '/' || c == '-' || c == ',' || c == ':' || c == '.') {
      piece.text = std::string(1, c);
      ++i;
    } else {
      return false;
    }
    pieces.push_back(std::move(piece));
  }
  return true;
}

// Month number of an English month name or its three-letter abbreviation; 0 when none.
int MonthFromName(const std::string& word) {
  static const char* const kNames[] = {"january", "february", "march",     "april",
                                       "may",     "june",     "july",      "august",
                                       "september", "october", "november", "december"};
  for (int m = 0; m < 12; ++m) {
    std::string_view name = kNames[m];
    if (word == name || (word.size() == 3 && name.substr(0, 3) == word) ||
        (word == "sept" && m == 8)) {
      return m + 1;
    }
  }
  return 0;
}

int WindowYear(const Piece& year) {
  if (year.text.size() <= 2) return year.value < 30 ? 2000 + year.value : 1900 + year.value;
  return year.value;
}

// Reads a time from PIECES[at..]: h:n[:s] [am|pm] or h am|pm. Sets FRACTION and returns true
// when it consumed every remaining piece.
bool ReadTime(const std::vector<Piece>& pieces, std::size_t at, double& fraction) {
  std::size_t i = at;
  int parts[3] = {0, 0, 0};
  int count = 0;
  while (i < pieces.size() && pieces[i].kind == Piece::kNumber && count < 3) {
    if (pieces[i].text.size() > 2) return false;
    parts[count++] = pieces[i].value;
    ++i;
    if (i < pieces.size() && pieces[i].kind == Piece::kSep && pieces[i].text == ":") {
      ++i;
      if (i >= pieces.size() || pieces[i].kind != Piece::kNumber) return false;
    } else {
      break;
    }
  }
  if (count == 0) return false;
  bool has_marker = false;
  bool pm = false;
  if (i < pieces.size() && pieces[i].kind == Piece::kWord) {
    const std::string& w = pieces[i].text;
    if (w == "am" || w == "a") {
      has_marker = true;
    } else if (w == "pm" || w == "p") {
      has_marker = true;
      pm = true;
    } else {
      return false;
    }
    ++i;
  }
  if (i != pieces.size()) return false;
  if (count == 1 && !has_marker) return false;  // a bare number is not a time
  int hour = parts[0];
  if (has_marker) {
    if (hour < 1 || hour > 12) return false;
    hour = hour % 12 + (pm ? 12 : 0);
  }
  if (!IsValidTime(hour, parts[1], parts[2], 0)) return false;
  fraction = EncodeTime(hour, parts[1], parts[2]);
  return true;
}

bool IsSep(const Piece& p, const char* seps) {
  return p.kind == Piece::kSep && std::string_view(seps).find(p.text[0]) != std::string_view::npos;
}

// Reads a date from the start of PIECES. Sets Y, M, D and the number of pieces used.
bool ReadDate(const std::vector<Piece>& p, int& y, int& m, int& d, std::size_t& used) {
  auto num = [&](std::size_t i) { return i < p.size() && p[i].kind == Piece::kNumber; };
  auto word = [&](std::size_t i) { return i < p.size() && p[i].kind == Piece::kWord; };
  auto sep = [&](std::size_t i, const char* s) { return i < p.size() && IsSep(p[i], s); };

  // n sep n sep n, the separators alike ("/" or "-").
  if (num(0) && sep(1, "/-") && num(2) && sep(3, "/-") && p[3].text == p[1].text && num(4)) {
    used = 5;
    if (p[0].text.size() >= 3) {  // y-m-d: never re-guessed
      if (p[0].text.size() > 4) return false;
      y = p[0].value;
      m = p[2].value;
      d = p[4].value;
      return true;
    }
    if (p[4].text.size() > 4) return false;
    m = p[0].value;
    d = p[2].value;
    y = WindowYear(p[4]);
    if (m > 12 && d <= 12) std::swap(m, d);  // the lenient day/month reading
    return true;
  }
  // d-Mon-y
  if (num(0) && sep(1, "-/") && word(2) && sep(3, "-/") && num(4)) {
    m = MonthFromName(p[2].text);
    if (m == 0 || p[4].text.size() > 4) return false;
    d = p[0].value;
    y = WindowYear(p[4]);
    used = 5;
    return true;
  }
  // Month d[,] y
  if (word(0) && num(1)) {
    m = MonthFromName(p[0].text);
    std::size_t i = 2;
    if (sep(i, ",")) ++i;
    if (m == 0 || !num(i) || p[i].text.size() > 4) return false;
    d = p[1].value;
    y = WindowYear(p[i]);
    used = i + 1;
    return true;
  }
  return false;
}

}  // namespace

std::optional<double> ParseDateLiteral(std::string_view body) {
  std::vector<Piece> pieces;
  if (!Split(body, pieces) || pieces.empty()) return std::nullopt;
  double fraction = 0;
  // A time alone.
  if (ReadTime(pieces, 0, fraction)) return fraction;
  int y = 0, m = 0, d = 0;
  std::size_t used = 0;
  if (!ReadDate(pieces, y, m, d, used)) return std::nullopt;
  if (!IsValidDate(y, m, d)) return std::nullopt;
  if (used < pieces.size() && !ReadTime(pieces, used, fraction)) return std::nullopt;
  double day = EncodeDate(y, m, d);
  // Before day 0 the time still counts forward from midnight of that day.
  return day < 0 ? day - fraction : day + fraction;
}

}  // namespace qb::jet::sql

namespace qb::jet::sql {

std::optional<double> ParseDateText(std::string_view text) {
  try {
    return TextToDateTime(text);
  } catch (const EConvertError&) {
  }
  return ParseDateLiteral(text);
}

}  // namespace qb::jet::sql
