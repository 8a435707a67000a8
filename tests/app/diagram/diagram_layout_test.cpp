// The diagram's automatic layout and its stored positions: boxes never overlap over random
// schemas, primary tables stand left of the tables that reference them, unrelated tables are
// packed below; the "Name=x,y" text reads back what was written and skips what does not read.
#include <gtest/gtest.h>

#include <QRectF>
#include <random>

#include "diagram/diagram_layout.h"
#include "diagram/diagram_positions.h"

namespace qb::test {
namespace {

using Edges = std::vector<std::pair<std::size_t, std::size_t>>;

// The first pair of boxes that overlap, as "i/j", or "" when none do.
std::string Overlap(const std::vector<QSizeF>& sizes, const std::vector<QPointF>& at) {
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    for (std::size_t j = i + 1; j < sizes.size(); ++j) {
      if (QRectF(at[i], sizes[i]).intersects(QRectF(at[j], sizes[j]))) {
        return std::to_string(i) + "/" + std::to_string(j);
      }
    }
  }
  return "";
}

TEST(DiagramLayoutTest, BoxesNeverOverlapOverRandomSchemas) {
  std::mt19937 random(20261207);
  for (int round = 0; round < 200; ++round) {
    const std::size_t count = std::uniform_int_distribution<std::size_t>(0, 40)(random);
    std::vector<QSizeF> sizes;
    for (std::size_t i = 0; i < count; ++i) {
      sizes.emplace_back(std::uniform_real_distribution<double>(60, 300)(random),
                         std::uniform_real_distribution<double>(20, 400)(random));
    }
    Edges edges;
    const std::size_t edge_count = count ? std::uniform_int_distribution<std::size_t>(0, count * 2)(random) : 0;
    std::uniform_int_distribution<std::size_t> node(0, count ? count - 1 : 0);
    for (std::size_t e = 0; e < edge_count; ++e) edges.push_back({node(random), node(random)});  // cycles, loops too
    const std::vector<QPointF> at = diagram::LayoutBoxes(sizes, edges);
    ASSERT_EQ(at.size(), count);
    EXPECT_EQ(Overlap(sizes, at), "") << "round " << round;
  }
}

TEST(DiagramLayoutTest, PrimaryTablesStandLeftOfTheirForeignTables) {
  // 0 -> 1 -> 2, 0 -> 2, a cycle 3 <-> 4 and two unrelated tables 5, 6.
  const std::vector<QSizeF> sizes(7, QSizeF(100, 80));
  const Edges edges = {{0, 1}, {1, 2}, {0, 2}, {3, 4}, {4, 3}};
  const std::vector<QPointF> at = diagram::LayoutBoxes(sizes, edges);
  EXPECT_LT(at[0].x(), at[1].x());
  EXPECT_LT(at[1].x(), at[2].x()) << "the longest path decides the column";
  EXPECT_NE(at[3].x(), at[4].x()) << "a cycle is still spread over columns";
  double related_bottom = 0;
  for (std::size_t i = 0; i < 5; ++i) related_bottom = std::max(related_bottom, at[i].y() + sizes[i].height());
  EXPECT_GT(at[5].y(), related_bottom) << "unrelated tables go below";
  EXPECT_EQ(at[5].y(), at[6].y()) << "packed in a row";
  EXPECT_EQ(Overlap(sizes, at), "");
}

TEST(DiagramLayoutTest, OrderingWithinColumnsUncrossesLines) {
  // Two parents, each with one child; listed so that the children come crosswise.
  const std::vector<QSizeF> sizes(4, QSizeF(100, 60));
  const std::vector<QPointF> at = diagram::LayoutBoxes(sizes, {{0, 3}, {1, 2}});
  EXPECT_EQ(at[0].y() < at[1].y(), at[3].y() < at[2].y());
}

TEST(DiagramPositionsTest, TextReadsBackAndSkipsWhatDoesNotRead) {
  diagram::Positions positions;
  diagram::SetPosition(positions, "Orders", QPointF(10, -20.4));
  diagram::SetPosition(positions, "A=B", QPointF(3, 4));
  diagram::SetPosition(positions, "orders", QPointF(7, 8));  // the same table
  const std::string text = diagram::FormatPositions(positions);
  EXPECT_EQ(text, "A=B=3,4\norders=7,8\n");
  const diagram::Positions back = diagram::ParsePositions(text);
  ASSERT_NE(diagram::FindPosition(back, "ORDERS"), nullptr);
  EXPECT_EQ(*diagram::FindPosition(back, "ORDERS"), QPointF(7, 8));
  EXPECT_EQ(*diagram::FindPosition(back, "a=b"), QPointF(3, 4));

  struct Case {
    const char* text;
    std::size_t count;
  };
  const Case cases[] = {
      {"", 0},        {"T=1,2\r\n", 1}, {"T=1\n", 0},       {"=1,2\n", 0},     {"T=x,2\n", 0},
      {"T=1,2,3\n", 0}, {"T=nan,2\n", 0}, {"T=1e300,2\n", 0}, {"T 1,2\nU=5,6", 1},
  };
  for (const Case& c : cases) EXPECT_EQ(diagram::ParsePositions(c.text).size(), c.count) << c.text;
}

}  // namespace
}  // namespace qb::test
