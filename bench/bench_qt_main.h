// bench_qt_main: the main of a benchmark that needs the Qt application (the components, the
// windows): offscreen, with the wait cursor left alone. Include once, in the program's one file.
#pragma once
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>

#include "engine/dao_wait_cursor.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  qb::ShowWaitCursor = false;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
