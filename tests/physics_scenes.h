// Mass scenes shared by the physics tests and benchmarks. Each is the same for
// a seed on every platform: the generator is our own, not a std distribution.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "tables.h"

namespace scenes {

using Masses = std::vector<veltra::MassRecord>;

class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {  // splitmix64
    std::uint64_t z = state_ += 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
  float between(double lo, double hi) { return static_cast<float>(lo + (hi - lo) * uniform()); }
  int below(int n) { return static_cast<int>(uniform() * n); }
  bool chance(double p) { return uniform() < p; }
  template <typename T, std::size_t N>
  T pick(const T (&values)[N]) {
    return values[below(static_cast<int>(N))];
  }

 private:
  std::uint64_t state_;
};

// A mass with no pending displacement, so a step only separates.
inline veltra::MassRecord atRest(float x, float y, float range, float z = 0) {
  veltra::MassRecord m;
  m.x = m.prevX = x;
  m.y = m.prevY = y;
  m.z = z;
  m.range = range;
  return m;
}

// Uniform over a square sized so that each mass overlaps about `contacts` others.
inline Masses spread(int count, std::uint64_t seed, float range = 5, double contacts = 3) {
  const double reach = 2.0 * range;
  const double side = std::sqrt(count * 3.141592653589793 * reach * reach / contacts);
  Random random(seed);
  Masses masses;
  for (int i = 0; i < count; ++i) {
    const float x = random.between(0, side), y = random.between(0, side);
    masses.push_back(atRest(x, y, range));
  }
  return masses;
}

// Spread as spread() is, over a square sized so that a mass overlaps about
// `contacts` others, whatever its ranges.
inline Masses spreadOut(Masses masses, Random& random, double contacts) {
  double sum = 0, sumSquares = 0;
  for (const veltra::MassRecord& m : masses) {
    sum += m.range;
    sumSquares += static_cast<double>(m.range) * m.range;
  }
  // Two masses overlap where their centres are within the sum of their ranges.
  const double n = static_cast<double>(masses.size());
  const double meanReachSquared = 2 * sumSquares / n + 2 * (sum / n) * (sum / n);
  const double side = std::sqrt(n * 3.141592653589793 * meanReachSquared / contacts);
  for (veltra::MassRecord& m : masses) {
    m.x = m.prevX = random.between(0, side);
    m.y = m.prevY = random.between(0, side);
  }
  return masses;
}

// A few large masses among many small ones: ranges within a fifth of `range`,
// about one in a hundred ten times that and one in ten thousand a hundred
// times, overlapping as many others as in spread().
inline Masses mixed(int count, std::uint64_t seed, float range = 5, double contacts = 3) {
  Random random(seed);
  Masses masses;
  for (int i = 0; i < count; ++i) {
    const double u = random.uniform();
    const double scale = u < 1e-4 ? 100 : u < 0.0101 ? 10 : 0.8 + 0.4 * random.uniform();
    masses.push_back(atRest(0, 0, static_cast<float>(range * scale)));
  }
  return spreadOut(std::move(masses), random, contacts);
}

// Ranges from `range` to 100 times it, each doubling as likely to cover a
// point as the next: every size from small to large has its share of the
// field.
inline Masses scaleFree(int count, std::uint64_t seed, float range = 5, double contacts = 3) {
  Random random(seed);
  Masses masses;
  for (int i = 0; i < count; ++i)
    masses.push_back(atRest(0, 0, static_cast<float>(range / std::sqrt(1e-4 + (1 - 1e-4) * random.uniform()))));
  return spreadOut(std::move(masses), random, contacts);
}

// Masses in a row, each overlapping the two beside it by a fifth of a reach.
inline Masses line(int count, float range = 5) {
  Masses masses;
  for (int i = 0; i < count; ++i) masses.push_back(atRest(1.6f * range * static_cast<float>(i), 0, range));
  return masses;
}

// A jittered square lattice, filled row by row, where each mass overlaps about
// its four nearest neighbours.
inline Masses lattice(int count, std::uint64_t seed, float range = 5) {
  Random random(seed);
  const int side = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(count))));
  const double spacing = 1.8 * range;
  Masses masses;
  for (int i = 0; i < count; ++i) {
    const double x = (i % side) * spacing + random.between(-1, 1);
    const double y = (i / side) * spacing + random.between(-1, 1);
    masses.push_back(atRest(static_cast<float>(x), static_cast<float>(y), range));
  }
  return masses;
}

// Every mass on one spot.
inline Masses pile(int count, float range = 5) { return Masses(static_cast<std::size_t>(count), atRest(7, 3, range)); }

// A pile and, last, one mass far from it: the grid spans both.
inline Masses farPile(int count, float range = 5) {
  Masses masses = pile(count - 1, range);
  masses.push_back(atRest(5000, 5000, range));
  return masses;
}

