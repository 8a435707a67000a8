// The relationships diagram of a large schema: 200 tables with 300 relationships, laid out
// (target: well under a second) and built into a scene with its boxes and lines, offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <random>

#include "diagram/diagram_layout.h"
#include "diagram/diagram_render.h"
#include "diagram/diagram_scene.h"

namespace {

qb::diagram::DiagramModel LargeModel(std::size_t tables, std::size_t relations) {
  std::mt19937 random(7);
  qb::diagram::DiagramModel model;
  for (std::size_t t = 0; t < tables; ++t) {
    qb::diagram::DiagramTable table{"Table" + std::to_string(t), {}};
    const int fields = std::uniform_int_distribution<int>(3, 14)(random);
    for (int f = 0; f < fields; ++f) table.fields.push_back({"Field" + std::to_string(f), f == 0});
    model.tables.push_back(std::move(table));
  }
  std::uniform_int_distribution<std::size_t> pick(0, tables - 1);
  for (std::size_t r = 0; r < relations; ++r) {
    qb::diagram::DiagramRelation relation;
    relation.name = "R" + std::to_string(r);
    relation.primary = pick(random);
    relation.foreign = pick(random);
    relation.primary_fields = {"Field0"};
    relation.foreign_fields = {"Field1"};
    model.relations.push_back(relation);
  }
  return model;
}

void BM_LayoutOnly(benchmark::State& state) {
  std::mt19937 random(7);
  std::vector<QSizeF> sizes;
  for (int i = 0; i < 200; ++i) sizes.emplace_back(150, std::uniform_real_distribution<double>(60, 250)(random));
  std::vector<std::pair<std::size_t, std::size_t>> edges;
  std::uniform_int_distribution<std::size_t> pick(0, 199);
  for (int i = 0; i < 300; ++i) edges.push_back({pick(random), pick(random)});
  for (auto _ : state) benchmark::DoNotOptimize(qb::diagram::LayoutBoxes(sizes, edges));
}
BENCHMARK(BM_LayoutOnly)->Unit(benchmark::kMillisecond);

void BM_BuildScene(benchmark::State& state) {
  const qb::diagram::DiagramModel model = LargeModel(200, 300);
  for (auto _ : state) {
    qb::diagram::DiagramScene scene;
    scene.Build(model);
    benchmark::DoNotOptimize(scene.itemsBoundingRect());
  }
}
BENCHMARK(BM_BuildScene)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  std::unique_ptr<QApplication> application = qb::diagram::MakeOffscreenApplication();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
