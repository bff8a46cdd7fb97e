#include "physics_grid.h"

#include <cmath>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "fresh_engine.h"
#include "physics.h"
#include "physics_scenes.h"

namespace {
using scenes::Masses;

int firstDifference(const Masses& a, const Masses& b) {
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::memcmp(&a[i], &b[i], sizeof a[i]) != 0) return static_cast<int>(i);
  return -1;
}

using Pairs = std::vector<veltra::ActingPair>;

std::string describe(const Pairs& a, const Pairs& b) {
  std::size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  std::ostringstream out;
  out << "pair " << i << " of " << a.size() << " and " << b.size();
  if (i < a.size() && i < b.size())
    out << ": (" << a[i].outer << ", " << a[i].inner << ") against (" << b[i].outer << ", " << b[i].inner << ')';
  return out.str();
}

std::string describe(const veltra::MassRecord& m) {
  std::ostringstream out;
  out.precision(9);
  out << "(x " << m.x << ", y " << m.y << ", z " << m.z << ", range " << m.range << ", vel " << m.velX << ' ' << m.velY
      << ')';
  return out.str();
}

// The same few links, self links among them, applied to both copies.
void linkSome(Masses& a, Masses& b, scenes::Random& random) {
  const int n = static_cast<int>(a.size());
  for (int i = 0; i < 4; ++i) {
    const int p = random.below(n), q = random.chance(0.1) ? p : random.below(n);
    const float length = random.between(-30, 30);
    const bool forced = random.chance(0.5);
    for (Masses* m : {&a, &b}) {
      if (forced) {
        veltra::linkForced((*m)[p], (*m)[q], length);
      } else {
        veltra::linkFree((*m)[p], (*m)[q], length);
      }
    }
  }
}

void motionAndSnapshot(Masses& m, float factor) {
  veltra::motionPass(m.data(), static_cast<int>(m.size()), factor);
  veltra::snapshotPass(m.data(), static_cast<int>(m.size()));
}

// Steps both copies once, the reference through all pairs and the other
// through the grid, and checks that they agree bit for bit and that the same
// pairs acted in the same order.
::testing::AssertionResult stepBoth(Masses& reference, Masses& indexed, float factor, veltra::SeparationGrid& grid) {
  const int count = static_cast<int>(reference.size());
  motionAndSnapshot(reference, factor);
  motionAndSnapshot(indexed, factor);
  Pairs referencePairs, gridPairs;
  veltra::separateAllPairs(reference.data(), count, &referencePairs);
  grid.run(indexed.data(), count, &gridPairs);
  const int at = firstDifference(reference, indexed);
  if (at >= 0)
    return ::testing::AssertionFailure() << "all pairs " << describe(reference[at]) << ", grid "
                                         << describe(indexed[at]);
  // Equal floats could hide a pair acting twice to no effect.
  if (!(referencePairs == gridPairs)) return ::testing::AssertionFailure() << describe(referencePairs, gridPairs);
  return ::testing::AssertionSuccess();
}
}  // namespace

TEST(PhysicsGrid, MatchesAllPairsBitForBit) {
  const struct {
    const char* name;
    Masses (*make)(int, std::uint64_t);
  } kinds[] = {{"clusters", scenes::clusters},
               {"sparse", scenes::sparse},
               {"coincident", scenes::coincident},
               {"layers", scenes::layers},
               {"extremes", scenes::extremes},
               {"tiny", scenes::tiny},
               {"magnitudes", scenes::magnitudes},
               {"mixed", [](int n, std::uint64_t seed) { return scenes::mixed(n, seed); }},
               {"scale-free", [](int n, std::uint64_t seed) { return scenes::scaleFree(n, seed); }},
               {"spread", [](int n, std::uint64_t seed) { return scenes::spread(n, seed); }}};
  const float factors[] = {0.0f, 0.5f, 1.0f, -0.75f};
  veltra::SeparationGrid grid;  // reused across scenes, as the engine reuses its own
  for (const auto& kind : kinds) {
    for (int count : {50, 200, 700}) {
      for (std::uint64_t seed = 1; seed <= 3; ++seed) {
        const float factor = factors[(seed + static_cast<std::uint64_t>(count)) % 4];
        Masses reference = kind.make(count, seed), indexed = reference;
        scenes::Random random(seed * 7919);
        for (int step = 0; step < 4; ++step) {
          ASSERT_TRUE(stepBoth(reference, indexed, factor, grid))
              << kind.name << ", " << count << " masses, seed " << seed << ", step " << step;
          linkSome(reference, indexed, random);
        }
      }
    }
  }
}

