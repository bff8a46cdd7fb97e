// The separation pass through the grids. For each outer mass in index order it
// gathers, from every grid of its layer, the masses that could come within
// reach while it stays near where it is, sorts them by index and tries them in
// that order, and gathers again whenever a push has carried it away. Where
// gathering would cost more than trying every later index, it does that.
#include "physics_grid.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "helpers.h"
#include "physics.h"
#include "physics_grid_bounds.h"

namespace veltra {
namespace {

using namespace grid;

// Below this many masses, trying every pair is faster than building the grids.
constexpr int kAllPairsBelow = 48;
// The margin, in ranges.
constexpr double kMarginRanges = 1.5;
// A neighbourhood more than this many cells across, expected to yield more
// candidates than that, is swept.
constexpr int kSweepCells = 12;
constexpr double kSweepAbove = 64;
// Up to this many masses whose slots lag behind are followed before any estimate.
constexpr std::size_t kFewMoved = 16;
// How many outer masses ahead a neighbourhood's cells, then its slots, are fetched.
constexpr int kPrefetchCells = 4;
constexpr int kPrefetchSlots = 2;

}  // namespace

// The cells that hold every mass of the grid within `radius` of (x, y).
SeparationGrid::Box SeparationGrid::boxOf(int g, double x, double y, double radius) const {
  const Grid& l = grids_[g];
  const double r = radius + (std::fabs(x) + std::fabs(y)) * kEdgeSlack;
  return Box{cellCoord(x - r, l.originX, l.inverse, l.width), cellCoord(y - r, l.originY, l.inverse, l.height),
             cellCoord(x + r, l.originX, l.inverse, l.width), cellCoord(y + r, l.originY, l.inverse, l.height)};
}

// How far j may move from where it gathered before it must gather again: a
// share of its range, or of a typical one for a small mass. A push moves a
// mass by about a third of a reach.
double SeparationGrid::marginOf(int j) const {
  return kMarginRanges * std::max(static_cast<double>(masses_[j].range), static_cast<double>(typical_));
}

// The runs of slots, one per row of each grid of j's layer, that hold every
// mass j could push before it moves `margin` from where it is; their boxes go
// to covered_. Returns what gathering from them costs, in tried pairs:
// reading every slot, and sorting those the gathering disc keeps (kept_),
// about its share of the box's area where masses are spread, all of them
// where they crowd together.
double SeparationGrid::neighbourhood(int j, double margin) {
  const MassRecord& m = masses_[j];
  const int layer = grids_[places_[j].grid].layer;
  double slots = static_cast<double>(huge_.size()), kept = slots;
  runCount_ = 0;
  widest_ = 0;
  Box* box = covered_;
  for (int i = layerGridStart_[layer]; i < layerGridStart_[layer + 1]; ++i, ++box) {
    const int g = layerGrids_[i];
    const Grid& l = grids_[g];
    const double reach = static_cast<double>(m.range) + l.reach;
    *box = Box{0, 0, -1, -1};
    if (!(reach > 0)) continue;
    const double within = gatherReach(reach, margin);
    const Box b = *box = boxOf(g, m.x, m.y, within);
    widest_ = std::max({widest_, b.x1 - b.x0 + 1, b.y1 - b.y0 + 1});
    const long inBox = addRuns(g, b.y0, b.y1, b.x0, b.x1);
    slots += inBox;
    // Few slots keep few candidates, however they lie.
    if (inBox <= kInsertionUpTo) {
      kept += inBox;
      continue;
    }
    const double boxCells = (b.x1 - b.x0 + 1.0) * (b.y1 - b.y0 + 1.0);
    // Where the box's cells hold far more than the grid's own mean, its
    // masses crowd together and may all lie near j.
    const double share =
        inBox > l.crowded * boxCells ? 1.0 : std::min(1.0, kPi * within * within * l.inverse * l.inverse / boxCells);
    kept += inBox * share;
  }
  kept_ = kept;
  return kSlotCost * slots + sortCost(kept);
}

// The runs of rows y0 .. y1, cells x0 .. x1, of grid g; returns their slots,
// chained ones included.
long SeparationGrid::addRuns(int g, int y0, int y1, int x0, int x1) {
  const Grid& l = grids_[g];
  const int* const start = cellStart_.data();
  const int* const overflow = rowOverflow_.data() + l.firstRow;
  Run* const runs = runs_.data();
  int count = runCount_;
  long slots = 0;
  for (int y = y0; y <= y1; ++y) {
    // A row's cells are adjacent, so its slots are one run.
    const int c0 = l.firstCell + y * l.width + x0, c1 = c0 + x1 - x0;
    const int chained = overflow[y];
    runs[count++] = Run{start[c0], start[c1 + 1], chained > 0 ? c0 : -1, c1};
    slots += start[c1 + 1] - start[c0] + chained;
  }
  runCount_ = count;
  return slots;
}

// The masses after `last` of the runs that lie near `at`, and with
// `withHuge` the huge masses of j's layer, as keys in index order; returns
// how many, or -1 where sorting them would cost more than trying every later
// index (the estimate takes masses as spread, and a crowded cell keeps them all).
int SeparationGrid::gather(int j, int last, const Near& at, std::uint64_t* keys, bool withHuge) {
  ++stats_.gathers;
  gatherRuns(at, j, last);
  if (sortCost(gatheredCount_) > count_ - 1 - last) return -1;
  int n = 0;
  for (int i = 0; i < gatheredCount_; ++i) {
    const int s = gathered_[i];
    keys[n++] = static_cast<std::uint64_t>(slotMass(s)) << 32 | static_cast<std::uint32_t>(s);
  }
  const int layer = grids_[places_[j].grid].layer;
  if (withHuge)
    for (int k : huge_)
      if (k > last && layerOf_[k] == layer) keys[n++] = static_cast<std::uint64_t>(k) << 32 | kNoSlot;
  if (n > kInsertionUpTo) {
    std::sort(keys, keys + n);
  } else {
    for (int i = 1; i < n; ++i) {
      const std::uint64_t key = keys[i];
      int at = i;
      for (; at > 0 && keys[at - 1] > key; --at) keys[at] = keys[at - 1];
      keys[at] = key;
    }
  }
  for (int i = 0; i < n; ++i) prefetch(&masses_[keys[i] >> 32]);
  return n;
}

// Tries the candidates in index order until a push carries j past its
// margin from where they were gathered. Returns whether one did.
bool SeparationGrid::tryCandidates(int j, int& last) {
  MassRecord* const masses = masses_;
  const Block* const blocks = blocks_.data();
  MassRecord& mj = masses[j];
  const float x = mj.x, y = mj.y;
  const double range = mj.range;
  const double margin = marginOf(j);
  const double stray = margin * margin * (1 - kSquareSlack);
  const std::uint64_t* const keys = candidates_.data();
  std::int64_t tried = 0;
  for (int i = 0; i < candidateCount_; ++i) {
    const int k = static_cast<int>(keys[i] >> 32);
    const auto s = static_cast<std::uint32_t>(keys[i]);
    last = k;
    // Masses after `last` have not moved since they were gathered, and their
    // slots hold where they are.
    if (s != kNoSlot) {
      const Block& b = blocks[s >> 2];
      const float dx = b.x[s & 3] - mj.x, dy = b.y[s & 3] - mj.y;
      if (!mayAct(dx * dx + dy * dy, b.range[s & 3] + range)) continue;
    }
    ++tried;
    prefetch(&places_[k]);  // wanted only after the push's trigonometry
    if (!separatePair(mj, masses[k])) continue;
    acted(j, k);
    const double mx = static_cast<double>(mj.x) - x, my = static_cast<double>(mj.y) - y;
    if (!(mx * mx + my * my <= stray)) {
      stats_.pairsTried += tried;
      return true;
    }
  }
  stats_.pairsTried += tried;
  return false;
}

void SeparationGrid::visit(int j) {
  MassRecord& mj = masses_[j];
  const double margin = marginOf(j);
  int last = -1;
  double spent = 0;  // what finding j's candidates has cost so far, in tried pairs
  for (;;) {
    if (!finite(mj)) break;  // pushed to infinity or NaN: no pair acts any more
    // Finding candidates stops paying once it costs more than trying every
    // later index. A few lagging slots are brought up to date first; many
    // only make the estimate rougher until it is known that they are needed.
    const bool few = moved_.size() <= kFewMoved;
    if (few) followAll();
    const double cost = neighbourhood(j, margin);
    if (spent + cost > count_ - 1 - last) {
      scanAll(j, last);
      break;
    }
    if (!few) {
      followAll();
      neighbourhood(j, margin);  // the runs again, with the chains as they are now
    }
    spent += cost;
    // A wide neighbourhood is not gathered anew after every few pushes.
    if (widest_ > kSweepCells && kept_ > kSweepAbove) {
      sweep(j, last, spent);
      break;
    }
    candidateCount_ = gather(j, last, nearTo(mj, margin), candidates_.data(), true);
    if (candidateCount_ < 0) {
      scanAll(j, last);
      break;
    }
    if (!tryCandidates(j, last)) break;
  }
  // j's own slot matters only to later outer masses, so it is brought up to date once.
  pushed(j);
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
  const Box box = boxOf(g, m.x, m.y, gatherReach(reach, marginOf(j)));
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
    moved_.reserve(n);
    // Gathering stores four slots at a time, so a block more than masses.
    gathered_.resize(n + 8);
    candidates_.resize(n + 8);
    marks_.assign((n + 63) / 64, 0);
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
