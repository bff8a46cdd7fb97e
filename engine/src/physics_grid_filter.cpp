// The filters of the grid pass, four masses at a time with SSE2 (one at a
// time elsewhere): gathering candidates from the slots of a neighbourhood, and
// trying every later index of the mass table. Both only pass over masses that
// separatePair would surely leave alone, so the pass acts exactly as without them.
#include <algorithm>

#include "physics_grid.h"
#include "physics_grid_bounds.h"

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define VELTRA_GRID_SSE2 1
#endif

namespace veltra {
namespace {

// For each mask of four lanes, the lanes that are set, in order, then zeros.
alignas(16) constexpr std::int32_t kLanes[16][4] = {
    {0, 0, 0, 0}, {0, 0, 0, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}, {2, 0, 0, 0}, {0, 2, 0, 0}, {1, 2, 0, 0}, {0, 1, 2, 0},
    {3, 0, 0, 0}, {0, 3, 0, 0}, {1, 3, 0, 0}, {0, 1, 3, 0}, {2, 3, 0, 0}, {0, 2, 3, 0}, {1, 2, 3, 0}, {0, 1, 2, 3}};
constexpr int kSetLanes[16] = {0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4};

// The widening of a reach and of its square, in float.
constexpr float kWiden = static_cast<float>(1 + grid::kReachSlack);
constexpr float kSquareWiden = static_cast<float>(1 + grid::kFloatSlack);

#if defined(VELTRA_GRID_SSE2)
// A Near in four lanes, made once before a loop: stores through __m128i may
// alias anything, so the compiler would otherwise rebuild it every time.
struct Near4 {
  __m128 x, y, own;
  explicit Near4(const SeparationGrid::Near& at)
      : x(_mm_set1_ps(at.x)), y(_mm_set1_ps(at.y)), own(_mm_set1_ps(at.own)) {}
};

// Lanes whose square distance from `at`, by float arithmetic, is at most
// (range * kWiden + at.own)^2 * kSquareWiden, ranges below 0 counting as 0.
inline __m128 near4(__m128 x, __m128 y, __m128 range, const Near4& at) {
  const __m128 dx = _mm_sub_ps(x, at.x), dy = _mm_sub_ps(y, at.y);
  const __m128 within = _mm_add_ps(_mm_mul_ps(_mm_max_ps(range, _mm_setzero_ps()), _mm_set1_ps(kWiden)), at.own);
  const __m128 limit = _mm_mul_ps(_mm_mul_ps(within, within), _mm_set1_ps(kSquareWiden));
  return _mm_cmple_ps(_mm_add_ps(_mm_mul_ps(dx, dx), _mm_mul_ps(dy, dy)), limit);
}
#endif

// The same for one mass.
inline bool near1(float x, float y, float range, const SeparationGrid::Near& at) {
  const float dx = x - at.x, dy = y - at.y;
  const float within = std::max(range, 0.0f) * kWiden + at.own;
  return dx * dx + dy * dy <= within * within * kSquareWiden;
}

}  // namespace

// Where j gathers from, with its share of the reach: its range, widened like
// the others', plus `margin` and the least reach culled by. Every term is
// positive, so no rounding cancels; the float square distance may come out
// four roundings above the true one, and kSquareWiden is well past that.
SeparationGrid::Near SeparationGrid::nearTo(const MassRecord& j, double margin) {
  const double own = std::max(j.range, 0.0f) * (1 + grid::kReachSlack) + grid::kMinReach + margin;
  const float above = own < 1e38 ? static_cast<float>(own * (1 + grid::kFloatSlack)) : INFINITY;
  return Near{j.x, j.y, above};
}

// Keeps the slots of the runs whose mass comes after `last`, is not j, and
// lies near `at`. The loop's constants are made once for all the runs, which
// are short: a row of a few cells each.
void SeparationGrid::gatherRuns(const Near& at, int j, int last) {
  std::int32_t* out = gathered_.data();
  int found = 0;
  std::int64_t read = 0;
#if defined(VELTRA_GRID_SSE2)
  const Near4 at4(at);
  const Block* const blocks = blocks_.data();
  const __m128i vlast = _mm_set1_epi32(last), vj = _mm_set1_epi32(j);
  const __m128i lanes = _mm_setr_epi32(0, 1, 2, 3);
#endif
  for (int r = 0; r < runCount_; ++r) {
    const int from = runs_[r].from, to = runs_[r].to;
    read += to - from;
#if defined(VELTRA_GRID_SSE2)
    const __m128i vfrom = _mm_set1_epi32(from - 1), vto = _mm_set1_epi32(to);
    for (int b = from >> 2, end = (to + 3) >> 2; b < end; ++b) {
      const Block& k = blocks[b];
      const __m128i first = _mm_set1_epi32(4 * b);
      const __m128i slots = _mm_add_epi32(first, lanes);
      const __m128 near = near4(_mm_load_ps(k.x), _mm_load_ps(k.y), _mm_load_ps(k.range), at4);
      const __m128i mass = _mm_load_si128(reinterpret_cast<const __m128i*>(k.mass));
      const __m128i later = _mm_andnot_si128(_mm_cmpeq_epi32(mass, vj), _mm_cmpgt_epi32(mass, vlast));
      const __m128i inRun = _mm_and_si128(_mm_cmpgt_epi32(slots, vfrom), _mm_cmplt_epi32(slots, vto));
      const int mask = _mm_movemask_ps(_mm_and_ps(near, _mm_castsi128_ps(_mm_and_si128(later, inRun))));
      // All four lanes are stored; only the first kSetLanes[mask] count.
      const __m128i kept = _mm_add_epi32(first, _mm_load_si128(reinterpret_cast<const __m128i*>(kLanes[mask])));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + found), kept);
      found += kSetLanes[mask];
    }
#else
    for (int s = from; s < to; ++s) {
      out[found] = s;
      found += isNear(s, at, j, last);
    }
#endif
  }
  gatheredCount_ = found;
  stats_.slotsRead += read;
  for (int r = 0; r < runCount_; ++r)
    if (runs_[r].firstChained >= 0) gatherChains(runs_[r].firstChained, runs_[r].lastCell, at, j, last);
}