// Piles, crowds, lines and mixed sizes change shape over many steps (a pile
// lines up in stacks, then spreads): every step must still match.
TEST(PhysicsGrid, MatchesAllPairsOverManySteps) {
  const struct {
    const char* name;
    Masses start;
  } scenes[] = {{"pile", scenes::pile(600)},
                {"small pile", scenes::pile(60, 0.5f)},
                {"crowd", scenes::spread(500, 7, 5, 30)},
                {"line", scenes::line(400)},
                {"mixed", scenes::mixed(600, 7)},
                {"scale-free", scenes::scaleFree(600, 7)},
                {"magnitudes", scenes::magnitudes(400, 7)}};
  veltra::SeparationGrid grid;
  for (const auto& scene : scenes) {
    for (float factor : {0.0f, 0.5f, 0.9f}) {
      Masses reference = scene.start, indexed = scene.start;
      for (int step = 0; step < 30; ++step)
        ASSERT_TRUE(stepBoth(reference, indexed, factor, grid))
            << scene.name << " at inertion " << factor << ", step " << step;
    }
  }
}

// A large mass among many small ones is pushed by each it overlaps, far each
// time: it gathers its wide neighbourhood once and extends it as it moves.
// Here masses on one spot to its right, each wider than the one before and
// spread through the index order, drive it along a strip of small masses, far
// out of the cells it first gathered from. Where it comes first in index
// order it sweeps through masses at rest; where it comes last, through a
// strip that every mass before it has pushed about, many of them into cells
// with no free slot left.
TEST(PhysicsGrid, AMassSweepingAWideNeighbourhoodMatches) {
  const struct {
    bool largeLast;
    float strip;  // half the strip's height
  } cases[] = {{false, 100}, {true, 30}};
  for (const auto& c : cases) {
    scenes::Random random(9);
    Masses start;
    const veltra::MassRecord large = scenes::atRest(0, 0, 100);
    if (!c.largeLast) start.push_back(large);
    for (int i = 0; i < 3060; ++i) {
      const float wider = 5.0f + 10.0f * static_cast<float>(i / 51);
      start.push_back(i % 51 == 0 ? scenes::atRest(95, 0, wider)
                                  : scenes::atRest(random.between(-4000, -110), random.between(-c.strip, c.strip),
                                                   random.between(2, 6)));
    }
    start.push_back(scenes::atRest(-300, 0, INFINITY));
    if (c.largeLast) start.push_back(large);
    const int count = static_cast<int>(start.size());
    veltra::SeparationGrid grid;
    for (float factor : {0.0f, 0.9f}) {
      Masses reference = start, indexed = start;
      int sweeps = 0;
      for (int step = 0; step < 3; ++step) {
        ASSERT_TRUE(stepBoth(reference, indexed, factor, grid))
            << (c.largeLast ? "last" : "first") << ", inertion " << factor << ", step " << step;
        sweeps += grid.stats().sweeps;
      }
      EXPECT_GT(sweeps, 0);
      EXPECT_LT(grid.stats().pairsTried, 40 * count);
    }
  }
}

// Ranges near the top of float push masses of a lattice to infinity; those
// leave the grid and must stay out of it (the sanitizer build sees a slip).
TEST(PhysicsGrid, MassesPushedToInfinityLeaveTheGrid) {
  const std::uint64_t seed = 186;
  scenes::Random random(seed);
  const float ranges[] = {3e38f, 1e38f, INFINITY};
  Masses reference = scenes::lattice(60, seed);
  for (int i = 0; i < 3; ++i) {
    veltra::MassRecord& m = reference[random.below(60)];
    m.range = ranges[random.below(3)];
  }
  Masses indexed = reference;
  veltra::separateAllPairs(reference.data(), 60);
  veltra::SeparationGrid grid;
  grid.run(indexed.data(), 60);
  EXPECT_EQ(firstDifference(reference, indexed), -1);
  int lost = 0;
  for (const veltra::MassRecord& m : indexed) lost += !std::isfinite(m.x) || !std::isfinite(m.y);
  EXPECT_GT(lost, 1);
}

// Where only masses of infinite range can act, no grid is built, and the two
// still push each other (a fuzzed input once built an empty grid here).
TEST(PhysicsGrid, OnlyInfiniteRangesActWithoutAGrid) {
  Masses reference = scenes::lattice(60, 3);
  for (veltra::MassRecord& m : reference) m.range = NAN;
  reference[7].range = reference[40].range = INFINITY;
  Masses indexed = reference;
  veltra::SeparationGrid grid;
  ASSERT_TRUE(stepBoth(reference, indexed, 0.5f, grid));
  EXPECT_EQ(grid.stats().grids, 0);
  EXPECT_EQ(grid.stats().hugeMasses, 2);
}

