// app/sqlquery/jet_sql_highlighter: TJetSqlHighlighter colours a Jet SQL statement as it is
// typed: keywords, text literals ('...' and "..."), date literals (#...#) and bracketed names
// ([...]). A literal or name left open at the end of a line goes on in the next one.
#pragma once
#include <QSyntaxHighlighter>
#include <QTextCharFormat>

class QTextDocument;

namespace qb {

class TJetSqlHighlighter : public QSyntaxHighlighter {
  Q_OBJECT

 public:
  // The kinds of text told apart, as the formats are indexed.
  enum Kind { kKeyword, kString, kDate, kName };

  explicit TJetSqlHighlighter(QTextDocument* document);

  const QTextCharFormat& Format(Kind kind) const { return formats_[kind]; }
  // True when WORD (any case) is a Jet SQL keyword.
  static bool IsKeyword(const QString& word);

 protected:
  void highlightBlock(const QString& text) override;

 private:
  QTextCharFormat formats_[4];
};

}  // namespace qb
