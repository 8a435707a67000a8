// diagram/diagram_layout: longest-path layering, barycentre ordering, row packing.
#include "diagram/diagram_layout.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace qb::diagram {
namespace {

using Edges = std::vector<std::pair<std::size_t, std::size_t>>;

// The column of each node: the longest path to it from a node nothing points to. Edges that
// close a cycle (found by a depth-first walk) are left out, so the layering is well defined.
std::vector<int> Layers(std::size_t count, const Edges& edges) {
  std::vector<std::vector<std::size_t>> out(count);
  for (const auto& [from, to] : edges) {
    if (from != to) out[from].push_back(to);
  }
  // Depth-first, iteratively (a long chain of tables must not exhaust the stack).
  enum State { kNew, kActive, kDone };
  std::vector<State> state(count, kNew);
  std::vector<std::size_t> order;  // reverse post-order = a topological order of the kept edges
  std::vector<std::vector<std::size_t>> kept(count);
  for (std::size_t root = 0; root < count; ++root) {
    if (state[root] != kNew) continue;
    std::vector<std::pair<std::size_t, std::size_t>> stack = {{root, 0}};
    state[root] = kActive;
    while (!stack.empty()) {
      auto& [node, next] = stack.back();
      if (next < out[node].size()) {
        const std::size_t to = out[node][next++];
        if (state[to] == kActive) continue;  // closes a cycle
        kept[node].push_back(to);
        if (state[to] == kNew) {
          state[to] = kActive;
          stack.push_back({to, 0});
        }
      } else {
        state[node] = kDone;
        order.push_back(node);
        stack.pop_back();
      }
    }
  }
  std::reverse(order.begin(), order.end());
  std::vector<int> layer(count, 0);
  for (std::size_t node : order) {
    for (std::size_t to : kept[node]) layer[to] = std::max(layer[to], layer[node] + 1);
  }
  return layer;
}

// Orders each column by the mean position of each node's neighbours in other columns: sweeps
// left to right and back, a few times.
void OrderColumns(std::vector<std::vector<std::size_t>>& columns, const std::vector<int>& layer,
                  const std::vector<std::vector<std::size_t>>& neighbours) {
  std::vector<double> position(layer.size(), 0);
  auto number = [&](const std::vector<std::size_t>& column) {
    for (std::size_t i = 0; i < column.size(); ++i) {
      position[column[i]] = column.size() > 1 ? static_cast<double>(i) / static_cast<double>(column.size() - 1) : 0.5;
    }
  };
  for (const auto& column : columns) number(column);
  auto sweep = [&](std::size_t c, int towards) {
    std::vector<std::size_t>& column = columns[c];
    std::vector<double> key(column.size());
    for (std::size_t i = 0; i < column.size(); ++i) {
      const std::size_t node = column[i];
      double sum = 0;
      int n = 0;
      for (std::size_t other : neighbours[node]) {
        // Neighbours on the side the sweep comes from; all of them when there are none there.
        if ((layer[other] - layer[node]) * towards < 0) {
          sum += position[other];
          ++n;
        }
      }
      if (n == 0) {
        for (std::size_t other : neighbours[node]) {
          if (layer[other] != layer[node]) {
            sum += position[other];
            ++n;
          }
        }
      }
      key[i] = n > 0 ? sum / n : position[node];
    }
    std::vector<std::size_t> index(column.size());
    std::iota(index.begin(), index.end(), std::size_t{0});
    std::stable_sort(index.begin(), index.end(), [&](std::size_t a, std::size_t b) { return key[a] < key[b]; });
    std::vector<std::size_t> sorted;
    for (std::size_t i : index) sorted.push_back(column[i]);
    column = std::move(sorted);
    number(column);
  };
  for (int pass = 0; pass < 4; ++pass) {
    for (std::size_t c = 1; c < columns.size(); ++c) sweep(c, 1);
    for (std::size_t c = columns.size(); c-- > 1;) sweep(c - 1, -1);
  }
}

}  // namespace

std::vector<QPointF> LayoutBoxes(const std::vector<QSizeF>& sizes, const Edges& edges, const LayoutGaps& gaps) {
  const std::size_t count = sizes.size();
  std::vector<QPointF> at(count);
  Edges valid;
  std::vector<std::vector<std::size_t>> neighbours(count);
  for (const auto& [from, to] : edges) {
    if (from >= count || to >= count) continue;
    valid.push_back({from, to});
    if (from == to) continue;
    neighbours[from].push_back(to);
    neighbours[to].push_back(from);
  }
  std::vector<bool> related(count, false);
  for (std::size_t i = 0; i < count; ++i) related[i] = !neighbours[i].empty();

  // Related tables: columns by layer.
  const std::vector<int> layer = Layers(count, valid);
  std::vector<std::vector<std::size_t>> columns;
  for (std::size_t i = 0; i < count; ++i) {
    if (!related[i]) continue;
    const auto c = static_cast<std::size_t>(layer[i]);
    if (columns.size() <= c) columns.resize(c + 1);
    columns[c].push_back(i);
  }
  OrderColumns(columns, layer, neighbours);
  std::vector<double> heights;
  for (const auto& column : columns) {
    double height = 0;
    for (std::size_t node : column) height += sizes[node].height() + gaps.row;
    heights.push_back(column.empty() ? 0 : height - gaps.row);
  }
  const double tallest = heights.empty() ? 0 : *std::max_element(heights.begin(), heights.end());
  double x = 0, bottom = 0, right = 0;
  for (std::size_t c = 0; c < columns.size(); ++c) {
    if (columns[c].empty()) continue;
    double width = 0;
    double y = (tallest - heights[c]) / 2;  // columns centred on each other
    for (std::size_t node : columns[c]) {
      at[node] = QPointF(x, y);
      y += sizes[node].height() + gaps.row;
      width = std::max(width, sizes[node].width());
    }
    bottom = std::max(bottom, y);
    x += width + gaps.column;
    right = x - gaps.column;
  }

  // Unrelated tables: rows below, as wide as the columns above (or a square-ish block).
  std::vector<std::size_t> rest;
  double total_width = 0, widest = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (related[i]) continue;
    rest.push_back(i);
    total_width += sizes[i].width() + gaps.row;
    widest = std::max(widest, sizes[i].width());
  }
  if (rest.empty()) return at;
  const double square = std::sqrt(static_cast<double>(rest.size())) * (total_width / static_cast<double>(rest.size()));
  const double row_width = std::max({right, square, widest});
  double row_x = 0, row_y = bottom, row_height = 0;
  for (std::size_t node : rest) {
    if (row_x > 0 && row_x + sizes[node].width() > row_width) {
      row_x = 0;
      row_y += row_height + gaps.row;
      row_height = 0;
    }
    at[node] = QPointF(row_x, row_y);
    row_x += sizes[node].width() + gaps.row;
    row_height = std::max(row_height, sizes[node].height());
  }
  return at;
}

}  // namespace qb::diagram
