// Shared by the parts of the grid pass: its numeric bounds and costs.
#pragma once

#include <cmath>
#include <cstdint>

#include "tables.h"

namespace veltra {
namespace grid {

// The computed distance of two masses can come out below their true distance
// by a few float roundings (relative 2^-21 at worst, once the larger axis
// difference is above 2^-60). Culling by a reach widened well past that, plus
// the double rounding of the box edges, can never drop a pair that acts.
constexpr double kReachSlack = 1.0 / 65536;
constexpr double kEdgeSlack = 1.0 / (1ull << 48);
constexpr double kMinReach = 1.0 / (1ull << 60);
// Squares and sums of squares in double, compared with room for their rounding.
constexpr double kSquareSlack = 1.0 / (1ull << 40);
// The same computed in float, from float offsets, can come out four roundings
// (2^-22) above the true square; its bound is widened well past that.
constexpr double kFloatSlack = 1.0 / (1ull << 18);

// Whether separatePair could act on two masses whose offset squares to
// `square` in float, as it computes it: it acts when the reach is above the
// square root of that, rounded, so never when the square is above the
// reach squared by more than that rounding (2^-23).
inline bool mayAct(float square, double reach) { return (reach > 0) & (square <= reach * reach * (1 + kFloatSlack)); }

inline bool finite(const MassRecord& m) { return std::isfinite(m.x) && std::isfinite(m.y); }

// The reach of a pair widened for rounding, plus how far the outer mass may
// still move: no mass farther than this from it can be pushed by it meanwhile.
inline double gatherReach(double reach, double margin) {
  return (reach * (1 + kReachSlack) > kMinReach ? reach * (1 + kReachSlack) : kMinReach) + margin;
}

// What finding candidates costs against trying a pair: per slot of the cells
// read, and per candidate and halving sorted.
constexpr double kSlotCost = 0.25;
constexpr double kSortCost = 0.5;
// Candidate lists up to this long are sorted by insertion.
constexpr int kInsertionUpTo = 16;
// What sorting n candidates costs, in tried pairs; few are sorted by insertion
// at no cost worth counting. The binary exponent stands in for log2.
inline double sortCost(double n) { return n > kInsertionUpTo ? kSortCost * n * std::ilogb(n) : 0; }
// The slot field of a huge mass's candidate: it has none, its place is read from the mass table.
constexpr std::uint32_t kNoSlot = 0xFFFFFFFFu;

// The lowest set bit of a nonzero word.
inline int lowestBit(std::uint64_t word) {
#if defined(__GNUC__)
  return __builtin_ctzll(word);
#else
  int bit = 0;
  for (; !(word & 1); word >>= 1) ++bit;
  return bit;
#endif
}

inline void prefetch(const void* p) {
#if defined(__GNUC__)
  __builtin_prefetch(p);
#else
  (void)p;
#endif
}

// Monotone in v, so a mass whose cell lies outside the cells of [lo, hi] lies
// outside [lo, hi]. Masses beyond the layer's box share its edge cells.
inline int cellCoord(double v, double origin, double inverse, int size) {
  const double t = (v - origin) * inverse;
  if (!(t > 0)) return 0;
  if (t >= size) return size - 1;
  return static_cast<int>(t);
}

}  // namespace grid
}  // namespace veltra