// The test of gatherRuns for one slot.
bool SeparationGrid::isNear(int s, const Near& at, int j, int last) {
  const Block& k = blocks_[s >> 2];
  const std::int32_t mass = k.mass[s & 3];
  return (mass > last) & (mass != j) & near1(k.x[s & 3], k.y[s & 3], k.range[s & 3], at);
}

// The same test for the overflow slots of cells firstCell .. lastCell (one row's run).
void SeparationGrid::gatherChains(int firstCell, int lastCell, const Near& at, int j, int last) {
  for (int c = firstCell; c <= lastCell; ++c)
    for (int s = cellChain_[c]; s >= 0; s = chainNext_[s - firstOverflow_])
      if (isNear(s, at, j, last)) gathered_[gatheredCount_++] = s;
}

// Tries every index after `last`, as the all-pairs pass does, but passes over
// the masses, four at a time, that are on another layer or too far for
// separatePair to act on. Once j is pushed, the rest of a four is tried one by one.
void SeparationGrid::scanAll(int j, int last) {
  ++stats_.linearScans;
  MassRecord* const masses = masses_;
  MassRecord& mj = masses[j];
  const int count = count_;
  std::int64_t tried = 0;
  int k = last + 1;
#if defined(VELTRA_GRID_SSE2)
  Near4 at(nearTo(mj, 0));
  while (k + 4 <= count) {
    __m128 x = _mm_loadu_ps(&masses[k].x), y = _mm_loadu_ps(&masses[k + 1].x);
    __m128 layer = _mm_loadu_ps(&masses[k + 2].x), range = _mm_loadu_ps(&masses[k + 3].x);
    _MM_TRANSPOSE4_PS(x, y, layer, range);
    int mask = _mm_movemask_ps(_mm_and_ps(near4(x, y, range, at), _mm_cmpeq_ps(layer, _mm_set1_ps(mj.z))));
    for (const int end = k + 4; k < end; ++k, mask >>= 1) {
      if (!(mask & 1) || k == j) continue;
      ++tried;
      if (!separatePair(mj, masses[k])) continue;
      acted(j, k);
      if (!grid::finite(mj)) {
        stats_.pairsTried += tried;
        return;
      }
      mask = -1;
      at = Near4(nearTo(mj, 0));
    }
  }
#endif
  for (; k < count; ++k) {
    if (k == j) continue;
    ++tried;
    if (!separatePair(mj, masses[k])) continue;
    acted(j, k);
    if (!grid::finite(mj)) break;
  }
  stats_.pairsTried += tried;
}

}  // namespace veltra