TEST(PhysicsGrid, TriesOnlyNearbyPairs) {
  veltra::SeparationGrid grid;
  Masses field = scenes::spread(5000, 11);
  grid.run(field.data(), 5000);
  EXPECT_LT(grid.stats().pairsTried, 30 * 5000);
  EXPECT_EQ(grid.stats().hugeMasses, 0);

  // A few large masses among many small get grids of their own size class,
  // instead of a list that every mass tries.
  Masses mixed = scenes::mixed(5000, 11);
  grid.run(mixed.data(), 5000);
  EXPECT_GE(grid.stats().grids, 2);
  EXPECT_LT(grid.stats().pairsTried, 30 * 5000);

  // A pile has no neighbourhood to narrow down: it is left to the all-pairs pass.
  Masses heap = scenes::pile(300);
  grid.run(heap.data(), 300);
  EXPECT_TRUE(grid.stats().allPairs);
  EXPECT_EQ(grid.stats().pairsTried, 300 * 299);
  EXPECT_GT(grid.stats().pairsActed, 0);

  // Nor has a row packed closer than any gathering reaches, where float
  // offsets square to 0 and every pair acts, however small the ranges.
  Masses packed = scenes::line(150, 1e-43f);
  grid.run(packed.data(), 150);
  EXPECT_TRUE(grid.stats().allPairs);
  EXPECT_EQ(grid.stats().pairsActed, 150 * 149);

  // With a few masses far off it gets a grid, whose wide cells the pile
  // crowds: the pile's masses scan in index order without gathering and
  // sorting it first; still the same positions.
  Masses spreadHeap = scenes::pile(300);
  spreadHeap.push_back(scenes::atRest(5000, 5000, 5));
  spreadHeap.push_back(scenes::atRest(-5000, 300, 5));
  Masses reference = spreadHeap;
  grid.run(spreadHeap.data(), 302);
  veltra::separateAllPairs(reference.data(), 302);
  EXPECT_FALSE(grid.stats().allPairs);
  EXPECT_EQ(grid.stats().linearScans, 300);
  EXPECT_LE(grid.stats().gathers, 2);
  EXPECT_LE(grid.stats().pairsTried, 302 * 301);
  EXPECT_EQ(firstDifference(reference, spreadHeap), -1);
}

// A pair that does not act changes nothing, so the acting pairs alone, in
// order, make the whole pass: the floor under any pass that keeps its floats,
// which the physics benchmark measures.
TEST(PhysicsGrid, TheActingPairsAloneMakeThePass) {
  Masses start = scenes::spread(3000, 4);
  scenes::Random random(4);
  for (int i = 0; i < 40; ++i) start[random.below(3000)].range = random.between(0, 60);
  Masses pass = start, replay = start;
  Pairs acting;
  veltra::SeparationGrid grid;
  grid.run(pass.data(), 3000, &acting);
  ASSERT_GT(acting.size(), 3000u);
  for (const veltra::ActingPair& p : acting)
    EXPECT_TRUE(veltra::separatePair(replay[p.outer], replay[p.inner])) << p.outer << ", " << p.inner;
  EXPECT_EQ(firstDifference(pass, replay), -1);
}

// Through the public API, on both sides of the size where the step turns to
// the grid: the same bits as the reference, and its pushes as the contacts.
TEST_F(FreshEngine, PhysXUpdateMatchesAllPairsWithItsContacts) {
  for (int count : {30, 600}) {
    veltra::detail::resetTables();
    Masses reference = scenes::clusters(count, 5);
    for (const veltra::MassRecord& m : reference) {
      vLPhysX mass;
      mass.NewPhysX();
      veltra::massTable().at(mass.handle) = m;
    }
    PhysXInertion(0.5f);
    for (int step = 0; step < 3; ++step) {
      PhysXUpdate();
      motionAndSnapshot(reference, 0.5f);
      Pairs pushed, contacts;
      veltra::separateAllPairs(reference.data(), count, &pushed);
      for (int i = 0; i < PhysXContactCount(); ++i) contacts.push_back({PhysXContact(i).a, PhysXContact(i).b});
      ASSERT_FALSE(pushed.empty());
      EXPECT_TRUE(contacts == pushed) << count << " masses, step " << step << ": " << describe(pushed, contacts);
      EXPECT_EQ(std::memcmp(reference.data(), veltra::massTable().data(), sizeof reference[0] * count), 0);
    }
  }
}
