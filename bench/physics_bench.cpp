// One PhysXUpdate step through the grids against the all-pairs pass and
// against the acting pairs alone, on scenes a game makes: masses spread at
// random (indices in random order), a few large masses among many small, sizes
// spread evenly over two orders of magnitude, a crowd, a jittered lattice
// filled row by row, a line, and piles (one with a mass far off), crowds and
// lines stepped a number of times at the three inertion factors a game uses.
// Every iteration steps the same state, so a scene cannot drift apart into
// one where nothing touches. Names are PASS/SCENE/MASSES, which
// scripts/plot-physics.py reads.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <deque>
#include <string>
#include <utility>
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

void motionAndSnapshot(veltra::MassRecord* m, int n) {
  veltra::motionPass(m, n, veltra::inertion());
  veltra::snapshotPass(m, n);
}

// The all-pairs pass as it was first written: a direction (an atan2) and a
// distance for every ordered pair, overlapping or not.
void directionsForAllPairsStep(veltra::MassRecord* m, int n) {
  motionAndSnapshot(m, n);
  for (int j = 0; j < n; ++j) {
    for (int k = 0; k < n; ++k) {
      if (k == j) continue;
      benchmark::DoNotOptimize(veltra::pointDirection(m[j].x, m[j].y, m[k].x, m[k].y));
      veltra::separatePair(m[j], m[k]);
    }
  }
}

void allPairsStep(veltra::MassRecord* m, int n) {
  motionAndSnapshot(m, n);
  veltra::separateAllPairs(m, n);
}

void gridStep(veltra::MassRecord*, int) { PhysXUpdate(); }

// PhysXUpdate without its list of contacts: beside the grid, it shows what
// keeping the list costs.
void noContactsStep(veltra::MassRecord* m, int n) {
  motionAndSnapshot(m, n);
  veltra::separationPass(m, n);
}

using StepFn = void (*)(veltra::MassRecord*, int);

void Step(benchmark::State& state, StepFn step, const Masses& start, float factor) {
  const int n = static_cast<int>(start.size());
  load(start);
  PhysXInertion(factor);
  veltra::MassRecord* m = veltra::massTable().data();
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(m, start.data(), start.size() * sizeof start[0]);
    state.ResumeTiming();
    step(m, n);
  }
  state.SetItemsProcessed(state.iterations() * n);
  if (step != gridStep) return;
  const veltra::GridStats& s = veltra::lastGridStats();
  const auto perMass = [&](double v) { return v / n; };
  state.counters["acted_per_mass"] = perMass(static_cast<double>(PhysXContactCount()));
  if (n < 48) return;  // the all-pairs pass ran, not the grids
  state.counters["tried_per_mass"] = perMass(static_cast<double>(s.pairsTried));
  state.counters["gathers_per_mass"] = perMass(s.gathers);
  state.counters["slots_per_mass"] = perMass(static_cast<double>(s.slotsRead));
  state.counters["scans_per_mass"] = perMass(s.linearScans);
}

// A step that tries only the pairs that act, in the order the pass acts on
// them. A pair that does not act changes nothing, so these alone give the
// pass's floats: no pass that keeps them, in index order on one core, can
// step faster than this.
void ActingPairsOnly(benchmark::State& state, const Masses& start, float factor) {
  const int n = static_cast<int>(start.size());
  load(start);
  PhysXInertion(factor);
  veltra::MassRecord* m = veltra::massTable().data();
  PhysXUpdate();
  std::vector<veltra::ActingPair> acting;
  for (int i = 0; i < PhysXContactCount(); ++i) acting.push_back({PhysXContact(i).a, PhysXContact(i).b});
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(m, start.data(), start.size() * sizeof start[0]);
    state.ResumeTiming();
    motionAndSnapshot(m, n);
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

// A scene `steps` steps on from its start, stepped as PhysXUpdate steps it.
Masses stepped(Masses masses, int steps, float factor) {
  const int n = static_cast<int>(masses.size());
  for (int s = 0; s < steps; ++s) {
    veltra::motionPass(masses.data(), n, factor);
    veltra::snapshotPass(masses.data(), n);
    veltra::separationPass(masses.data(), n);
  }
  return masses;
}

// The start states, kept for the whole run: each case holds a reference.
const Masses& keep(Masses masses) {
  static std::deque<Masses> all;
  all.push_back(std::move(masses));
  return all.back();
}

void add(const std::string& pass, const std::string& scene, const Masses& s, float factor = 0.5f) {
  const std::string name = pass + "/" + scene + "/" + std::to_string(s.size());
  benchmark::internal::Benchmark* b;
  if (pass == "floor") {
    b = benchmark::RegisterBenchmark(name.c_str(), ActingPairsOnly, s, factor);
  } else {
    const StepFn step = pass == "grid"         ? gridStep
                        : pass == "allpairs"   ? allPairsStep
                        : pass == "nocontacts" ? noContactsStep
                                               : directionsForAllPairsStep;
    b = benchmark::RegisterBenchmark(name.c_str(), Step, step, s, factor);
  }
  b->Unit(benchmark::kMillisecond);
}

struct Sweep {
  const char* name;
  Masses (*make)(int);
  int allPairsUpTo;  // the all-pairs pass takes about a minute at 100,000 masses
};

void registerAll() {
  const Sweep sweeps[] = {
      {"spread", [](int n) { return scenes::spread(n, 1); }, 100000},
      {"mixed", [](int n) { return scenes::mixed(n, 1); }, 10000},
      {"scalefree", [](int n) { return scenes::scaleFree(n, 1); }, 10000},
      {"crowd", [](int n) { return scenes::spread(n, 1, 5, 30); }, 10000},
      {"lattice", [](int n) { return scenes::lattice(n, 1); }, 10000},
      {"line", [](int n) { return scenes::line(n); }, 10000},
  };
  for (const Sweep& sweep : sweeps) {
    for (int n : {100, 300, 1000, 3000, 10000, 30000, 100000}) {
      const Masses& start = keep(sweep.make(n));
      add("grid", sweep.name, start);
      add("floor", sweep.name, start);
      if (n <= sweep.allPairsUpTo) add("allpairs", sweep.name, start);
      if (sweep.name == std::string("spread") && n <= 10000) add("directions", sweep.name, start);
      if (sweep.name == std::string("spread") && n >= 10000) add("nocontacts", sweep.name, start);
    }
  }
  // Piles, crowds and lines after a number of steps, at each inertion factor.
  const struct {
    const char* name;
    Masses start;
  } stepping[] = {{"pile", scenes::pile(2000)},
                  {"farpile", scenes::farPile(2000)},
                  {"crowd", scenes::spread(2000, 2, 5, 30)},
                  {"line", scenes::line(2000)}};
  for (const auto& scene : stepping) {
    for (float factor : {0.0f, 0.5f, 0.9f}) {
      Masses state = scene.start;
      int done = 0;
      for (int steps : {0, 1, 2, 3, 5, 10, 20}) {
        state = stepped(state, steps - done, factor);
        done = steps;
        const Masses& start = keep(state);
        char name[64];
        std::snprintf(name, sizeof name, "%s-after-%d-at-%g", scene.name, steps, factor);
        add("grid", name, start, factor);
        add("allpairs", name, start, factor);
        add("floor", name, start, factor);
      }
    }
  }
  benchmark::RegisterBenchmark("PairPush", PairPush);
}

}  // namespace

int main(int argc, char** argv) {
  registerAll();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
