// One PhysXUpdate step with the grid against the all-pairs pass, on masses
// spread so that each touches a few others and on masses piled on one spot.
// Every iteration steps the same scene from the start, so a scene cannot
// drift apart into one where nothing touches.
#include <benchmark/benchmark.h>

#include <cstring>

#include "physics.h"
#include "physics_scenes.h"
#include "tables.h"
#include "veltra/veltra.h"

namespace {
using scenes::Masses;

void load(const Masses& scene) {
  veltra::detail::resetTables();
  for (std::size_t i = 0; i < scene.size(); ++i) vLPhysX().NewPhysX();
  std::memcpy(veltra::massTable().data(), scene.data(), scene.size() * sizeof scene[0]);
}

void allPairsStep() {
  auto& table = veltra::massTable();
  veltra::motionPass(table.data(), table.count(), veltra::inertion());
  veltra::snapshotPass(table.data(), table.count());
  veltra::separateAllPairs(table.data(), table.count());
}

void Step(benchmark::State& state, void (*step)(), Masses (*scene)(int)) {
  const Masses start = scene(static_cast<int>(state.range(0)));
  load(start);
  PhysXInertion(0.5f);
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(veltra::massTable().data(), start.data(), start.size() * sizeof start[0]);
    state.ResumeTiming();
    step();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

Masses spread(int n) { return scenes::spread(n, 1); }
Masses pile(int n) { return scenes::pile(n); }

// The all-pairs pass takes about a minute at 100,000 masses: one iteration is plenty.
void sizes(benchmark::internal::Benchmark* b, int upTo) {
  for (int n : {100, 300, 1000, 3000, 10000, 30000, 100000})
    if (n <= upTo) b->Arg(n);
  b->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK_CAPTURE(Step, grid_spread, PhysXUpdate, spread)->Apply([](auto* b) { sizes(b, 100000); });
BENCHMARK_CAPTURE(Step, allpairs_spread, allPairsStep, spread)->Apply([](auto* b) { sizes(b, 100000); });
BENCHMARK_CAPTURE(Step, grid_pile, PhysXUpdate, pile)->Apply([](auto* b) { sizes(b, 3000); });
BENCHMARK_CAPTURE(Step, allpairs_pile, allPairsStep, pile)->Apply([](auto* b) { sizes(b, 3000); });

BENCHMARK_MAIN();
