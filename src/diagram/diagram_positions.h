// diagram/diagram_positions: where the user put the diagram's boxes, kept in the database file
// itself (every user of the file sees the same picture; compacting copies it) as the Memo
// database property "DiagramLayout": one line per table, "Name=x,y".
#pragma once
#include <map>
#include <string>

#include <QPointF>

namespace qb::jet {
class Database;
}

namespace qb::diagram {

inline constexpr const char* kLayoutProperty = "DiagramLayout";

// By table name, case ignored through the folded key.
struct StoredPosition {
  std::string name;  // as written
  QPointF at;
};
using Positions = std::map<std::string, StoredPosition>;  // key: the folded table name

// The text form and back. Lines that do not read are skipped (a hand-edited property must not
// stop the diagram from opening).
std::string FormatPositions(const Positions& positions);
Positions ParsePositions(const std::string& text);

// Adds or replaces the position of table NAME.
void SetPosition(Positions& positions, const std::string& name, QPointF at);
// The position of table NAME, or nullptr.
const QPointF* FindPosition(const Positions& positions, const std::string& name);

// What DATABASE keeps (empty when it keeps nothing).
Positions LoadPositions(jet::Database& database);
// Writes POSITIONS into DATABASE (making the property the first time). Raises the engine's
// error (kReadOnly on a read-only open).
void SavePositions(jet::Database& database, const Positions& positions);

}  // namespace qb::diagram
