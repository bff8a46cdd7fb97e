// One PhysXUpdate step with the grid against the all-pairs pass: on masses
// spread at random so that each touches a few others (indices in random
// order), on a jittered lattice filled row by row (neighbours near in index
// too), and on masses piled on one spot.
// Every iteration steps the same scene from the start, so a scene cannot
// drift apart into one where nothing touches.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "helpers.h"
#include "physics.h"
#include "physics_grid.h"
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

// The all-pairs pass as it was first written: a direction (an atan2) and a
// distance for every ordered pair, overlapping or not.
void directionsForAllPairsStep() {
  auto& table = veltra::massTable();
  veltra::MassRecord* m = table.data();
  const int n = table.count();
  veltra::motionPass(m, n, veltra::inertion());
  veltra::snapshotPass(m, n);
  for (int j = 0; j < n; ++j) {
    for (int k = 0; k < n; ++k) {
      if (k == j) continue;
      benchmark::DoNotOptimize(veltra::pointDirection(m[j].x, m[j].y, m[k].x, m[k].y));
      veltra::separatePair(m[j], m[k]);
    }
  }
}

void allPairsStep() {
  auto& table = veltra::massTable();
  veltra::motionPass(table.data(), table.count(), veltra::inertion());
  veltra::snapshotPass(table.data(), table.count());
  veltra::separateAllPairs(table.data(), table.count());
}

// PhysXUpdate without its list of contacts: beside grid_spread, it shows
// what keeping the list costs.
void stepWithoutContacts() {
  auto& table = veltra::massTable();
  veltra::motionPass(table.data(), table.count(), veltra::inertion());
  veltra::snapshotPass(table.data(), table.count());
  veltra::separationPass(table.data(), table.count());
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
  if (step == PhysXUpdate) {
    const veltra::GridStats& s = veltra::lastGridStats();
    state.counters["acted_per_mass"] = static_cast<double>(s.pairsActed) / static_cast<double>(state.range(0));
    state.counters["tried_per_mass"] = static_cast<double>(s.pairsTried) / static_cast<double>(state.range(0));
    state.counters["gathers_per_mass"] = static_cast<double>(s.gathers) / static_cast<double>(state.range(0));
  }
}

// A step that tries only the pairs that act, in the order the pass acts on
// them. A pair that does not act changes nothing, so these alone give the
// pass's floats: no pass that keeps them, in index order on one core, can
// step faster than this.
void ActingPairsOnly(benchmark::State& state, Masses (*scene)(int)) {
  const int n = static_cast<int>(state.range(0));
  const Masses start = scene(n);
  PhysXInertion(0.5f);
  Masses probe = start;
  veltra::motionPass(probe.data(), n, veltra::inertion());
  veltra::snapshotPass(probe.data(), n);
  std::vector<veltra::ActingPair> acting;
  veltra::SeparationGrid().run(probe.data(), n, &acting);
  load(start);
  veltra::MassRecord* m = veltra::massTable().data();
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(m, start.data(), start.size() * sizeof start[0]);
    state.ResumeTiming();
    veltra::motionPass(m, n, veltra::inertion());
    veltra::snapshotPass(m, n);
    for (const veltra::ActingPair& p : acting) veltra::separatePair(m[p.outer], m[p.inner]);
  }
  state.SetItemsProcessed(state.iterations() * n);
  state.counters["acted_per_mass"] = static_cast<double>(acting.size()) / n;
}

// One pair that overlaps, pushed apart: the direction, the overlap and the
// push, every float of it by the rounding rule. Every separation pass, all
// pairs or grid, pays this for each pair that acts.
void PairPush(benchmark::State& state) {
  const veltra::MassRecord a0 = scenes::atRest(0, 0, 5), b0 = scenes::atRest(6.5f, 3.25f, 5);
  for (auto _ : state) {
    veltra::MassRecord a = a0, b = b0;
    benchmark::DoNotOptimize(veltra::separatePair(a, b));
    benchmark::DoNotOptimize(a);
    benchmark::DoNotOptimize(b);
  }
}
BENCHMARK(PairPush);

Masses spread(int n) { return scenes::spread(n, 1); }
Masses pile(int n) { return scenes::pile(n); }
Masses lattice(int n) { return scenes::lattice(n, 1); }

// The all-pairs pass takes about a minute at 100,000 masses: one iteration is plenty.
void sizes(benchmark::internal::Benchmark* b, int upTo) {
  for (int n : {100, 300, 1000, 3000, 10000, 30000, 100000})
    if (n <= upTo) b->Arg(n);
  b->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK_CAPTURE(Step, grid_spread, PhysXUpdate, spread)->Apply([](auto* b) { sizes(b, 100000); });
BENCHMARK_CAPTURE(Step, nocontacts_spread, stepWithoutContacts, spread)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Step, allpairs_spread, allPairsStep, spread)->Apply([](auto* b) { sizes(b, 100000); });
BENCHMARK_CAPTURE(Step, directions_spread, directionsForAllPairsStep, spread)->Apply([](auto* b) { sizes(b, 10000); });
BENCHMARK_CAPTURE(ActingPairsOnly, spread, spread)->Apply([](auto* b) { sizes(b, 100000); });
BENCHMARK_CAPTURE(Step, grid_lattice, PhysXUpdate, lattice)->Apply([](auto* b) { sizes(b, 100000); });
BENCHMARK_CAPTURE(Step, allpairs_lattice, allPairsStep, lattice)->Apply([](auto* b) { sizes(b, 10000); });
BENCHMARK_CAPTURE(Step, grid_pile, PhysXUpdate, pile)->Apply([](auto* b) { sizes(b, 3000); });
BENCHMARK_CAPTURE(Step, allpairs_pile, allPairsStep, pile)->Apply([](auto* b) { sizes(b, 3000); });

BENCHMARK_MAIN();
