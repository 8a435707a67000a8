// app/sqlquery/statement_kind: the classification and the error position.
#include "app/sqlquery/statement_kind.h"

#include <QRegularExpression>
#include <QString>

#include "engine/text_scan.h"

namespace qb {

namespace {

QString FirstWordUpper(const std::string& text) {
  return QString::fromStdString(TrimChars(FirstWord(text, kStatementSeparators), kStatementSeparators)).toUpper();
}

}  // namespace

bool IsQueryStatement(const std::string& text) { return FirstWordUpper(text) == "SELECT"; }

bool DeclaresParameters(const std::string& text) { return FirstWordUpper(text) == "PARAMETERS"; }

std::optional<TextPosition> ErrorPosition(const std::string& message) {
  static const QRegularExpression pattern("\\bat line (\\d{1,9}), column (\\d{1,9})\\b");
  const QRegularExpressionMatch match = pattern.match(QString::fromStdString(message));
  if (!match.hasMatch()) return std::nullopt;
  TextPosition position{match.captured(1).toInt(), match.captured(2).toInt()};
  if (position.line < 1 || position.column < 1) return std::nullopt;
  return position;
}

}  // namespace qb
