// diagram/diagram_layout: the automatic arrangement of the diagram's boxes. Tables joined by
// relationships go into columns by the longest path along the relationships (primary tables
// left of the tables that reference them), ordered within each column by the mean position of
// their neighbours over a few sweeps, so that lines cross little; tables without relationships
// are packed in rows below. Boxes never overlap.
#pragma once
#include <cstddef>
#include <utility>
#include <vector>

#include <QPointF>
#include <QSizeF>

namespace qb::diagram {

struct LayoutGaps {
  double column = 90;  // between columns (room for the lines and their end labels)
  double row = 30;     // between boxes in a column or a row
};

// The top-left corner of each box of SIZES (same order). EDGES are (from, to) index pairs,
// from the primary table to the foreign one; self-references and repeats are allowed.
std::vector<QPointF> LayoutBoxes(const std::vector<QSizeF>& sizes,
                                 const std::vector<std::pair<std::size_t, std::size_t>>& edges,
                                 const LayoutGaps& gaps = {});

}  // namespace qb::diagram