// Gives each mass a random pending displacement and velocity, so the motion
// pass has work too.
inline void stir(Masses& masses, Random& random, double by) {
  for (veltra::MassRecord& m : masses) {
    if (!random.chance(0.5)) continue;
    m.prevX = static_cast<float>(m.x - random.between(-by, by));
    m.prevY = static_cast<float>(m.y - random.between(-by, by));
    m.velX = random.between(-by, by);
    m.velY = random.between(-by, by);
  }
}

// A few tight clusters of masses with unequal ranges: many overlaps per mass.
inline Masses clusters(int count, std::uint64_t seed) {
  Random random(seed);
  const int groups = 1 + random.below(6);
  float cx[6], cy[6];
  for (int g = 0; g < groups; ++g) cx[g] = random.between(-300, 300), cy[g] = random.between(-300, 300);
  Masses masses;
  for (int i = 0; i < count; ++i) {
    const int g = random.below(groups);
    const double a = random.uniform() * 6.283185307179586, r = 40 * random.uniform() * random.uniform();
    masses.push_back(atRest(static_cast<float>(cx[g] + r * std::cos(a)), static_cast<float>(cy[g] + r * std::sin(a)),
                            random.between(0.5, 6)));
  }
  stir(masses, random, 3);
  return masses;
}

// A wide field where few masses meet, with some zero and negative ranges.
inline Masses sparse(int count, std::uint64_t seed) {
  Random random(seed);
  const double side = 40.0 * std::sqrt(static_cast<double>(count));
  Masses masses;
  for (int i = 0; i < count; ++i) {
    const float range = random.chance(0.1) ? random.between(-4, 0) : random.between(0, 12);
    const float x = random.between(-side, side), y = random.between(-side, side);
    masses.push_back(atRest(x, y, range));
  }
  stir(masses, random, 20);
  return masses;
}

// Masses stacked exactly on a handful of spots, a few of them on grid lines.
inline Masses coincident(int count, std::uint64_t seed) {
  Random random(seed);
  const float spots[][2] = {{0, 0}, {10, 0}, {10, 10}, {-0.0f, 25}, {3.5f, -7.25f}, {100, 100}};
  Masses masses;
  for (int i = 0; i < count; ++i) {
    const auto& s = spots[random.below(6)];
    masses.push_back(atRest(s[0], s[1], random.chance(0.2) ? 0.0f : random.between(2, 5)));
  }
  return masses;
}

// Overlapping masses on several layers, -0 and +0 among them.
inline Masses layers(int count, std::uint64_t seed) {
  Random random(seed);
  const float zs[] = {0.0f, -0.0f, 1.0f, 2.5f, -3.0f, 1e30f, std::numeric_limits<float>::quiet_NaN()};
  Masses masses = clusters(count, seed ^ 0x5A5Aull);
  for (veltra::MassRecord& m : masses) m.z = random.chance(0.02) ? random.between(0, 1000) : random.pick(zs);
  return masses;
}

// Ranges from zero to infinite and positions from NaN to the edge of float,
// mixed into a cluster scene.
inline Masses extremes(int count, std::uint64_t seed) {
  Random random(seed);
  const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
  const float ranges[] = {0, -3, 1e-30f, 60, 1e4f, 1e30f, 3e38f, inf, -inf, nan};
  const float places[] = {nan, inf, -inf, 1e30f, -1e30f, 3e38f, -0.0f, 1e-40f};
  Masses masses = clusters(count, seed ^ 0xA5A5ull);
  for (veltra::MassRecord& m : masses) {
    if (random.chance(0.04)) m.range = random.pick(ranges);
    if (random.chance(0.02)) m.x = random.pick(places);
    if (random.chance(0.02)) m.y = random.pick(places);
  }
  return masses;
}

// Ranges so small and masses so close that squared distances underflow to 0,
// yet the pushes still move them.
inline Masses tiny(int count, std::uint64_t seed) {
  Random random(seed);
  const double side = 3e-24 * count;
  Masses masses;
  for (int i = 0; i < count; ++i) {
    const float x = random.between(0, side), y = random.between(0, side), range = random.between(1e-28, 1e-27);
    masses.push_back(atRest(x, y, range));
  }
  return masses;
}

// Ranges over six orders of magnitude, from 1e-3 to 1e3, every one as likely:
// half the masses in tight clusters of small ones, the rest spread among them.
inline Masses magnitudes(int count, std::uint64_t seed) {
  Random random(seed);
  Masses masses = clusters(count, seed ^ 0x3C3Cull);
  for (veltra::MassRecord& m : masses) {
    m.range = static_cast<float>(std::pow(10.0, random.between(-3, 3)));
    if (random.chance(0.5)) continue;
    m.x = m.prevX = random.between(-3000, 3000);
    m.y = m.prevY = random.between(-3000, 3000);
  }
  return masses;
}

}  // namespace scenes
