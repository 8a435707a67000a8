// app/sqlquery/jet_sql_highlighter: a one-pass scan of each line. The block state carries the
// closing character of a literal or name still open at the line's end (-1: none).
#include "app/sqlquery/jet_sql_highlighter.h"

#include <QSet>

namespace qb {

namespace {

const QSet<QString>& Keywords() {
  static const QSet<QString> words = [] {
    QSet<QString> set;
    for (const char* word :
         {"ADD", "ALL", "ALTER", "AND", "AS", "ASC", "BETWEEN", "BY", "COLUMN", "CONSTRAINT", "CREATE",
          "DATABASE", "DELETE", "DESC", "DISTINCT", "DISTINCTROW", "DROP", "EXISTS", "FOREIGN", "FROM",
          "GROUP", "HAVING", "IN", "INDEX", "INNER", "INSERT", "INTO", "IS", "JOIN", "KEY", "LEFT", "LIKE",
          "NOT", "NULL", "ON", "OR", "ORDER", "OUTER", "PARAMETERS", "PERCENT", "PIVOT", "PRIMARY", "PROCEDURE",
          "REFERENCES", "RIGHT", "SELECT", "SET", "TABLE", "TOP", "TRANSFORM", "UNION", "UNIQUE", "UPDATE",
          "VALUES", "VIEW", "WHERE", "WITH", "XOR", "EQV", "IMP", "MOD", "BINARY", "BIT", "BYTE", "COUNTER",
          "AUTOINCREMENT", "CURRENCY", "DATETIME", "DOUBLE", "FLOAT", "GUID", "IMAGE", "INTEGER", "LONG",
          "LONGBINARY", "LONGTEXT", "MEMO", "MONEY", "NUMERIC", "OLEOBJECT", "REAL", "SHORT", "SINGLE",
          "SMALLINT", "TEXT", "VARCHAR", "YESNO", "TRUE", "FALSE", "CASCADE"}) {
      set.insert(QString::fromLatin1(word));
    }
    return set;
  }();
  return words;
}

bool IsWordChar(QChar c) { return c.isLetterOrNumber() || c == '_'; }

}  // namespace

TJetSqlHighlighter::TJetSqlHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {
  formats_[kKeyword].setForeground(QColor(0, 0, 160));
  formats_[kKeyword].setFontWeight(QFont::Bold);
  formats_[kString].setForeground(QColor(160, 0, 0));
  formats_[kDate].setForeground(QColor(128, 0, 128));
  formats_[kName].setForeground(QColor(0, 110, 0));
}

bool TJetSqlHighlighter::IsKeyword(const QString& word) { return Keywords().contains(word.toUpper()); }

void TJetSqlHighlighter::highlightBlock(const QString& text) {
  const int length = static_cast<int>(text.size());
  int pos = 0;
  auto kind_of = [this](QChar close) {
    return close == '#' ? kDate : close == ']' ? kName : kString;
  };
  // Runs from START to the closing character CLOSE (a doubled quote stays inside a literal);
  // returns the position after it, or the line's end with the state left open.
  auto run_to_close = [&](int start, int from, QChar close) {
    int i = from;
    while (i < length) {
      if (text[i] == close) {
        const bool doubled_quote = close != ']' && close != '#' && i + 1 < length && text[i + 1] == close;
        if (!doubled_quote) {
          setFormat(start, i + 1 - start, formats_[kind_of(close)]);
          return i + 1;
        }
        i += 2;
        continue;
      }
      ++i;
    }
    setFormat(start, length - start, formats_[kind_of(close)]);
    setCurrentBlockState(close.unicode());
    return length;
  };

  setCurrentBlockState(-1);
  if (previousBlockState() > 0) pos = run_to_close(0, 0, QChar(char16_t(previousBlockState())));
  while (pos < length) {
    const QChar c = text[pos];
    if (c == '\'' || c == '"') {
      pos = run_to_close(pos, pos + 1, c);
    } else if (c == '#') {
      pos = run_to_close(pos, pos + 1, '#');
    } else if (c == '[') {
      pos = run_to_close(pos, pos + 1, ']');
    } else if (IsWordChar(c)) {
      int end = pos;
      while (end < length && IsWordChar(text[end])) ++end;
      // A word directly after a dot is a field name (T.Name), never a keyword.
      const bool qualified = pos > 0 && text[pos - 1] == '.';
      if (!qualified && IsKeyword(text.mid(pos, end - pos))) setFormat(pos, end - pos, formats_[kKeyword]);
      pos = end;
    } else {
      ++pos;
    }
  }
}

}  // namespace qb
