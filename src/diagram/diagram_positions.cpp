// diagram/diagram_positions: the "DiagramLayout" database property.
#include "diagram/diagram_positions.h"

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "com/ole_exception.h"
#include "jet/dao/engine_options.h"
#include "jet/dao/database.h"
#include "jet/dao/property.h"

namespace qb::diagram {
namespace {

constexpr int kMemo = 12;

bool ReadNumber(const std::string& text, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size() && std::isfinite(value) && std::fabs(value) < 1e7;
}

// Whole units: the text stays short and does not depend on the locale.
std::string Number(double value) { return std::to_string(std::lround(value)); }

std::shared_ptr<jet::Property> FindProperty(jet::Database& database) {
  auto properties = database.Properties();
  for (int i = 0; i < properties->Count(); ++i) {
    auto property = properties->Item(i);
    if (jet::FoldCase(property->Name()) == jet::FoldCase(kLayoutProperty)) return property;
  }
  return nullptr;
}

}  // namespace

std::string FormatPositions(const Positions& positions) {
  std::string text;
  for (const auto& [key, stored] : positions) {
    text += stored.name + "=" + Number(stored.at.x()) + "," + Number(stored.at.y()) + "\n";
  }
  return text;
}

Positions ParsePositions(const std::string& text) {
  Positions positions;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // The name may hold '=' itself; the numbers never do.
    const std::size_t equals = line.rfind('=');
    if (equals == std::string::npos || equals == 0) continue;
    const std::string numbers = line.substr(equals + 1);
    const std::size_t comma = numbers.find(',');
    double x = 0, y = 0;
    if (comma == std::string::npos || !ReadNumber(numbers.substr(0, comma), x) ||
        !ReadNumber(numbers.substr(comma + 1), y)) {
      continue;
    }
    SetPosition(positions, line.substr(0, equals), QPointF(x, y));
  }
  return positions;
}

void SetPosition(Positions& positions, const std::string& name, QPointF at) {
  positions[jet::FoldCase(name)] = {name, at};
}

const QPointF* FindPosition(const Positions& positions, const std::string& name) {
  auto found = positions.find(jet::FoldCase(name));
  return found == positions.end() ? nullptr : &found->second.at;
}

Positions LoadPositions(jet::Database& database) {
  auto property = FindProperty(database);
  if (!property) return {};
  const Variant value = property->Value();
  if (value.IsNull() || value.IsEmpty()) return {};
  return ParsePositions(value.ToString());
}

void SavePositions(jet::Database& database, const Positions& positions) {
  const std::string text = FormatPositions(positions);
  if (auto property = FindProperty(database)) {
    property->SetValue(Variant(text));
  } else {
    database.CreateProperty(kLayoutProperty, kMemo, Variant(text));
  }
}

}  // namespace qb::diagram
