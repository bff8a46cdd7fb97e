// The separation pass through the grids. For each outer mass in index order it
// gathers, from every grid of its layer, the masses that could come within
// reach while it stays near where it is, sorts them by index and tries them in
// that order, and gathers again whenever a push has carried it away. Where
// gathering would cost more than trying every later index, it does that.
#include "physics_grid.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "physics.h"
#include "physics_grid_bounds.h"

namespace veltra {
namespace {

using namespace grid;

// Below this many masses, trying every pair is faster than building the grids.
constexpr int kAllPairsBelow = 48;
// What finding candidates costs against trying a pair: per slot of the cells
// read, and per candidate and halving sorted.
constexpr double kSlotCost = 0.25;
constexpr double kSortCost = 0.5;
// Candidate lists up to this long are sorted by insertion.
constexpr int kInsertionUpTo = 16;
// A neighbourhood of up to this many slots yields few candidates to sort.
constexpr double kFewSlots = 64;
// The slot field of a huge mass's candidate: it has none, its place is read from the mass table.
constexpr std::uint32_t kNoSlot = 0xFFFFFFFFu;
// How many outer masses ahead a neighbourhood's cells, then its slots, are fetched.
constexpr int kPrefetchCells = 4;
constexpr int kPrefetchSlots = 2;

inline void prefetch(const void* p) {
#if defined(__GNUC__)
  __builtin_prefetch(p);
#else
  (void)p;
#endif
}

// The reach of a pair widened for rounding, plus how far the outer mass may
// still move: no mass farther than this from it can be pushed by it meanwhile.
inline double gatherReach(double reach, double margin) {
  return std::max(reach * (1 + kReachSlack), kMinReach) + margin;
}

// The same distance squared, as the float bound of the gathering: it computes
// distances in float, which may come out up to four roundings (2^-22) above
// the true ones, so the bound is widened past that and rounded up. Past the
// float range every distance passes.
inline float floatLimit(double within) {
  const double square = within * within * (1 + kFloatSlack);
  return square < 1e38 ? static_cast<float>(square) : std::numeric_limits<float>::infinity();
}

// Whether separatePair could act on two masses whose offset squares to
// `square` in float, as it computes it: it acts when the reach is above the
// square root of that, rounded, so never when the square is above the
// reach squared by more than that rounding (2^-23).
inline bool mayAct(float square, double reach) { return (reach > 0) & (square <= reach * reach * (1 + kFloatSlack)); }

}  // namespace

// The cells that hold every mass of the grid within `radius` of (x, y).
SeparationGrid::Box SeparationGrid::boxOf(int g, double x, double y, double radius) const {
  const Grid& l = grids_[g];
  const double r = radius + (std::fabs(x) + std::fabs(y)) * kEdgeSlack;
  return Box{cellCoord(x - r, l.originX, l.inverse, l.width), cellCoord(y - r, l.originY, l.inverse, l.height),
             cellCoord(x + r, l.originX, l.inverse, l.width), cellCoord(y + r, l.originY, l.inverse, l.height)};
}

// The runs of slots, one per row of each grid of j's layer, that hold every
// mass j could push before it moves past its margin; returns how many slots
// they, their chains and the huge masses hold: what gathering reads.
long SeparationGrid::neighbourhood(int j) {
  const MassRecord& m = masses_[j];
  const Grid& own = grids_[places_[j].grid];
  long slots = static_cast<long>(huge_.size());
  runCount_ = 0;
  for (int i = layerGridStart_[own.layer]; i < layerGridStart_[own.layer + 1]; ++i) {
    const int g = layerGrids_[i];
    const Grid& l = grids_[g];
    const double reach = static_cast<double>(m.range) + l.reach;
    if (!(reach > 0)) continue;
    const double within = gatherReach(reach, own.margin);
    const Box b = boxOf(g, m.x, m.y, within);
    const float limit = floatLimit(within);
    for (int y = b.y0; y <= b.y1; ++y) {
      // A row's cells are adjacent, so its slots are one run.
      const int c0 = l.firstCell + y * l.width + b.x0, c1 = c0 + b.x1 - b.x0;
      const int chained = rowOverflow_[l.firstRow + y];
      runs_[runCount_++] = Run{cellStart_[c0], cellStart_[c1 + 1], chained > 0 ? c0 : -1, c1, limit};
      slots += cellStart_[c1 + 1] - cellStart_[c0] + chained;
    }
  }
  return slots;
}

// The masses after `last` in j's neighbourhood that j could push before it
// moves past its margin, and the huge masses of its layer, as candidates in
// index order.
void SeparationGrid::gather(int j, int last) {
  ++stats_.gathers;
  const MassRecord& mj = masses_[j];
  gatheredCount_ = 0;
  for (int r = 0; r < runCount_; ++r) {
    const Run& run = runs_[r];
    gatherRun(run.from, run.to, mj.x, mj.y, run.limit, j, last);
    if (run.firstChained >= 0) gatherChains(run.firstChained, run.lastCell, mj.x, mj.y, run.limit, j, last);
  }
  std::uint64_t* c = candidates_.data();
  int n = 0;
  for (int i = 0; i < gatheredCount_; ++i) {
    const int s = gathered_[i];
    c[n++] = static_cast<std::uint64_t>(slotMass(s)) << 32 | static_cast<std::uint32_t>(s);
  }
  const int layer = grids_[places_[j].grid].layer;
  for (int k : huge_)
    if (k > last && layerOf_[k] == layer) c[n++] = static_cast<std::uint64_t>(k) << 32 | kNoSlot;
  if (n > kInsertionUpTo) {
    std::sort(c, c + n);
  } else {
    for (int i = 1; i < n; ++i) {
      const std::uint64_t key = c[i];
      int at = i;
      for (; at > 0 && c[at - 1] > key; --at) c[at] = c[at - 1];
      c[at] = key;
    }
  }
  candidateCount_ = n;
  for (int i = 0; i < n; ++i) prefetch(&masses_[c[i] >> 32]);
}

// Tries the candidates in index order until a push carries j past its margin
// from where they were gathered; returns whether one did.
bool SeparationGrid::tryCandidates(int j, int& last) {
  MassRecord& mj = masses_[j];
  const float x = mj.x, y = mj.y;
  const double range = mj.range;
  const double margin = grids_[places_[j].grid].margin;
  for (int i = 0; i < candidateCount_; ++i) {
    const std::uint64_t key = candidates_[i];
    const int k = static_cast<int>(key >> 32);
    const auto s = static_cast<std::uint32_t>(key);
    last = k;
    // Masses after `last` have not moved since they were gathered, and their
    // slots hold where they are.
    if (s != kNoSlot) {
      const float dx = slotX(static_cast<int>(s)) - mj.x, dy = slotY(static_cast<int>(s)) - mj.y;
      if (!mayAct(dx * dx + dy * dy, slotRange(static_cast<int>(s)) + range)) continue;
    }
    ++stats_.pairsTried;
    prefetch(&places_[k]);  // wanted only after the push's trigonometry
    if (!separatePair(mj, masses_[k])) continue;
    acted(j, k);
    const double mx = static_cast<double>(mj.x) - x, my = static_cast<double>(mj.y) - y;
    if (!(mx * mx + my * my <= margin * margin * (1 - kSquareSlack))) return true;
  }
  return false;
}

void SeparationGrid::visit(int j) {
  MassRecord& mj = masses_[j];
  int last = -1;
  double spent = 0;  // what finding j's candidates has cost so far, in tried pairs
  for (;;) {
    if (!finite(mj)) break;  // pushed to infinity or NaN: no pair acts any more
    // Finding candidates stops paying once it costs more than trying every
    // later index. In a crowded neighbourhood every slot read may be a
    // candidate to sort; in a small one few are.
    const auto slots = static_cast<double>(neighbourhood(j));
    const double cost = slots * (kSlotCost + (slots > kFewSlots ? kSortCost * std::log2(slots) : 0));
    if (spent + cost > count_ - 1 - last) {
      scanAll(j, last);
      break;
    }
    spent += cost;
    gather(j, last);
    if (!tryCandidates(j, last)) break;
  }
  // j's own cell matters only to later outer masses, so it is brought up to date once.
  pushed(j);
}

void SeparationGrid::scanAll(int j, int last) {
  ++stats_.linearScans;
  MassRecord& mj = masses_[j];
  for (int k = last + 1; k < count_; ++k) {
    if (k == j) continue;
    ++stats_.pairsTried;
    if (!separatePair(mj, masses_[k])) continue;
    acted(j, k);
    if (!finite(mj)) return;
  }
}

void SeparationGrid::acted(int j, int k) {
  ++stats_.pairsActed;
  if (acting_) acting_->push_back({j, k});
  pushed(k);
}

// Outer masses come in index order, which need not be near in space, so each
// one's neighbourhood in its own grid is fetched ahead: its cells a few masses
// early, the slots they point to, whole rows of them, when the cells are at hand.
void SeparationGrid::prefetchNeighbourhood(int j, bool slots) const {
  if (j >= count_ || places_[j].kind != kGrid || !finite(masses_[j])) return;
  const MassRecord& m = masses_[j];
  const int g = places_[j].grid;
  const Grid& l = grids_[g];
  const double reach = static_cast<double>(m.range) + l.reach;
  if (!(reach > 0)) return;
  const Box box = boxOf(g, m.x, m.y, gatherReach(reach, l.margin));
  for (int row = box.y0; row <= box.y1; ++row) {
    const int* first = &cellStart_[l.firstCell + row * l.width + box.x0];
    const int* after = first + (box.x1 - box.x0) + 1;
    if (!slots) {
      prefetch(first);
      prefetch(after);
      continue;
    }
    for (int b = *first >> 2, end = (*after + 3) >> 2; b < end; ++b) prefetch(&blocks_[b]);
  }
}

void SeparationGrid::run(MassRecord* masses, int count, std::vector<ActingPair>* acting) {
  masses_ = masses;
  acting_ = acting;
  count_ = count;
  stats_ = GridStats{};
  // Room for the most any step of this many masses needs, so that steps after
  // the table stops growing allocate nothing.
  const auto n = static_cast<std::size_t>(count);
  if (candidates_.size() < n + 8) {
    places_.reserve(n);
    layerOf_.reserve(n);
    huge_.reserve(n);
    keys_.reserve(4 * n + 16);
    ids_.reserve(4 * n + 16);
    scratch_.reserve(2 * n + 1);
    layerGridStart_.reserve(n + 1);
    layerGrids_.reserve(n);
    gridStart_.reserve(n + 1);
    gridMasses_.reserve(n);
    grids_.reserve(n);
    cellStart_.reserve(2 * n + 1);
    cellFree_.reserve(2 * n);
    cellChain_.reserve(2 * n);
    rowOverflow_.reserve(2 * n);
    blocks_.reserve(((1 + 2 * kSpare) * n + n) / 4 + 2);
    chainNext_.reserve(n);
    chainPrev_.reserve(n);
    // Gathering stores four slots at a time, so a block more than masses.
    gathered_.resize(n + 8);
    candidates_.resize(n + 8);
    runs_.resize(2 * n + 1);
  }
  if (!classify()) return;
  if (stats_.allPairs) {
    stats_.pairsTried = static_cast<std::int64_t>(count) * (count - 1);
    stats_.pairsActed = separateAllPairs(masses, count, acting);
    return;
  }
  assignLayers();
  assignGrids();
  buildCells();
  for (int j = 0; j < count; ++j) {
    prefetchNeighbourhood(j + kPrefetchCells, false);
    prefetchNeighbourhood(j + kPrefetchSlots, true);
    if (places_[j].kind == kHuge) {
      scanAll(j, -1);
    } else if (places_[j].kind == kGrid) {
      visit(j);
    }
  }
}

namespace {
// Its buffers are kept from step to step.
SeparationGrid& sharedGrid() {
  static SeparationGrid g;
  return g;
}
}  // namespace

void separationPass(MassRecord* masses, int count, std::vector<ActingPair>* acting) {
  if (count < kAllPairsBelow) {
    separateAllPairs(masses, count, acting);
    return;
  }
  sharedGrid().run(masses, count, acting);
}

const GridStats& lastGridStats() { return sharedGrid().stats(); }

}  // namespace veltra
