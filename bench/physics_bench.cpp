// PhysXUpdate over masses spread so that each touches a few neighbours.
#include <benchmark/benchmark.h>

#include <cmath>

#include "tables.h"
#include "veltra/veltra.h"

namespace {
void spreadMasses(int count) {
  veltra::detail::resetTables();
  const int side = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(count))));
  for (int i = 0; i < count; ++i) {
    vLPhysX m;
    m.NewPhysX();
    m.SetX(static_cast<float>(i % side) * 9.0f);
    m.SetY(static_cast<float>(i / side) * 9.0f);
    m.SetRange(5.0f);
  }
}

void BM_PhysXUpdate(benchmark::State& state) {
  spreadMasses(static_cast<int>(state.range(0)));
  PhysXInertion(0.5f);
  for (auto _ : state) PhysXUpdate();
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PhysXUpdate)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
}  // namespace

BENCHMARK_MAIN();
